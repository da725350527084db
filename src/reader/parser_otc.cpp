// reader/parser_otc.cpp: the readers of contract-check (OTC) scripts: CLASS and
// SINGLE CLASS bodies with INVARIANT, WRAP, STATE and TRANSITION.
// Same conventions as the OTD readers: one message per error, then return -1.
#include <QtGlobal>

#include "reader/reader_common.h"

constexpr const char* PHRASE_OTC_SCRIPT =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "an `OTC script'");
//: CLASS is a keyword; do not translate
constexpr const char* PHRASE_CLASS = QT_TRANSLATE_NOOP("VEX Error Parameter", "a `CLASS'");
//: UML STATE is a keyword; do not translate
constexpr const char* PHRASE_UML_STATE =
    QT_TRANSLATE_NOOP("VEX Error Parameter", "a `UML STATE'");

static int read_class(Reader& r, Component* parent, int depth);
static int read_invariant(Reader& r, Component* parent, int depth);
static int read_wrap(Reader& r, Component* parent, int depth);
static int read_state(Reader& r, Component* parent, int depth);
static int read_transition(Reader& r, Component* parent, int depth);

static const BlockEntry FILE_ENTRIES[] = {{KIND_SINGLE_CLASS, read_class},
                                          {KIND_CLASS, read_class}};
static const BlockEntry CLASS_ENTRIES[] = {{KIND_INVARIANT, read_invariant},
                                           {KIND_WRAP, read_wrap},
                                           {KIND_UML_STATE, read_state},
                                           {KIND_TRANSITION, read_transition}};
static const BlockEntry STATE_ENTRIES[] = {{KIND_EXPRESSION, read_state_expression}};

static const BlockTable OTC_FILE = {FILE_ENTRIES, PHRASE_OTC_SCRIPT};
static const BlockTable CLASS_BODY = {CLASS_ENTRIES, PHRASE_CLASS};
static const BlockTable STATE_BODY = {STATE_ENTRIES, PHRASE_UML_STATE};

int read_otc_script(const char* display_file, const char* dir, const char* file,
                    Component* parent) {
    return read_top_level(display_file, dir, file, parent, OTC_FILE);
}

// class = ( CLASS | SINGLE CLASS ) signature "{" { invariant | wrap | state | transition } "}"
static int read_class(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    int kind = r.tok.kind;
    const char* signature = scan_signature(r, STOPS_CLASS);
    if (!signature)
        return -1;
    Component* c = new_component(r, parent, kind, signature, depth,
                                 kind == KIND_SINGLE_CLASS ? "SINGLE CLASS" : "CLASS");
    if (!c)
        return -1;
    return read_body(r, CLASS_BODY, c, keyword, depth);
}

// invariant = INVARIANT "(" text ")" ";"
static int read_invariant(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_expression(r, "INVARIANT") < 0)
        return -1;
    Token condition = r.tok;
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    Component* c = built(r,
                         build_condition(parent, KIND_INVARIANT, condition.text, r.dir, r.file,
                                         r.tok.span, r.in.line, depth, condition.span),
                         "INVARIANT", condition.text);
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// wrap = WRAP signature [ REQUIRE "(" text ")" ] [ ENSURE "(" text ")" ]
// No terminator: the class body goes on after the last condition.
static int read_wrap(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    const char* signature = scan_signature(r, STOPS_WRAP);
    if (!signature)
        return -1;
    Component* c = new_component(r, parent, KIND_WRAP, signature, depth, "WRAP");
    if (!c || read_optional_condition(r, c, KIND_REQUIRE, depth) < 0 ||
        read_optional_condition(r, c, KIND_ENSURE, depth) < 0)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}

// state = STATE name "{" { "(" text ")" } "}"
static int read_state(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    if (expect_name(r, "UML STATE") < 0)
        return -1;
    Component* c = built(
        r, build_uml_state(parent, r.tok.text, r.dir, r.file, r.tok.span, r.in.line, depth),
        "UML STATE", r.tok.text);
    if (!c)
        return -1;
    return read_body(r, STATE_BODY, c, keyword, depth);
}

// transition = TRANSITION name TO name ";"
static int read_transition(Reader& r, Component* parent, int depth) {
    Span keyword = r.tok.span;
    const char* word = r.tok.text;
    if (expect_name(r, "SOURCE STATE") < 0)
        return -1;
    const char* source = r.tok.text;
    if (expect(r, KIND_TO, plain("TO")) < 0 || expect_name(r, "DESTINATION STATE") < 0)
        return -1;
    const char* destination = r.tok.text;
    if (expect(r, KIND_SEMICOLON, plain(";")) < 0)
        return -1;
    Component* c = built(r,
                         build_transition(parent, word, r.dir, r.file, r.tok.span, r.in.line,
                                          depth, source, destination),
                         "TRANSITION", word);
    if (!c)
        return -1;
    finish_span(r, c, keyword);
    return 0;
}
