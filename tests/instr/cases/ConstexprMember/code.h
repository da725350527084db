#pragma once
class Ratio {
public:
    constexpr Ratio(int n, int d) : n_(n), d_(d) {}
    constexpr int num() const { return n_; }
private:
    int n_, d_;
};
