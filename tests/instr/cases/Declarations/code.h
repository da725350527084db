#pragma once
#include <compare>
namespace bank { class Account; }
class Auditor {
    friend class Probe;
    int seen = 0;
};
class Probe {
public:
    explicit Probe(int v) : v_(v) {}
    void set(int v) { v_ = v; }
    auto operator<=>(const Probe&) const = default;
#ifdef WITH_RESET
    void reset() { v_ = -1; }
#endif
    [[nodiscard]] int get() const noexcept { return v_; }
private:
    int v_;
};
class Probe;
struct Auditor2 { friend class Probe; };
