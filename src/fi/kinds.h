// fi/kinds.h: the one numbering shared by scanner token codes and component kinds.
// A construct's component has the code of its keyword; kind_name() prints any code.
#pragma once

// Components and keywords that become components.
constexpr int KIND_ROOT = 999;
constexpr int KIND_TEST_CLASS = 1000;
constexpr int KIND_TEST_SUITE = 1001;
constexpr int KIND_TEST_CASE = 1002;
constexpr int KIND_SINGLE_CLASS = 1050;
constexpr int KIND_CHECK_EXCEPTION = 1100;
constexpr int KIND_CHECK_PROPERTY = 1101;
constexpr int KIND_CHECK_STUB = 1102;
constexpr int KIND_CHECK_METHOD = 1103;
constexpr int KIND_ON_ERROR = 1300;
constexpr int KIND_PRINT = 1400;
constexpr int KIND_BYPASS = 1401;    // ON ERROR action, never a component
constexpr int KIND_CALL = 1402;
constexpr int KIND_COMMENT = 1403;   // keyword that starts a COMMENT text
constexpr int KIND_CONTINUE = 1404;  // ON ERROR action
constexpr int KIND_ENSURE = 1406;
constexpr int KIND_EXIT = 1407;      // ON ERROR action
constexpr int KIND_INVARIANT = 1409;
constexpr int KIND_PROC = 1411;
constexpr int KIND_REQUIRE = 1413;
constexpr int KIND_WRAP = 1418;
constexpr int KIND_RUN = 1419;
constexpr int KIND_INCLUDE = 1420;
constexpr int KIND_CPP = 1421;       // "c++": starts a native line or block
constexpr int KIND_JAVA = 1422;      // "java": starts a native line or block
constexpr int KIND_RUN_ELEMENT = 1425;
constexpr int KIND_RUN_TARGET = 1426;  // wanted kind of a RUN path lookup, never a component
constexpr int KIND_SIGNATURE = 1427;
constexpr int KIND_PROLOGUE = 1430;
constexpr int KIND_EPILOGUE = 1431;
constexpr int KIND_UML_STATE = 1436;
constexpr int KIND_TRANSITION = 1437;
constexpr int KIND_TO = 1438;
constexpr int KIND_SINGLE = 1439;    // first word of SINGLE CLASS only

// Punctuation.
constexpr int KIND_LBRACE = 5000;
constexpr int KIND_RBRACE = 5001;
constexpr int KIND_RPAREN = 5003;
constexpr int KIND_COLON = 5004;
constexpr int KIND_COMMA = 5005;
constexpr int KIND_STAR = 5007;
constexpr int KIND_SEMICOLON = 5008;
constexpr int KIND_DOT = 5010;
constexpr int KIND_LBRACKET = 5012;
constexpr int KIND_RBRACKET = 5013;
constexpr int KIND_LESS = 5014;
constexpr int KIND_GREATER = 5015;
constexpr int KIND_PERCENT = 5016;
constexpr int KIND_QUESTION = 5017;
constexpr int KIND_MINUS = 5019;
constexpr int KIND_CARET = 5020;
constexpr int KIND_AMPERSAND = 5021;
constexpr int KIND_BAR = 5022;
constexpr int KIND_TILDE = 5023;
constexpr int KIND_EXCLAMATION = 5024;
constexpr int KIND_EQUAL = 5025;
constexpr int KIND_BACKSLASH = 5026;
constexpr int KIND_BACKQUOTE = 5027;
constexpr int KIND_APOSTROPHE = 5028;
constexpr int KIND_SCOPE = 5103;         // "::"
constexpr int KIND_THREE_POINTS = 5200;  // "...", also a component

// Text-carrying tokens; 8001-8003 and 8006-8011 also become components.
constexpr int KIND_STRING = 8000;
constexpr int KIND_EXPRESSION = 8001;
constexpr int KIND_COMMENT_TEXT = 8002;
constexpr int KIND_COMMENT_BLOCK = 8003;
constexpr int KIND_CPP_COMMENT = 8004;  // "//", only from read_comment
constexpr int KIND_C_COMMENT = 8005;    // "/*", only from read_comment
constexpr int KIND_NATIVE_LINE = 8006;
constexpr int KIND_NATIVE_BLOCK = 8007;
constexpr int KIND_CPP_NATIVE_LINE = 8008;
constexpr int KIND_CPP_NATIVE_BLOCK = 8009;
constexpr int KIND_JAVA_NATIVE_LINE = 8010;
constexpr int KIND_JAVA_NATIVE_BLOCK = 8011;

constexpr int KIND_CHECK = 9000;
constexpr int KIND_PROPERTY = 9001;
constexpr int KIND_STUB = 9002;
constexpr int KIND_IDENTIFIER = 9500;
constexpr int KIND_TEST = 9600;       // first word of a pair only
constexpr int KIND_CLASS = 9601;
constexpr int KIND_SUITE = 9602;      // second word of a pair only
constexpr int KIND_CASE = 9603;       // second word of a pair only
constexpr int KIND_EXCEPTION = 9604;  // second word of a pair only
constexpr int KIND_METHOD = 9605;     // second word of a pair only
constexpr int KIND_ON = 9607;         // first word of a pair only
constexpr int KIND_ERROR = 9609;      // second word of a pair only

// Scanner results besides a kind.
constexpr int TOKEN_END_OF_FILE = -99;

// Parameter item kinds.
constexpr int PARAM_FORMAL = 300;
constexpr int PARAM_ACTUAL = 301;

// Whether a kind is one of the six native-code forms (plain, C++ or Java; line or block).
constexpr bool is_native(int kind) {
    return kind == KIND_NATIVE_LINE || kind == KIND_NATIVE_BLOCK || kind == KIND_CPP_NATIVE_LINE ||
           kind == KIND_CPP_NATIVE_BLOCK || kind == KIND_JAVA_NATIVE_LINE ||
           kind == KIND_JAVA_NATIVE_BLOCK;
}

// Printable name of a code ("TEST CLASS", "RUN ELEMENT", "{" ...), or nullptr for an unknown code.
const char* kind_name(int kind);
