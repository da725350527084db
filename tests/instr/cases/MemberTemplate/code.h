#pragma once
struct Bag {
    int n = 0;
    template <typename T> void put(T) { ++n; }
};
