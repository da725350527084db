#pragma once
#include <cstddef>
namespace lib {
inline namespace v2 {
struct Key { int k = 0; };
using Money = long;
class Meter {
public:
    void f(unsigned int n) { total += n; }
    void b(size_t n) { total += n; }
    void k(Key const& key) { total += key.k; }
    void m(Money amount) { total += amount; }
    void n(long amount) { total += amount; }
    typedef unsigned Count;
    void c(const unsigned int& n) { total += n; }
    int operator()(int x) const { return x + total; }
    explicit operator bool() const { return total != 0; }
    long total = 0;
};
}
}
