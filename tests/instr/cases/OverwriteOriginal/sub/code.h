#pragma once
struct Meter { int v = 0; void add(int n) { v += n; } };
