// tests/reader/scanner_test.cpp: tokens, texts, spans and lexical messages of the
// scanner, read back as "KIND:text" lines followed by the captured diagnostics.
#include <gtest/gtest.h>

#include <cstdint>
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

// Every token of `text` up to the end of the file, then the diagnostics.
std::string scan(const std::string& text) {
    RunState run;
    ScanInput in = input_of(text);
    std::string out;
    for (std::size_t guard = 0; guard <= text.size() + 2; ++guard) {
        Token t;
        int result = next_token(in, &t);
        out += token_line(result, t);
        if (result == TOKEN_END_OF_FILE)
            break;
    }
    return out + run.diagnostics;
}

std::string lexical(int line, const std::string& message) {
    return "vexprepro - lexical error: x.otd:" + std::to_string(line) + ": " + message + "\n";
}

std::string span_of(const Token& t) {
    return std::to_string(t.span.first_line) + "." + std::to_string(t.span.first_column) + "-" +
           std::to_string(t.span.last_line) + "." + std::to_string(t.span.last_column);
}

}  // namespace

TEST(ScannerWords, KeywordsIgnoreCaseAndPlusBelongsToWords) {
    EXPECT_EQ(scan("pRoC a+b x-y c++x 9_z\n"),
              "PROC:pRoC\nIDENTIFIER:a+b\nIDENTIFIER:x\n-:-\nIDENTIFIER:y\nIDENTIFIER:c++x\n"
              "IDENTIFIER:9_z\nEOF\n");
    EXPECT_EQ(scan("include run check ; property state stub transition to print bypass call "
                   "continue ensure epilogue exit invariant prologue require wrap class\n"),
              "INCLUDE:include\nRUN:run\nCHECK:check\n;:;\nPROPERTY:property\nUML STATE:state\n"
              "STUB:stub\nTRANSITION:transition\nTO:to\nPRINT:print\nBYPASS:bypass\nCALL:call\n"
              "CONTINUE:continue\nENSURE:ensure\nEPILOGUE:epilogue\nEXIT:exit\n"
              "INVARIANT:invariant\nPROLOGUE:prologue\nREQUIRE:require\nWRAP:wrap\nCLASS:class\n"
              "EOF\n");
}

TEST(ScannerWords, PairOnlyWordsAloneAreIdentifiers) {
    EXPECT_EQ(scan("SUITE case exception method error single x CLASS x\n"),
              "IDENTIFIER:SUITE\nIDENTIFIER:case\nIDENTIFIER:exception\nIDENTIFIER:method\n"
              "IDENTIFIER:error\nIDENTIFIER:single\nIDENTIFIER:x\nCLASS:CLASS\nIDENTIFIER:x\n"
              "EOF\n");
}

TEST(ScannerWords, AKeywordAtTheVeryEndOfTheFileIsAnIdentifier) {
    EXPECT_EQ(scan("CLASS"), "IDENTIFIER:CLASS\nEOF\n");
    EXPECT_EQ(scan("run c++"), "RUN:run\nIDENTIFIER:c++\nEOF\n");
}

TEST(ScannerPairs, TwoWordKeywordsJoinTheWordsAsWritten) {
    EXPECT_EQ(scan("Test   Class TEST\nCLASS test suite Test Case\n"),
              "TEST CLASS:Test Class\nTEST CLASS:TEST CLASS\nTEST SUITE:test suite\n"
              "TEST CASE:Test Case\nEOF\n");
    EXPECT_EQ(scan("single class check exception CHECK property Check Stub check method "
                   "On Error\n"),
              "SINGLE CLASS:single class\nCHECK EXCEPTION:check exception\n"
              "CHECK PROPERTY:CHECK property\nCHECK STUB:Check Stub\nCHECK METHOD:check method\n"
              "ON ERROR:On Error\nEOF\n");
    EXPECT_EQ(scan("CHECK /* a */ // b\n  STUB s;"),
              "CHECK STUB:CHECK STUB\nIDENTIFIER:s\n;:;\nEOF\n");
}

TEST(ScannerPairs, AFirstWordWithoutItsPairIsDeliveredAlone) {
    EXPECT_EQ(scan("TEST name CHECK (x) ON ; SINGLE\n"),
              "IDENTIFIER:TEST\nIDENTIFIER:name\nCHECK:CHECK\nEXPRESSION:x\nIDENTIFIER:ON\n"
              ";:;\nIDENTIFIER:SINGLE\nEOF\n");
    // A failed second read is not undone: its message stays and the scan goes on after it.
    EXPECT_EQ(scan("TEST @ x\n"),
              "IDENTIFIER:TEST\nIDENTIFIER:x\nEOF\n" +
                  lexical(1, "The use of `@' is not allowed here."));
}

TEST(ScannerPairs, PairSpansRunFromTheFirstWordToTheSecond) {
    RunState run;
    std::string text = "  TEST\n   CASE t\nTEST x";
    ScanInput in = input_of(text);
    Token t;
    EXPECT_EQ(next_token(in, &t), KIND_TEST_CASE);
    EXPECT_EQ(span_of(t), "1.3-2.7");
    EXPECT_EQ(next_token(in, &t), KIND_IDENTIFIER);
    EXPECT_EQ(span_of(t), "2.9-2.9");
    EXPECT_EQ(next_token(in, &t), KIND_IDENTIFIER);
    EXPECT_EQ(span_of(t), "3.1-3.4");
    EXPECT_EQ(in.column, 5);  // restored to just after TEST
    EXPECT_EQ(next_token(in, &t), KIND_IDENTIFIER);
    EXPECT_EQ(span_of(t), "3.6-3.6");
}

TEST(ScannerPunctuation, EachCharacterHasItsCodeAndDotsAndColonsCombine) {
    EXPECT_EQ(scan("{}),*;\\`[]<>%?-^&|~!='\n"),
              "{:{\n}:}\n):)\n,:,\n*:*\n;:;\n\\:\\\n`:`\n[:[\n]:]\n<:<\n>:>\n%:%\n?:?\n-:-\n"
              "^:^\n&:&\n|:|\n~:~\n!:!\n=:=\n':'\nEOF\n");
    EXPECT_EQ(scan("... .. . :: : a::b"),
              "THREE POINTS:...\n.:.\n.:.\n.:.\n:::::\n:::\nIDENTIFIER:a\n:::::\n"
              "IDENTIFIER:b\nEOF\n");
}

TEST(ScannerPunctuation, OtherCharactersAreNotAllowed) {
    EXPECT_EQ(scan("a @ $\f\xe9 b"),
              "IDENTIFIER:a\nFAIL\nFAIL\nFAIL\nFAIL\nIDENTIFIER:b\nEOF\n" +
                  lexical(1, "The use of `@' is not allowed here.") +
                  lexical(1, "The use of `$' is not allowed here.") +
                  lexical(1, "The use of `\f' is not allowed here.") +
                  lexical(1, "The use of `" + QString::fromLocal8Bit("\xe9").toLocal8Bit()
                                                  .toStdString() +
                                 "' is not allowed here."));
}

TEST(ScannerStrings, KeepEscapesAndTurnCarriageReturnsIntoBlanks) {
    EXPECT_EQ(scan("\"a\\\"b\\\\\" \"x\ry\" \"\" \"\xe9\""),
              "STRING:a\\\"b\\\\\nSTRING:x y\nSTRING:\nSTRING:\xe9\nEOF\n");
}

TEST(ScannerStrings, ALineFeedOrTheEndOfTheFileLeavesTheStringOpen) {
    EXPECT_EQ(scan("\"abc\nx \"tail"),
              "FAIL\nIDENTIFIER:x\nFAIL\nEOF\n" +
                  lexical(1, "`\"' expected instead of `RETURN'.") +
                  lexical(2, "`\"' expected instead of `EOF'."));
    EXPECT_EQ(scan("\"a\\\nb\""), "FAIL\nIDENTIFIER:b\nFAIL\nEOF\n" +
                                      lexical(1, "`\"' expected instead of `RETURN'.") +
                                      lexical(2, "`\"' expected instead of `EOF'."));
}

TEST(ScannerExpressions, NestedAndQuotedParenthesesStayInside) {
    EXPECT_EQ(scan("(a, (b), \")\") (')' \\) x) (f(\n1,\r2))"),
              "EXPRESSION:a, (b), \")\"\nEXPRESSION:')' \\) x\nEXPRESSION:f( 1, 2)\nEOF\n");
}

TEST(ScannerExpressions, EmptyExpressionIsReportedAndStillDelivered) {
    EXPECT_EQ(scan("CHECK ( \n );"),
              "CHECK:CHECK\nEXPRESSION:   \n;:;\nEOF\n" +
                  lexical(2, "Correct native expression expected."));
    EXPECT_EQ(scan("()"), "EXPRESSION:\nEOF\n" + lexical(1, "Correct native expression expected."));
}

TEST(ScannerExpressions, AnUnbalancedExpressionEndsAtTheEndOfTheFile) {
    EXPECT_EQ(scan("(a (b)\n"), "FAIL\nEOF\n" + lexical(2, "`)' expected instead of `EOF'."));
}

TEST(ScannerComments, DroppedCommentsAndDocumentationComments) {
    EXPECT_EQ(scan("a // line ) \" \n/* block\n */ b /** doc\r\n  text */ c"),
              "IDENTIFIER:a\nIDENTIFIER:b\nCOMMENT BLOCK: doc    text \nIDENTIFIER:c\nEOF\n");
    EXPECT_EQ(scan("/**/ x */ y /***/"),
              "COMMENT BLOCK:/ x \nIDENTIFIER:y\nCOMMENT BLOCK:\nEOF\n");
}

TEST(ScannerComments, MalformedAndUnterminatedComments) {
    EXPECT_EQ(scan("/x y"), "FAIL\nIDENTIFIER:y\nEOF\n" +
                                lexical(1, "`//', '/*' or '/**' expected instead of `x'."));
    EXPECT_EQ(scan("/\nz"), "FAIL\nIDENTIFIER:z\nEOF\n" +
                                lexical(1, "`//', '/*' or '/**' expected instead of `RETURN'."));
    EXPECT_EQ(scan("/"), "FAIL\nEOF\n" +
                             lexical(1, "`//', '/*' or '/**' expected instead of `EOF'."));
    EXPECT_EQ(scan("/* open\n"), "FAIL\nEOF\n" + lexical(2, "`*/' expected instead of `EOF'."));
    EXPECT_EQ(scan("/** open"), "FAIL\nEOF\n" + lexical(1, "`*/' expected instead of `EOF'."));
}

TEST(ScannerCommentText, LineAndBraceForms) {
    EXPECT_EQ(scan("COMMENT  \t hello (x) \"\r\nComment{ a\nb } z COMMENT\n"),
              "COMMENT TEXT:hello (x) \" \nCOMMENT BLOCK: a b \nIDENTIFIER:z\nCOMMENT TEXT:\n"
              "EOF\n");
    EXPECT_EQ(scan("COMMENT { open\n"), "FAIL\nEOF\n" +
                                            lexical(2, "`}' expected instead of `EOF'."));
}

TEST(ScannerNative, LinesAndBlocksForEachIntroducer) {
    EXPECT_EQ(scan("# int a;\r\n#{ x\r\ny }# c++#f();\nC++#{g}#JAVA#h\njava#{ i }#\n#\nk"),
              "NATIVE LINE: int a; \nNATIVE BLOCK: x \ny \nC++ NATIVE LINE:f();\n"
              "C++ NATIVE BLOCK:g\nJAVA NATIVE LINE:h\nJAVA NATIVE BLOCK: i \nNATIVE LINE:\n"
              "IDENTIFIER:k\nEOF\n");
    EXPECT_EQ(scan("#{ a } # }#"), "NATIVE BLOCK: a } # \nEOF\n");
}

TEST(ScannerNative, MalformedIntroducersAndOpenBlocks) {
    EXPECT_EQ(scan("c++ #x\nc++\r\njava\n#"),
              "FAIL\nNATIVE LINE:x\nFAIL\nFAIL\nFAIL\nEOF\n" +
                  lexical(1, "`c++#' or 'c++#{' expected instead of ` '.") +
                  lexical(2, "`c++#' or 'c++#{' expected instead of ` '.") +
                  lexical(3, "`java#' or 'java#{' expected instead of `RETURN'.") +
                  lexical(4, "`#' or '#{' expected instead of `EOF'."));
    EXPECT_EQ(scan("#{ a }\n"), "FAIL\nEOF\n" + lexical(2, "`}#' expected instead of `EOF'."));
    EXPECT_EQ(scan("x java#"), "IDENTIFIER:x\nFAIL\nEOF\n" +
                                   lexical(1, "`java#' or 'java#{' expected instead of `EOF'."));
}

TEST(ScannerCounting, SpansLinesAndColumns) {
    RunState run;
    std::string text = "ab  cd\n\t\"s\nt\" (x\ny)  # n\nz";
    ScanInput in = input_of(text);
    Token t;
    std::string spans;
    for (int result = 0; result != TOKEN_END_OF_FILE;) {
        result = next_token(in, &t);
        spans += std::to_string(result) + "@" + (result > 0 ? span_of(t) : "") + " ";
    }
    EXPECT_EQ(spans, "9500@1.1-1.2 9500@1.5-1.6 -1@ 9500@3.1-3.1 -1@ 9500@4.1-4.1 5003@4.2-4.2 "
                     "8006@4.5-4.7 9500@5.1-5.1 -99@ ");
    EXPECT_EQ(run.diagnostics, lexical(2, "`\"' expected instead of `RETURN'.") +
                                   lexical(3, "`\"' expected instead of `RETURN'."));
}

TEST(ScannerCounting, ExpressionsAndBlocksCountTheirLines) {
    RunState run;
    std::string text = "(a\n\nb) x #{\n\n}# y";
    ScanInput in = input_of(text);
    Token t;
    ASSERT_EQ(next_token(in, &t), KIND_EXPRESSION);
    EXPECT_EQ(span_of(t), "1.1-3.2");
    ASSERT_EQ(next_token(in, &t), KIND_IDENTIFIER);
    EXPECT_EQ(span_of(t), "3.4-3.4");
    ASSERT_EQ(next_token(in, &t), KIND_NATIVE_BLOCK);
    EXPECT_EQ(span_of(t), "3.6-5.2");
    ASSERT_EQ(next_token(in, &t), KIND_IDENTIFIER);
    EXPECT_EQ(span_of(t), "5.4-5.4");
}

TEST(ScannerCounting, CarriageReturnsAreBlanks) {
    RunState run;
    std::string text = "\r\n\r\r\n\r";
    ScanInput in = input_of(text);
    Token t;
    EXPECT_EQ(next_token(in, &t), TOKEN_END_OF_FILE);
    EXPECT_EQ(in.line, 3);
    EXPECT_EQ(in.column, 2);
    EXPECT_EQ(run.diagnostics, "");
}

TEST(ScannerNul, ANulInsideATokenFailsTheWholeToken) {
    std::string nul(1, '\0');
    const std::string message = "The use of `\\0' is not allowed here.";
    EXPECT_EQ(scan("a" + nul + nul + nul + "b"),
              "IDENTIFIER:a\nFAIL\nIDENTIFIER:b\nEOF\n" + lexical(1, message));
    EXPECT_EQ(scan("\"x" + nul + "y\" z"), "FAIL\nIDENTIFIER:z\nEOF\n" + lexical(1, message));
    EXPECT_EQ(scan("(\n" + nul + ") z"), "FAIL\nIDENTIFIER:z\nEOF\n" + lexical(2, message));
    EXPECT_EQ(scan("#{" + nul + "}# # a" + nul + "\nCOMMENT " + nul + "\n/**" + nul + "*/ z"),
              "FAIL\nFAIL\nFAIL\nFAIL\nIDENTIFIER:z\nEOF\n" + lexical(1, message) +
                  lexical(1, message) + lexical(2, message) + lexical(3, message));
    EXPECT_EQ(scan("\"open" + nul), "FAIL\nEOF\n" + lexical(1, message));
}

TEST(ScannerNul, NulsInDroppedCommentsAreIgnored) {
    std::string nul(1, '\0');
    EXPECT_EQ(scan("// " + nul + "\n/* " + nul + " */ z"), "IDENTIFIER:z\nEOF\n");
}

TEST(ScannerReportOnce, ATokenReadAgainAfterARestoreReportsNothingMore) {
    RunState run;
    std::string text = "CHECK ( );\n\"open\n@";
    ScanInput in = input_of(text);
    Token t;
    ASSERT_EQ(next_token(in, &t), KIND_CHECK);
    for (int pass = 0; pass < 3; ++pass) {
        ScanMark before = mark_of(in);
        ASSERT_EQ(next_token(in, &t), KIND_EXPRESSION);
        EXPECT_EQ(span_of(t), "1.7-1.9");
        restore(in, before);
    }
    next_token(in, &t);
    ASSERT_EQ(next_token(in, &t), KIND_SEMICOLON);
    for (int pass = 0; pass < 2; ++pass) {
        ScanMark before = mark_of(in);
        EXPECT_EQ(next_token(in, &t), -1);
        EXPECT_EQ(next_token(in, &t), -1);
        restore(in, before);
    }
    EXPECT_EQ(error_count, 3u);
    EXPECT_EQ(run.diagnostics, lexical(1, "Correct native expression expected.") +
                                   lexical(2, "`\"' expected instead of `RETURN'.") +
                                   lexical(3, "The use of `@' is not allowed here."));
}

TEST(ScannerLongTokens, TenMegabyteTokensAreKeptWhole) {
    RunState run;
    std::string body(10 * 1024 * 1024, 'a');
    for (std::size_t i = 1000; i < body.size(); i += 1000)
        body[i] = '\n';
    std::string text = "\"" + std::string(10 * 1024 * 1024, 's') + "\"\n#{" + body + "}# end";
    ScanInput in = input_of(text);
    Token t;
    ASSERT_EQ(next_token(in, &t), KIND_STRING);
    EXPECT_EQ(interned_length(t.text), 10u * 1024 * 1024);
    ASSERT_EQ(next_token(in, &t), KIND_NATIVE_BLOCK);
    EXPECT_EQ(interned_view(t.text), body);
    ASSERT_EQ(next_token(in, &t), KIND_IDENTIFIER);
    EXPECT_EQ(t.span.first_line, 2 + static_cast<int>((body.size() - 1) / 1000));
}

TEST(ScannerPrimitives, ReadCharLeavesTheCountersAlone) {
    RunState run;
    std::string text = "a\n";
    ScanInput in = input_of(text);
    char c = 0;
    EXPECT_EQ(read_char(in, &c), 0);
    EXPECT_EQ(c, 'a');
    EXPECT_EQ(read_char(in, &c), 0);
    EXPECT_EQ(c, '\n');
    EXPECT_EQ(read_char(in, &c), TOKEN_END_OF_FILE);
    EXPECT_EQ(in.line, 1);
    EXPECT_EQ(in.column, 1);
}

TEST(ScannerPrimitives, ReadCommentDeliversEveryCommentForm) {
    RunState run;
    std::string text = "// line\r\n/* a\n*/ /** b */ /x";
    ScanInput in = input_of(text);
    Token t;
    in.pos = 1;
    in.column = 2;
    ASSERT_EQ(read_comment(in, &t), KIND_CPP_COMMENT);
    EXPECT_EQ(interned_view(t.text), " line ");
    in.pos += 2;  // the line feed and the next '/', as a signature scan would
    in.line = 2;
    in.column = 2;
    ASSERT_EQ(read_comment(in, &t), KIND_C_COMMENT);
    EXPECT_EQ(interned_view(t.text), " a ");
    EXPECT_EQ(span_of(t), "2.1-3.2");
    in.pos += 2;
    in.column += 2;
    ASSERT_EQ(read_comment(in, &t), KIND_COMMENT_BLOCK);
    EXPECT_EQ(interned_view(t.text), " b ");
    in.pos += 2;
    EXPECT_EQ(read_comment(in, &t), -1);
    EXPECT_EQ(run.diagnostics, lexical(3, "`//', '/*' or '/**' expected instead of `x'."));
}

TEST(ScannerPrimitives, ReadSignatureTrimsTheStretch) {
    RunState run;
    std::string text = "STUB s:\n  int f(int a, /* c */\r\n char b) \t\n { }";
    ScanInput in = input_of(text);
    ScanMark start{7, 1, 8};
    ScanMark end{text.find('{'), 4, 2};
    Token t;
    t.span = Span{1, 1, 6, 6};
    ASSERT_EQ(read_signature(in, start, end, &t), KIND_SIGNATURE);
    EXPECT_EQ(interned_view(t.text), "int f(int a, /* c */ \n char b)");
    EXPECT_EQ(span_of(t), "1.6-4.1");
    EXPECT_EQ(in.pos, end.offset);
    EXPECT_EQ(in.line, 4);
    EXPECT_EQ(in.column, 2);
    EXPECT_EQ(read_signature(in, end, start, &t), -1);
    std::string nul_text = std::string("int\0 f", 6) + ";";
    ScanInput nul_in = input_of(nul_text);
    EXPECT_EQ(read_signature(nul_in, ScanMark{0, 1, 1}, ScanMark{6, 1, 7}, &t), -1);
    EXPECT_EQ(run.diagnostics, lexical(1, "Error while seeking in the file before `Signature'.") +
                                   lexical(1, "The use of `\\0' is not allowed here."));
}

TEST(ScannerHostileInput, RandomBytesAlwaysMoveForwardToTheEnd) {
    RunState run;
    std::string text(200000, '\0');
    std::uint32_t seed = 12345;
    for (char& c : text) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 24);
    }
    ScanInput in = input_of(text);
    Token t;
    int result = 0;
    std::size_t calls = 0;
    while (result != TOKEN_END_OF_FILE && calls <= text.size()) {
        std::size_t before = in.pos;
        result = next_token(in, &t);
        ++calls;
        if (result != TOKEN_END_OF_FILE) {
            ASSERT_GT(in.pos, before);
        }
    }
    EXPECT_EQ(result, TOKEN_END_OF_FILE);
    EXPECT_GT(error_count, 0u);
}
