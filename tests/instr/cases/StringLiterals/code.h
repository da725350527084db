#pragma once
#include <string>
struct Label {
    std::string text = "ok";
    void set(const std::string& t) { text = t; }
};
