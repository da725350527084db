// tests/reader/scanner_test.cpp: tokens, texts, spans and lexical messages of the
// scanner, read back as "KIND:text" lines followed by the captured diagnostics.
#include <gtest/gtest.h>

#include <string>

#include "errors/report.h"
#include "fi/kinds.h"
#include "fi/names.h"
#include "reader/scanner.h"
#include "support/test_support.h"

namespace {

ScanInput input_of(const std::string& text) {
    ScanInput in;
    in.data = text.data();
    in.size = text.size();
    in.display_file = intern("x.otd");
    return in;
}

std::string token_line(int result, const Token& t) {
    if (result == TOKEN_END_OF_FILE)
        return "EOF\n";
    if (result < 0)
        return "FAIL\n";
    const char* name = kind_name(result);
    return std::string(name ? name : "?") + ":" + std::string(interned_view(t.text)) + "\n";
}

std::string span_of(const Token& t) {
    return std::to_string(t.span.first_line) + "." + std::to_string(t.span.first_column) + "-" +
           std::to_string(t.span.last_line) + "." + std::to_string(t.span.last_column);
}

// Every token of `text` up to the end of the file (with its span when `spans`), then
// the diagnostics.
std::string scan(const std::string& text, bool spans = false) {
    RunState run;
    ScanInput in = input_of(text);
    std::string out;
    for (std::size_t guard = 0; guard <= text.size() + 2; ++guard) {
        Token t;
        const int result = next_token(in, &t);
        out += token_line(result, t);
        if (spans && result > 0)
            out.insert(out.size() - 1, "@" + span_of(t));
        if (result == TOKEN_END_OF_FILE)
            break;
    }
    return out + run.diagnostics;
}

std::string lexical(int line, const std::string& message) {
    return "vexprepro - lexical error: x.otd:" + std::to_string(line) + ": " + message + "\n";
}

struct Row {
    const char* what;
    std::string text;
    std::string tokens;  // then the diagnostics
};

const std::string NUL(1, '\0');
const std::string NUL_USE = "The use of `\\0' is not allowed here.";
const std::string QUOTE_BEFORE_RETURN = "`\"' expected instead of `RETURN'.";
const std::string QUOTE_BEFORE_EOF = "`\"' expected instead of `EOF'.";
const std::string NOT_A_COMMENT = "`//', '/*' or '/**' expected instead of ";

const Row ROWS[] = {
    {"keywords ignore case, '+' belongs to words", "pRoC a+b x-y c++x 9_z\n",
     "PROC:pRoC\nIDENTIFIER:a+b\nIDENTIFIER:x\n-:-\nIDENTIFIER:y\nIDENTIFIER:c++x\n"
     "IDENTIFIER:9_z\nEOF\n"},
    {"every one-word keyword",
     "include run check ; property state stub transition to print bypass call continue ensure "
     "epilogue exit invariant prologue require wrap class\n",
     "INCLUDE:include\nRUN:run\nCHECK:check\n;:;\nPROPERTY:property\nUML STATE:state\n"
     "STUB:stub\nTRANSITION:transition\nTO:to\nPRINT:print\nBYPASS:bypass\nCALL:call\n"
     "CONTINUE:continue\nENSURE:ensure\nEPILOGUE:epilogue\nEXIT:exit\nINVARIANT:invariant\n"
     "PROLOGUE:prologue\nREQUIRE:require\nWRAP:wrap\nCLASS:class\nEOF\n"},
    {"words that only pair are identifiers alone",
     "SUITE case exception method error single x CLASS x\n",
     "IDENTIFIER:SUITE\nIDENTIFIER:case\nIDENTIFIER:exception\nIDENTIFIER:method\n"
     "IDENTIFIER:error\nIDENTIFIER:single\nIDENTIFIER:x\nCLASS:CLASS\nIDENTIFIER:x\nEOF\n"},
    {"a keyword at the very end of the file is an identifier", "CLASS",
     "IDENTIFIER:CLASS\nEOF\n"},
    {"and so is a word ending with '+'", "run c++", "RUN:run\nIDENTIFIER:c++\nEOF\n"},
    {"two-word keywords join the words as written",
     "Test   Class TEST\nCLASS test suite Test Case\n",
     "TEST CLASS:Test Class\nTEST CLASS:TEST CLASS\nTEST SUITE:test suite\nTEST CASE:Test Case\n"
     "EOF\n"},
    {"every pair",
     "single class check exception CHECK property Check Stub check method On Error\n",
     "SINGLE CLASS:single class\nCHECK EXCEPTION:check exception\nCHECK PROPERTY:CHECK property\n"
     "CHECK STUB:Check Stub\nCHECK METHOD:check method\nON ERROR:On Error\nEOF\n"},
    {"comments between the words of a pair", "CHECK /* a */ // b\n  STUB s;",
     "CHECK STUB:CHECK STUB\nIDENTIFIER:s\n;:;\nEOF\n"},
    {"a first word without its pair is delivered alone", "TEST name CHECK (x) ON ; SINGLE\n",
     "IDENTIFIER:TEST\nIDENTIFIER:name\nCHECK:CHECK\nEXPRESSION:x\nIDENTIFIER:ON\n;:;\n"
     "IDENTIFIER:SINGLE\nEOF\n"},
    {"an editor's byte-order mark is named once", "\xEF\xBB\xBFRUN ;",
     "FAIL\nRUN:RUN\n;:;\nEOF\n" + lexical(1, "The use of `UTF-8 byte-order mark' is not allowed here.")},
    {"a failed second word is not undone", "TEST @ x\n",
     "IDENTIFIER:TEST\nIDENTIFIER:x\nEOF\n" + lexical(1, "The use of `@' is not allowed here.")},
    {"each punctuation character", "{}),*;\\`[]<>%?-^&|~!='\n",
     "{:{\n}:}\n):)\n,:,\n*:*\n;:;\n\\:\\\n`:`\n[:[\n]:]\n<:<\n>:>\n%:%\n?:?\n-:-\n^:^\n&:&\n"
     "|:|\n~:~\n!:!\n=:=\n':'\nEOF\n"},
    {"dots and colons combine", "... .. . :: : a::b",
     "THREE POINTS:...\n.:.\n.:.\n.:.\n:::::\n:::\nIDENTIFIER:a\n:::::\nIDENTIFIER:b\nEOF\n"},
    {"other characters are not allowed", "a @ $\f\xe9 b",
     "IDENTIFIER:a\nFAIL\nFAIL\nFAIL\nFAIL\nIDENTIFIER:b\nEOF\n" +
         lexical(1, "The use of `@' is not allowed here.") +
         lexical(1, "The use of `$' is not allowed here.") +
         lexical(1, "The use of `\f' is not allowed here.") +
         lexical(1, "The use of `" +
                        QString::fromLocal8Bit("\xe9").toLocal8Bit().toStdString() +
                        "' is not allowed here.")},
    {"strings keep escapes, carriage returns become blanks",
     "\"a\\\"b\\\\\" \"x\ry\" \"\" \"\xe9\"",
     "STRING:a\\\"b\\\\\nSTRING:x y\nSTRING:\nSTRING:\xe9\nEOF\n"},
    {"a line feed or the end of the file leaves a string open", "\"abc\nx \"tail",
     "FAIL\nIDENTIFIER:x\nFAIL\nEOF\n" + lexical(1, QUOTE_BEFORE_RETURN) +
         lexical(2, QUOTE_BEFORE_EOF)},
    {"an escaped line feed too", "\"a\\\nb\"",
     "FAIL\nIDENTIFIER:b\nFAIL\nEOF\n" + lexical(1, QUOTE_BEFORE_RETURN) +
         lexical(2, QUOTE_BEFORE_EOF)},
    {"nested and quoted parentheses stay inside expressions",
     "(a, (b), \")\") (')' \\) x) (f(\n1,\r2))",
     "EXPRESSION:a, (b), \")\"\nEXPRESSION:')' \\) x\nEXPRESSION:f( 1, 2)\nEOF\n"},
    {"an empty expression is reported and still delivered", "CHECK ( \n );",
     "CHECK:CHECK\nEXPRESSION:   \n;:;\nEOF\n" + lexical(2, "Correct native expression expected.")},
    {"the emptiest expression", "()",
     "EXPRESSION:\nEOF\n" + lexical(1, "Correct native expression expected.")},
    {"an unbalanced expression ends at the end of the file", "(a (b)\n",
     "FAIL\nEOF\n" + lexical(2, "`)' expected instead of `EOF'.")},
    {"dropped comments and documentation comments",
     "a // line ) \" \n/* block\n */ b /** doc\r\n  text */ c",
     "IDENTIFIER:a\nIDENTIFIER:b\nCOMMENT BLOCK: doc    text \nIDENTIFIER:c\nEOF\n"},
    {"the shortest comments", "/**/ x */ y /***/",
     "COMMENT BLOCK:/ x \nIDENTIFIER:y\nCOMMENT BLOCK:\nEOF\n"},
    {"a slash without a comment", "/x y",
     "FAIL\nIDENTIFIER:y\nEOF\n" + lexical(1, NOT_A_COMMENT + "`x'.")},
    {"a slash before a line feed", "/\nz",
     "FAIL\nIDENTIFIER:z\nEOF\n" + lexical(1, NOT_A_COMMENT + "`RETURN'.")},
    {"a slash at the end", "/", "FAIL\nEOF\n" + lexical(1, NOT_A_COMMENT + "`EOF'.")},
    {"an open block comment", "/* open\n",
     "FAIL\nEOF\n" + lexical(2, "`*/' expected instead of `EOF'.")},
    {"an open documentation comment", "/** open",
     "FAIL\nEOF\n" + lexical(1, "`*/' expected instead of `EOF'.")},
    {"COMMENT line and brace forms", "COMMENT  \t hello (x) \"\r\nComment{ a\nb } z COMMENT\n",
     "COMMENT TEXT:hello (x) \" \nCOMMENT BLOCK: a b \nIDENTIFIER:z\nCOMMENT TEXT:\nEOF\n"},
    {"an open COMMENT block", "COMMENT { open\n",
     "FAIL\nEOF\n" + lexical(2, "`}' expected instead of `EOF'.")},
    {"native lines and blocks for each introducer",
     "# int a;\r\n#{ x\r\ny }# c++#f();\nC++#{g}#JAVA#h\njava#{ i }#\n#\nk",
     "NATIVE LINE: int a; \nNATIVE BLOCK: x \ny \nC++ NATIVE LINE:f();\nC++ NATIVE BLOCK:g\n"
     "JAVA NATIVE LINE:h\nJAVA NATIVE BLOCK: i \nNATIVE LINE:\nIDENTIFIER:k\nEOF\n"},
    {"a native block ends only at '}#'", "#{ a } # }#", "NATIVE BLOCK: a } # \nEOF\n"},
    {"malformed introducers", "c++ #x\nc++\r\njava\n#",
     "FAIL\nNATIVE LINE:x\nFAIL\nFAIL\nFAIL\nEOF\n" +
         lexical(1, "`c++#' or 'c++#{' expected instead of ` '.") +
         lexical(2, "`c++#' or 'c++#{' expected instead of ` '.") +
         lexical(3, "`java#' or 'java#{' expected instead of `RETURN'.") +
         lexical(4, "`#' or '#{' expected instead of `EOF'.")},
    {"an open native block", "#{ a }\n",
     "FAIL\nEOF\n" + lexical(2, "`}#' expected instead of `EOF'.")},
    {"an introducer at the end", "x java#",
     "IDENTIFIER:x\nFAIL\nEOF\n" + lexical(1, "`java#' or 'java#{' expected instead of `EOF'.")},
    {"a NUL inside a word fails the whole word", "a" + NUL + NUL + NUL + "b",
     "IDENTIFIER:a\nFAIL\nIDENTIFIER:b\nEOF\n" + lexical(1, NUL_USE)},
    {"a NUL in a string", "\"x" + NUL + "y\" z", "FAIL\nIDENTIFIER:z\nEOF\n" + lexical(1, NUL_USE)},
    {"a NUL in an expression", "(\n" + NUL + ") z",
     "FAIL\nIDENTIFIER:z\nEOF\n" + lexical(2, NUL_USE)},
    {"NULs in native code, COMMENT and documentation comments",
     "#{" + NUL + "}# # a" + NUL + "\nCOMMENT " + NUL + "\n/**" + NUL + "*/ z",
     "FAIL\nFAIL\nFAIL\nFAIL\nIDENTIFIER:z\nEOF\n" + lexical(1, NUL_USE) + lexical(1, NUL_USE) +
         lexical(2, NUL_USE) + lexical(3, NUL_USE)},
    {"a NUL in an open string", "\"open" + NUL, "FAIL\nEOF\n" + lexical(1, NUL_USE)},
    {"NULs in dropped comments are ignored", "// " + NUL + "\n/* " + NUL + " */ z",
     "IDENTIFIER:z\nEOF\n"},
};

}  // namespace

TEST(Scanner, DeliversEachRowsTokensAndMessages) {
    for (const Row& row : ROWS)
        EXPECT_EQ(scan(row.text), row.tokens) << row.what;
}

// Spans run from the first character to the last, a pair's from its first word to its
// second; carriage returns are blanks; every line feed read counts, inside tokens too.
TEST(Scanner, SpansCountLinesAndColumns) {
    const Row rows[] = {
        {"words, a pair, a restored pair", "  TEST\n   CASE t\nTEST x",
         "TEST CASE:TEST CASE@1.3-2.7\nIDENTIFIER:t@2.9-2.9\nIDENTIFIER:TEST@3.1-3.4\n"
         "IDENTIFIER:x@3.6-3.6\nEOF\n"},
        {"failed strings count their lines", "ab  cd\n\t\"s\nt\" (x\ny)  # n\nz",
         "IDENTIFIER:ab@1.1-1.2\nIDENTIFIER:cd@1.5-1.6\nFAIL\nIDENTIFIER:t@3.1-3.1\nFAIL\n"
         "IDENTIFIER:y@4.1-4.1\n):)@4.2-4.2\nNATIVE LINE: n@4.5-4.7\nIDENTIFIER:z@5.1-5.1\nEOF\n" +
             lexical(2, QUOTE_BEFORE_RETURN) + lexical(3, QUOTE_BEFORE_RETURN)},
        {"expressions and blocks over lines", "(a\n\nb) x #{\n\n}# y",
         "EXPRESSION:a  b@1.1-3.2\nIDENTIFIER:x@3.4-3.4\nNATIVE BLOCK:\n\n@3.6-5.2\n"
         "IDENTIFIER:y@5.4-5.4\nEOF\n"},
        {"carriage returns are blanks", "\r\n\r\r\n\rx", "IDENTIFIER:x@3.2-3.2\nEOF\n"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(scan(row.text, true), row.tokens) << row.what;
}

// The readers read tokens again after restoring a mark: messages come once only.
TEST(Scanner, ATokenReadAgainAfterARestoreReportsNothingMore) {
    RunState run;
    const std::string text = "CHECK ( );\n\"open\n@";
    ScanInput in = input_of(text);
    Token t;
    ASSERT_EQ(next_token(in, &t), KIND_CHECK);
    for (int pass = 0; pass < 3; ++pass) {
        const ScanMark before = mark_of(in);
        ASSERT_EQ(next_token(in, &t), KIND_EXPRESSION);
        EXPECT_EQ(span_of(t), "1.7-1.9");
        restore(in, before);
    }
    next_token(in, &t);
    ASSERT_EQ(next_token(in, &t), KIND_SEMICOLON);
    for (int pass = 0; pass < 2; ++pass) {
        const ScanMark before = mark_of(in);
        EXPECT_EQ(next_token(in, &t), -1);
        EXPECT_EQ(next_token(in, &t), -1);
        restore(in, before);
    }
    EXPECT_EQ(error_count, 3u);
    EXPECT_EQ(run.diagnostics, lexical(1, "Correct native expression expected.") +
                                   lexical(2, QUOTE_BEFORE_RETURN) +
                                   lexical(3, "The use of `@' is not allowed here."));
}
