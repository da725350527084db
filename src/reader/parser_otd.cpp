// reader/parser_otd.cpp: the readers of test-driver (OTD) scripts: TEST CLASS,
// TEST SUITE, TEST CASE, PROC, STUB, checks, RUN, ON ERROR, INCLUDE ...
// One reader per construct; each reports its first syntax error and returns -1,
// leaving the rest of the construct to the enclosing loop.
#include <QtGlobal>

#include "fi/names.h"
#include "reader/parser.h"
#include "reader/reader_common.h"
#include "utils/text.h"

// Words and phrases passed to messages, translated when printed.
//: TEST CLASS is keyword, do not translate
constexpr const char* PHRASE_TEST_CLASS =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `TEST CLASS'");
//: TEST SUITE is keyword please do not translate
constexpr const char* PHRASE_TEST_SUITE =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `TEST SUITE'");
//: TEST CASE is keyword please do not translate
constexpr const char* PHRASE_TEST_CASE =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `TEST CASE'");
//: PROLOGUE is keyword; do not translate
constexpr const char* PHRASE_PROLOGUE =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `PROLOGUE'");
//: EPILOGUE is keyword; do not translate
constexpr const char* PHRASE_EPILOGUE =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "an `EPILOGUE'");
//: PROPERTY is a keyword ; do not translate
constexpr const char* PHRASE_PROPERTY =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `PROPERTY'");
//: PROC is a keyword; do not translate
constexpr const char* PHRASE_PROC =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `PROC'");
//: RUN is a keyword; do not translate
constexpr const char* PHRASE_RUN =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `RUN'");
//: STUB is a keyword; do not translate
constexpr const char* PHRASE_STUB =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `STUB'");
//: CHECK EXCEPTION is keyword; do not translate
constexpr const char* PHRASE_CHECK_EXCEPTION =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `CHECK EXCEPTION'");
//: CHECKSTUB is keyword; do not translate
constexpr const char* PHRASE_CHECK_STUB =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `CHECK STUB'");
//: ON ERROR is a keyword; do not translate
constexpr const char* PHRASE_ON_ERROR =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "an `ON ERROR'");
constexpr const char* PHRASE_OTD_SCRIPT =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "an `OTD script'");
constexpr const char* PHRASE_ACTUALS =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "(actual parameters list)");
constexpr const char* PHRASE_EXCEPTION_SIGNATURE =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "( Exception Signature )");

static int read_include(Reader& r, Component* parent, int depth);
static int read_test_class(Reader& r, Component* parent, int depth);
static int read_test_suite(Reader& r, Component* parent, int depth);
static int read_test_case(Reader& r, Component* parent, int depth);
static int read_prologue_epilogue(Reader& r, Component* parent, int depth);
static int read_property(Reader& r, Component* parent, int depth);
static int read_proc(Reader& r, Component* parent, int depth);
static int read_call(Reader& r, Component* parent, int depth);
static int read_check(Reader& r, Component* parent, int depth);
static int read_check_property(Reader& r, Component* parent, int depth);
static int read_check_method(Reader& r, Component* parent, int depth);
static int read_check_exception(Reader& r, Component* parent, int depth);
static int read_check_stub(Reader& r, Component* parent, int depth);
static int read_on_error(Reader& r, Component* parent, int depth);
static int read_print(Reader& r, Component* parent, int depth);
static int read_run(Reader& r, Component* parent, int depth);
static int read_run_element(Reader& r, Component* parent, int depth);
static int read_stub(Reader& r, Component* parent, int depth);
static int read_three_points(Reader& r, Component* parent, int depth);

#define NATIVE_ENTRIES                                                                     \
    {KIND_NATIVE_LINE, read_native_item}, {KIND_NATIVE_BLOCK, read_native_item},           \
        {KIND_CPP_NATIVE_LINE, read_native_item}, {KIND_CPP_NATIVE_BLOCK, read_native_item}, \
        {KIND_JAVA_NATIVE_LINE, read_native_item}, {KIND_JAVA_NATIVE_BLOCK, read_native_item}
#define COMMENT_ENTRIES \
    {KIND_COMMENT_TEXT, read_comment_item}, {KIND_COMMENT_BLOCK, read_comment_item}

// What each block accepts.
static const BlockEntry FILE_ENTRIES[] = {
    {KIND_INCLUDE, read_include}, {KIND_TEST_CLASS, read_test_class},
    {KIND_TEST_SUITE, read_test_suite}, {KIND_ON_ERROR, read_on_error},
    {KIND_RUN, read_run}, {KIND_STUB, read_stub}, NATIVE_ENTRIES};
static const BlockEntry TEST_CLASS_ENTRIES[] = {
    {KIND_TEST_CLASS, read_test_class}, {KIND_TEST_SUITE, read_test_suite},
    {KIND_TEST_CASE, read_test_case},   {KIND_PROLOGUE, read_prologue_epilogue},
    {KIND_EPILOGUE, read_prologue_epilogue}, {KIND_PROPERTY, read_property},
    {KIND_PROC, read_proc},             {KIND_ON_ERROR, read_on_error},
    {KIND_RUN, read_run}};
static const BlockEntry TEST_SUITE_ENTRIES[] = {
    {KIND_TEST_SUITE, read_test_suite}, {KIND_TEST_CASE, read_test_case},
    {KIND_PROLOGUE, read_prologue_epilogue}, {KIND_EPILOGUE, read_prologue_epilogue},
    {KIND_PROPERTY, read_property}, {KIND_PROC, read_proc}, {KIND_ON_ERROR, read_on_error}};
static const BlockEntry STATEMENT_ENTRIES[] = {  // TEST CASE, PROC
    {KIND_CALL, read_call}, {KIND_CHECK, read_check},
    {KIND_CHECK_PROPERTY, read_check_property}, {KIND_CHECK_METHOD, read_check_method},
    {KIND_CHECK_EXCEPTION, read_check_exception}, {KIND_CHECK_STUB, read_check_stub},
    {KIND_ON_ERROR, read_on_error}, {KIND_PRINT, read_print}, COMMENT_ENTRIES, NATIVE_ENTRIES};
static const BlockEntry CODE_ENTRIES[] = {  // PROLOGUE, EPILOGUE, ON ERROR, CHECK EXCEPTION
    {KIND_PRINT, read_print}, COMMENT_ENTRIES, NATIVE_ENTRIES};
static const BlockEntry CHECK_STUB_ENTRIES[] = {
    {KIND_CHECK, read_check}, {KIND_PRINT, read_print}, COMMENT_ENTRIES, NATIVE_ENTRIES};
static const BlockEntry STUB_ENTRIES[] = {{KIND_CHECK, read_check},
                                          {KIND_PRINT, read_print},
                                          {KIND_THREE_POINTS, read_three_points},
                                          COMMENT_ENTRIES,
                                          NATIVE_ENTRIES};
static const BlockEntry PROPERTY_ENTRIES[] = {{KIND_EXPRESSION, read_property_expression}};
static const BlockEntry RUN_ENTRIES[] = {{KIND_IDENTIFIER, read_run_element}};

static const BlockTable OTD_FILE = {FILE_ENTRIES, PHRASE_OTD_SCRIPT};
static const BlockTable TEST_CLASS_BODY = {TEST_CLASS_ENTRIES, PHRASE_TEST_CLASS};
static const BlockTable TEST_SUITE_BODY = {TEST_SUITE_ENTRIES, PHRASE_TEST_SUITE};
static const BlockTable TEST_CASE_BODY = {STATEMENT_ENTRIES, PHRASE_TEST_CASE};
static const BlockTable PROC_BODY = {STATEMENT_ENTRIES, PHRASE_PROC};
static const BlockTable PROLOGUE_BODY = {CODE_ENTRIES, PHRASE_PROLOGUE};
static const BlockTable EPILOGUE_BODY = {CODE_ENTRIES, PHRASE_EPILOGUE};
static const BlockTable ON_ERROR_BODY = {CODE_ENTRIES, PHRASE_ON_ERROR};
static const BlockTable CHECK_EXCEPTION_BODY = {CODE_ENTRIES, PHRASE_CHECK_EXCEPTION};
static const BlockTable CHECK_STUB_BODY = {CHECK_STUB_ENTRIES, PHRASE_CHECK_STUB};
static const BlockTable STUB_BODY = {STUB_ENTRIES, PHRASE_STUB};
static const BlockTable PROPERTY_BODY = {PROPERTY_ENTRIES, PHRASE_PROPERTY};
static const BlockTable RUN_BODY = {RUN_ENTRIES, PHRASE_RUN};

int read_otd_script(const char* display_file, const char* dir, const char* file,
                    Component* parent) {
    return read_top_level(display_file, dir, file, parent, OTD_FILE);
}

// ---- lists and references

// Optional "(...)" split into a parameter list (formal or actual); message 26 when
// the text does not split. *list stays nullptr when there is no "(...)".
static int read_optional_params(Reader& r, int item_kind, ParamItem** list) {
    if (!accept(r, KIND_EXPRESSION))
        return 0;
    std::string_view text = interned_view(r.tok.text);
    *list = item_kind == PARAM_FORMAL ? split_formal_params(text) : split_actual_params(text);
    if (*list)
        return 0;
    report_here(r, MSG_PARAM_LIST, arg_text(text));
    return -1;
}

// Appends a segment after `last` (which may be null) and returns the new last one,
// so long paths do not walk the chain again per name; nullptr after message 24.
static RefSegment* add_segment(Reader& r, RefSegment* last, const char* name,
                               ParamItem* actuals) {
    RefSegment* first = append_segment(last, name, actuals);
    if (!first) {
        report_here(r, MSG_SYNTAX_NO_MEMORY_TOKEN);
        return nullptr;
    }
    return last ? last->next : first;
}

static Span text_span(const Span& from, const Span& to) {
    return Span{from.first_line, to.last_line, from.first_column, to.last_column};
}

// ";" or a body; the construct ends with either.
static int read_end_or_body(Reader& r, const BlockTable& body, Component* c,
                            const Span& keyword, int depth) {
    int result = read_token(r);
    if (result == KIND_SEMICOLON) {
        finish_span(r, c, keyword);
        return 0;
    }
    if (result == KIND_LBRACE)
        return read_block_items(r, body, c, keyword, depth);
    if (result != -1)
        report_here(r, MSG_EXPECTED_2, plain(";"), plain("{"), found_text(r, result));
    return -1;
}

// ---- file level

// include = INCLUDE string ";"
static int read_include(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect(r, KIND_STRING, plain("\"")) < 0)
        return -1;
    const char* written = r.tok.text;
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    const char* name = unescape_text(written);
    if (!name) {
        report_here(r, MSG_NO_MEMORY_FILENAME, arg_text(interned_view(written)));
        return -1;
    }
    Component* c = new_component(r, parent, KIND_INCLUDE, name, depth, "INCLUDE");
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return read_script(name, parent, true, r.dir);
}

// Optional base after ":": name [ "(" actuals ")" ], one reference segment.
static int read_base_reference(Reader& r, RefSegment** base) {
    if (!accept(r, KIND_COLON))
        return 0;
    if (expect_name(r, "TEST CLASS") < 0)
        return -1;
    const char* name = r.tok.text;
    ParamItem* actuals = nullptr;
    if (read_optional_params(r, PARAM_ACTUAL, &actuals) < 0)
        return -1;
    *base = add_segment(r, nullptr, name, actuals);
    return *base ? 0 : -1;
}

// test_class = TEST CLASS name [ "(" formals ")" ] [ ":" name [ "(" actuals ")" ] ]
//              [ "{" body "}" ]
static int read_test_class(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_name(r, "TEST CLASS") < 0)
        return -1;
    const char* name = r.tok.text;
    ParamItem* formals = nullptr;
    RefSegment* base = nullptr;
    if (read_optional_params(r, PARAM_FORMAL, &formals) < 0 || read_base_reference(r, &base) < 0)
        return -1;
    Component* c = built(r,
                         build_test_class(parent, name, r.dir, r.file, r.tok.span, r.in.line,
                                          depth, formals, base),
                         "TEST CLASS", name);
    if (!c)
        return -1;
    if (accept(r, KIND_LBRACE))
        return read_block_items(r, TEST_CLASS_BODY, c, keyword, depth);
    finish_span(r, c, keyword);  // a class without body is complete
    return 0;
}

// Shared by TEST SUITE and TEST CASE: name "{" body "}".
static int read_named_block(Reader& r, Component* parent, int depth, const char* construct,
                            const BlockTable& body) {
    Span keyword = r.tok.span;
    int kind = r.tok.kind;
    if ((kind == KIND_TEST_CASE ? expect_label_name(r, construct) : expect_name(r, construct)) < 0)
        return -1;
    Component* c = new_component(r, parent, kind, r.tok.text, depth, construct);
    if (!c)
        return -1;
    return read_body(r, body, c, keyword, depth);
}

// test_suite = TEST SUITE name "{" body "}"
static int read_test_suite(Reader& r, Component* parent, int depth) {
    return read_named_block(r, parent, depth, "TEST SUITE", TEST_SUITE_BODY);
}

// test_case = TEST CASE name "{" body "}"
static int read_test_case(Reader& r, Component* parent, int depth) {
    return read_named_block(r, parent, depth, "TEST CASE", TEST_CASE_BODY);
}

// prologue = PROLOGUE "{" body "}"        epilogue = EPILOGUE "{" body "}"
static int read_prologue_epilogue(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    bool prologue = r.tok.kind == KIND_PROLOGUE;
    Component* c = new_component(r, parent, r.tok.kind, r.tok.text, depth,
                                 prologue ? "PROLOGUE" : "EPILOGUE");
    if (!c)
        return -1;
    return read_body(r, prologue ? PROLOGUE_BODY : EPILOGUE_BODY, c, keyword, depth);
}

// property = PROPERTY name [ "(" formals ")" ] "{" { "(" text ")" } "}"
static int read_property(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_name(r, "PROPERTY") < 0)
        return -1;
    const char* name = r.tok.text;
    ParamItem* formals = nullptr;
    if (read_optional_params(r, PARAM_FORMAL, &formals) < 0)
        return -1;
    Component* c = built(r,
                         build_param_list(parent, KIND_PROPERTY, name, r.dir, r.file, r.tok.span,
                                          r.in.line, depth, formals),
                         "PROPERTY", name);
    if (!c)
        return -1;
    return read_body(r, PROPERTY_BODY, c, keyword, depth);
}

// proc = PROC name [ "(" formals ")" ] [ REQUIRE "(" text ")" ] "{" body "}"
//        [ ENSURE "(" text ")" ]
static int read_proc(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_label_name(r, "PROC") < 0)
        return -1;
    const char* name = r.tok.text;
    ParamItem* formals = nullptr;
    if (read_optional_params(r, PARAM_FORMAL, &formals) < 0)
        return -1;
    Component* c = built(r,
                         build_param_list(parent, KIND_PROC, name, r.dir, r.file, r.tok.span,
                                          r.in.line, depth, formals),
                         "PROC", name);
    if (!c || read_optional_condition(r, c, KIND_REQUIRE, depth) < 0 ||
        read_body(r, PROC_BODY, c, keyword, depth) < 0 ||
        read_optional_condition(r, c, KIND_ENSURE, depth) < 0)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// stub = STUB name ":" signature [ REQUIRE "(" text ")" ] "{" body "}"
//        [ ENSURE "(" text ")" ]
static int read_stub(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_name(r, "STUB") < 0)
        return -1;
    const char* name = r.tok.text;
    if (expect(r, KIND_COLON, plain(":")) < 0)
        return -1;
    const char* signature = scan_signature(r, STOPS_STUB);
    if (!signature)
        return -1;
    Component* c = built(
        r, build_stub(parent, name, r.dir, r.file, r.tok.span, r.in.line, depth, signature),
        "STUB", name);
    if (!c || read_optional_condition(r, c, KIND_REQUIRE, depth) < 0 ||
        read_body(r, STUB_BODY, c, keyword, depth) < 0 ||
        read_optional_condition(r, c, KIND_ENSURE, depth) < 0)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// "..." inside a STUB body
static int read_three_points(Reader& r, Component* parent, int depth) {
    return new_component(r, parent, KIND_THREE_POINTS, r.tok.text, depth, "THREE POINTS") ? 0
                                                                                          : -1;
}

// ---- statements

// call = CALL name [ "(" actuals ")" ] ";"
static int read_call(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_label_name(r, "PROC") < 0)
        return -1;
    const char* name = r.tok.text;
    ParamItem* actuals = nullptr;
    if (read_optional_params(r, PARAM_ACTUAL, &actuals) < 0 ||
        expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    RefSegment* callee = add_segment(r, nullptr, name, actuals);
    if (!callee)
        return -1;
    Component* c = built(r,
                         build_call(parent, name, r.dir, r.file, r.tok.span, r.in.line, depth,
                                    callee, actuals),
                         "CALL", name);
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// The optional quoted label of CHECK and CHECK PROPERTY; *label stays nullptr without one.
static void read_optional_label(Reader& r, const char** label, Span* label_span) {
    if (!accept(r, KIND_STRING))
        return;
    *label = r.tok.text;
    *label_span = r.tok.span;
}

// check = CHECK [ string ] "(" text ")" ";"
static int read_check(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    const char* label = nullptr;
    Span label_span;
    read_optional_label(r, &label, &label_span);
    if (expect_expression(r, "CHECK") < 0)
        return -1;
    Token expression = r.tok;
    Span text = text_span(label ? label_span : expression.span, expression.span);
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    Component* c = built(r,
                         build_check(parent, label, expression.text, r.dir, r.file, r.tok.span,
                                     r.in.line, depth, text),
                         "CHECK", expression.text);
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// check_property = CHECK PROPERTY [ string ] name [ "(" actuals ")" ] ";"
static int read_check_property(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    const char* label = nullptr;
    Span label_span;
    read_optional_label(r, &label, &label_span);
    if (expect_name(r, "PROPERTY") < 0)
        return -1;
    const char* name = r.tok.text;
    Span name_span = r.tok.span;
    ParamItem* actuals = nullptr;
    if (read_optional_params(r, PARAM_ACTUAL, &actuals) < 0)
        return -1;
    // Without "(...)", r.tok is the look-ahead that was put back, not the name.
    Span text = text_span(label ? label_span : name_span, actuals ? r.tok.span : name_span);
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    RefSegment* property = add_segment(r, nullptr, name, actuals);
    if (!property)
        return -1;
    Component* c = built(r,
                         build_check_property(parent, label, name, r.dir, r.file, r.tok.span,
                                              r.in.line, depth, property, actuals, text),
                         "CHECK PROPERTY", name);
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// check_method = CHECK METHOD signature ";"
static int read_check_method(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    const char* signature = scan_signature(r, STOPS_CHECK_METHOD);
    if (!signature || expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    Component* c = new_component(r, parent, KIND_CHECK_METHOD, signature, depth, "CHECK METHOD");
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// check_exception = CHECK EXCEPTION "(" text ")" ( ";" | "{" body "}" )
static int read_check_exception(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect(r, KIND_EXPRESSION, parameter_word(PHRASE_EXCEPTION_SIGNATURE)) < 0)
        return -1;
    Component* c =
        new_component(r, parent, KIND_CHECK_EXCEPTION, r.tok.text, depth, "CHECK EXCEPTION");
    if (!c)
        return -1;
    return read_end_or_body(r, CHECK_EXCEPTION_BODY, c, keyword, depth);
}

// check_stub = CHECK STUB name ( ";" | "{" body "}" )
static int read_check_stub(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_name(r, "STUB") < 0)
        return -1;
    Component* c = built(r,
                         build_check_stub(parent, r.tok.text, r.dir, r.file, r.tok.span,
                                          r.in.line, depth),
                         "CHECK STUB", r.tok.text);
    if (!c)
        return -1;
    return read_end_or_body(r, CHECK_STUB_BODY, c, keyword, depth);
}

static bool is_action(int kind) {
    return kind == KIND_CONTINUE || kind == KIND_EXIT || kind == KIND_BYPASS;
}

// The action of an ON ERROR, with or without a body before it; the action kind,
// or -1 after reporting (message 16 after a body, 17 without one).
static int read_on_error_action(Reader& r, Component* c, const Span& keyword, int depth) {
    int result = read_token(r);
    bool body = result == KIND_LBRACE;
    if (body) {
        if (read_block_items(r, ON_ERROR_BODY, c, keyword, depth) < 0)
            return -1;
        result = read_token(r);
    }
    if (is_action(result))
        return result;
    if (result != -1 && body)
        report_here(r, MSG_EXPECTED_3, plain("CONTINUE"), plain("EXIT"), plain("BYPASS"),
                    found_text(r, result));
    else if (result != -1)
        report_here(r, MSG_EXPECTED_4, plain("{"), plain("CONTINUE"), plain("EXIT"),
                    plain("BYPASS"), found_text(r, result));
    return -1;
}

// on_error = ON ERROR [ "{" body "}" ] ( CONTINUE | EXIT | BYPASS [ name ] ) ";"
static int read_on_error(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    Component* c = built(
        r, build_on_error(parent, r.tok.text, r.dir, r.file, r.tok.span, r.in.line, depth),
        "ON ERROR", r.tok.text);
    if (!c)
        return -1;
    int action = read_on_error_action(r, c, keyword, depth);
    if (action < 0)
        return -1;
    OnErrorDetail* detail = on_error_detail(c);
    detail->action = action;
    if (action == KIND_BYPASS && accept(r, KIND_IDENTIFIER))
        detail->bypass_name = r.tok.text;
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// print = PRINT "(" actuals ")" ";"
static int read_print(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    const char* word = r.tok.text;
    if (expect(r, KIND_EXPRESSION, parameter_word(PHRASE_ACTUALS)) < 0)
        return -1;
    std::string_view text = interned_view(r.tok.text);
    ParamItem* actuals = split_actual_params(text);
    if (!actuals) {
        report_here(r, MSG_PARAM_LIST, arg_text(text));
        return -1;
    }
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    Component* c = built(r,
                         build_param_list(parent, KIND_PRINT, word, r.dir, r.file, r.tok.span,
                                          r.in.line, depth, actuals),
                         "PRINT", word);
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// ---- RUN

// run = RUN "{" { run_element } "}"
static int read_run(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    Component* c = new_component(r, parent, KIND_RUN, r.tok.text, depth, "RUN");
    if (!c)
        return -1;
    return read_body(r, RUN_BODY, c, keyword, depth);
}

// A name after "." in a RUN path: message 20 when it is missing.
static int expect_path_name(Reader& r) {
    int result = read_token(r);
    if (result == KIND_IDENTIFIER)
        return 0;
    if (result != -1)
        report_here(r, MSG_NAME_EXPECTED_3, plain("TEST CLASS"), plain("TEST SUITE"),
                    plain("TEST CASE"), found_text(r, result));
    return -1;
}

// run_element = name [ "(" actuals ")" ] { "." name [ "(" actuals ")" ] } ";"
// Entered with the first name already read.
static int read_run_element(Reader& r, Component* parent, int depth) {
    Span first = r.tok.span;
    const char* name = r.tok.text;
    RefSegment* path = nullptr;
    RefSegment* last = nullptr;
    for (;;) {
        ParamItem* actuals = nullptr;
        if (read_optional_params(r, PARAM_ACTUAL, &actuals) < 0 ||
            !(last = add_segment(r, last, name, actuals)))
            return -1;
        path = path ? path : last;
        if (!accept(r, KIND_DOT))
            break;
        if (expect_path_name(r) < 0)
            return -1;
        name = r.tok.text;
    }
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    Component* c = built(
        r, build_run_element(parent, name, r.dir, r.file, r.tok.span, r.in.line, depth, path),
        "RUN ELEMENT", name);
    if (!c)
        return -1;
    finish_span(r, c, first);
    return 0;
}
