// counter.cc: the out-of-line method of Counter.
#include "counter.h"

void shop::Counter::add(int n) {
    value += n;
}
