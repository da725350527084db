#pragma once
namespace inc {
struct Tally {
    int n = 0;
#include "tally.inc"
};
}
