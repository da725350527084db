#pragma once
#include <stdexcept>
class Tag {
public:
    explicit Tag(int v);
    int tag() & { return v_; }
    int tag() && { return v_ + 100; }
    void set(int v) try { if (v > 9) throw std::runtime_error("big"); v_ = v; } catch (const std::runtime_error&) { v_ = -v; }
private:
    int v_;
};
