// fi/kinds.cpp: printable names of the token and component codes, one table so the
// names can never drift from the codes. Unknown codes have no name (nullptr).
#include "fi/kinds.h"

namespace {

struct KindName {
    int kind;
    const char* name;
};

constexpr KindName KIND_NAMES[] = {
    {KIND_ROOT, "ROOT"},
    {KIND_TEST_CLASS, "TEST CLASS"},
    {KIND_TEST_SUITE, "TEST SUITE"},
    {KIND_TEST_CASE, "TEST CASE"},
    {KIND_SINGLE_CLASS, "SINGLE CLASS"},
    {KIND_CHECK_EXCEPTION, "CHECK EXCEPTION"},
    {KIND_CHECK_PROPERTY, "CHECK PROPERTY"},
    {KIND_CHECK_STUB, "CHECK STUB"},
    {KIND_CHECK_METHOD, "CHECK METHOD"},
    {KIND_ON_ERROR, "ON ERROR"},
    {KIND_PRINT, "PRINT"},
    {KIND_BYPASS, "BYPASS"},
    {KIND_CALL, "CALL"},
    {KIND_COMMENT, "COMMENT"},
    {KIND_CONTINUE, "CONTINUE"},
    {KIND_ENSURE, "ENSURE"},
    {KIND_EXIT, "EXIT"},
    {KIND_INVARIANT, "INVARIANT"},
    {KIND_PROC, "PROC"},
    {KIND_REQUIRE, "REQUIRE"},
    {KIND_WRAP, "WRAP"},
    {KIND_RUN, "RUN"},
    {KIND_INCLUDE, "INCLUDE"},
    {KIND_CPP, "C++"},
    {KIND_JAVA, "JAVA"},
    {KIND_RUN_ELEMENT, "RUN ELEMENT"},
    {KIND_RUN_TARGET, "RUN TARGET"},
    {KIND_SIGNATURE, "SIGNATURE"},
    {KIND_PROLOGUE, "PROLOGUE"},
    {KIND_EPILOGUE, "EPILOGUE"},
    {KIND_UML_STATE, "UML STATE"},
    {KIND_TRANSITION, "TRANSITION"},
    {KIND_TO, "TO"},
    {KIND_SINGLE, "SINGLE"},
    {KIND_LBRACE, "{"},
    {KIND_RBRACE, "}"},
    {KIND_RPAREN, ")"},
    {KIND_COLON, ":"},
    {KIND_COMMA, ","},
    {KIND_STAR, "*"},
    {KIND_SEMICOLON, ";"},
    {KIND_DOT, "."},
    {KIND_LBRACKET, "["},
    {KIND_RBRACKET, "]"},
    {KIND_LESS, "<"},
    {KIND_GREATER, ">"},
    {KIND_PERCENT, "%"},
    {KIND_QUESTION, "?"},
    {KIND_MINUS, "-"},
    {KIND_CARET, "^"},
    {KIND_AMPERSAND, "&"},
    {KIND_BAR, "|"},
    {KIND_TILDE, "~"},
    {KIND_EXCLAMATION, "!"},
    {KIND_EQUAL, "="},
    {KIND_BACKSLASH, "\\"},
    {KIND_BACKQUOTE, "`"},
    {KIND_APOSTROPHE, "'"},
    {KIND_SCOPE, "::"},
    {KIND_THREE_POINTS, "THREE POINTS"},
    {KIND_STRING, "STRING"},
    {KIND_EXPRESSION, "EXPRESSION"},
    {KIND_COMMENT_TEXT, "COMMENT TEXT"},
    {KIND_COMMENT_BLOCK, "COMMENT BLOCK"},
    {KIND_CPP_COMMENT, "CPP COMMENT"},
    {KIND_C_COMMENT, "C COMMENT"},
    {KIND_NATIVE_LINE, "NATIVE LINE"},
    {KIND_NATIVE_BLOCK, "NATIVE BLOCK"},
    {KIND_CPP_NATIVE_LINE, "C++ NATIVE LINE"},
    {KIND_CPP_NATIVE_BLOCK, "C++ NATIVE BLOCK"},
    {KIND_JAVA_NATIVE_LINE, "JAVA NATIVE LINE"},
    {KIND_JAVA_NATIVE_BLOCK, "JAVA NATIVE BLOCK"},
    {KIND_CHECK, "CHECK"},
    {KIND_PROPERTY, "PROPERTY"},
    {KIND_STUB, "STUB"},
    {KIND_IDENTIFIER, "IDENTIFIER"},
    {KIND_TEST, "TEST"},
    {KIND_CLASS, "CLASS"},
    {KIND_SUITE, "SUITE"},
    {KIND_CASE, "CASE"},
    {KIND_EXCEPTION, "EXCEPTION"},
    {KIND_METHOD, "METHOD"},
    {KIND_ON, "ON"},
    {KIND_ERROR, "ERROR"},
};

}  // namespace

const char* kind_name(int kind) {
    for (const KindName& k : KIND_NAMES)
        if (k.kind == kind)
            return k.name;
    return nullptr;
}
