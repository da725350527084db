// counter.h: the class under test of the contract cases.
#pragma once
#include <stdexcept>

namespace shop {

class Counter {
public:
    Counter() {}
    void add(int n);
    void add(double n) { value += static_cast<int>(n); }
    void reset() { value = 0; }
    void corrupt() { value = -5; }
    int take(int n) {
        if (n == 0)
            return value;
        if (n < 0)
            throw std::invalid_argument("negative");
        value -= n;
        return value;
    }
    int value = 0;
};

}  // namespace shop
