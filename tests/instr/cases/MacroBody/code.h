#pragma once
#define GETTER(t, n) t n() const { return n##_; }
class Box {
public:
    GETTER(int, w)
    void grow() { ++w_; }
private:
    int w_ = 1;
};
