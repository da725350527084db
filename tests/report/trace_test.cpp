// tests/report/trace_test.cpp: the texts of the dynamic file, escaped as the runtime
// writes them and read back as vexreport reads them.
#include <gtest/gtest.h>

#include <string>

#include "formats/trace.h"

TEST(Trace, EscapedTextsStayOnOneLineAndReadBackWhole) {
    std::string every_byte;
    for (int c = 0; c < 256; ++c)
        every_byte += static_cast<char>(c);
    for (const std::string& text : {every_byte, std::string("a\\tb\\\\"), std::string("x\\"),
                                    std::string("deposit(int, int) \xc3\xa9")}) {
        std::string line;
        trace::append_escaped(line, text);
        for (const char c : line)
            EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f) << line;
        EXPECT_EQ(trace::unescape(line), text);
    }
    std::string line;
    trace::append_escaped(line, std::string("\t\n\r\\\x01\x7f", 6));
    EXPECT_EQ(line, "\\t\\n\\r\\\\\\x01\\x7f");
    // What the runtime never writes is read leniently, never past the end.
    EXPECT_EQ(trace::unescape("\\q\\x4\\xzz\\"), "qx4xzz\\");
}
