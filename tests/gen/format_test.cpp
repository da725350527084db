// tests/gen/format_test.cpp: the directives the generator's formats accept and what they
// write; and that a format the formatting would misread does not compile.
#include <gtest/gtest.h>

#include <filesystem>

#include "gen/format.h"
#include "support/test_support.h"

namespace {

template <typename... Args>
std::string formatted(Format<Args...> format, const Args&... args) {
    std::string out = "<";
    append_formatted(out, format, args...);
    return out;
}

struct Accepted {
    std::string written;
    const char* expected;
};

// Refused at compile time, with the reason the diagnostic must name.
struct Refused {
    const char* call;  // the arguments of append_formatted after `out`
    const char* reason;
};

constexpr Refused REFUSED[] = {
    {"\"%f\", 1", "unknown_conversion"},
    {"\"%p\", \"x\"", "unknown_conversion"},
    {"\"%l%\"", "unknown_conversion"},
    {"\"%lx\", 1u", "argument_of_another_type"},
    {"\"%s\", 1", "argument_of_another_type"},
    {"\"%s\"", "wrong_number_of_arguments"},
    {"\"%d\", 1, 2", "wrong_number_of_arguments"},
};

}  // namespace

TEST(Format, EachDirectiveWritesItsArgument) {
    const Accepted cases[] = {
        {formatted("no directive"), "<no directive"},
        {formatted("[%s]", "text"), "<[text]"},
        {formatted("[%s]", static_cast<const char*>(nullptr)), "<[]"},
        {formatted("%d %d %d", 0, -7, 2147483647), "<0 -7 2147483647"},
        {formatted("%ld", -9223372036854775807L - 1), "<-9223372036854775808"},
        {formatted("%u %lu", 4294967295u, 18446744073709551615UL),
         "<4294967295 18446744073709551615"},
        {formatted("0x%x 0x%lx", 0xABCu, 0x1e8480UL), "<0xabc 0x1e8480"},
        {formatted("100%% of %s%%", "it"), "<100% of it%"},
    };
    for (const Accepted& c : cases)
        EXPECT_EQ(c.written, c.expected);
}

TEST(Format, AFormatTheFormattingWouldMisreadDoesNotCompile) {
    TempDir dir;
    const auto compile = [&](const std::string& compiler, const std::string& call) {
        dir.write("f.cpp", "#include \"gen/format.h\"\nvoid f() {\n    std::string out;\n"
                           "    append_formatted(out, " + call + ");\n}\n");
        return shell(compiler + " -std=c++20 -fsyntax-only -I'" VEX_SOURCE_DIR "/src' f.cpp");
    };
    for (const std::string& compiler : compilers()) {
        const ShellOutput accepted = compile(compiler, "\"%s %d %ld %u %lu %x %lx %%\", \"a\", 1, "
                                                       "2L, 3u, 4UL, 5u, 6UL");
        EXPECT_EQ(accepted.status, 0) << compiler << ":\n" << accepted.text;
        for (const Refused& r : REFUSED) {
            const ShellOutput o = compile(compiler, r.call);
            EXPECT_NE(o.status, 0) << compiler << " took " << r.call;
            EXPECT_NE(o.text.find(r.reason), std::string::npos) << compiler << " on " << r.call
                                                                << ":\n" << o.text;
        }
    }
}
