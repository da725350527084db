#pragma once
#include "sub/code.h"
