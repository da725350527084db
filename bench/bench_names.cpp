// bench/bench_names.cpp: interns 1 000 000 distinct names, then looks each up again,
// and prints the times. Build in Release to measure (well under a second is expected).
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "fi/names.h"

int main() {
    constexpr int COUNT = 1000000;
    std::vector<std::string> names;
    names.reserve(COUNT);
    for (int i = 0; i < COUNT; ++i)
        names.push_back("Component_" + std::to_string(i) + "_x");  // one historical bucket
    clear_name_table();

    auto start = std::chrono::steady_clock::now();
    for (const std::string& n : names)
        if (!intern(n))
            return 1;
    auto interned = std::chrono::steady_clock::now();
    std::size_t found = 0;
    for (const std::string& n : names)
        found += intern(n) != nullptr;
    auto looked_up = std::chrono::steady_clock::now();

    auto seconds = [](auto a, auto b) { return std::chrono::duration<double>(b - a).count(); };
    std::printf("interned %zu distinct names in %.3f s\n", name_table_size(),
                seconds(start, interned));
    std::printf("looked up %zu names again in %.3f s\n", found, seconds(interned, looked_up));
    free_name_table();
    return name_table_size() == 0 && found == static_cast<std::size_t>(COUNT) ? 0 : 1;
}
