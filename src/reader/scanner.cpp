// reader/scanner.cpp: the lexical scanner over a script held in memory.
// Each reader finds the end of its token by index, then moves the position there,
// counting lines and columns once; the text is interned straight from the script
// bytes unless carriage returns or line feeds have to become blanks. So tokens of
// any size cost linear time and are never truncated.
//
// Failures are reported here (messages 2-13) and give -1. A message is reported only
// for a token starting at or after ScanInput::reported_mark, so a token read again
// after the caller restored an earlier position does not report (or count) twice.
// NUL bytes: a NUL that would enter a token makes the whole token fail with message 9
// naming "\0", after the token has been consumed; a run of NULs between tokens is one
// such message. NULs inside dropped "//" and "/*" comments are ignored.
#include "reader/scanner.h"

#include <cstring>
#include <new>
#include <string>
#include <utility>

#include <QtGlobal>

#include "errors/report.h"
#include "fi/names.h"

namespace {

// Bytes that start a special reader; private codes, never delivered.
constexpr int RAW_QUOTE = 100001;
constexpr int RAW_LPAREN = 100002;
constexpr int RAW_HASH = 100003;

struct Punctuation {
    char ch;
    int kind;
};

constexpr Punctuation PUNCTUATION[] = {
    {'{', KIND_LBRACE},      {'}', KIND_RBRACE},      {'(', RAW_LPAREN},       {')', KIND_RPAREN},
    {':', KIND_COLON},       {',', KIND_COMMA},       {'*', KIND_STAR},        {';', KIND_SEMICOLON},
    {'#', RAW_HASH},         {'.', KIND_DOT},         {'"', RAW_QUOTE},        {'\\', KIND_BACKSLASH},
    {'`', KIND_BACKQUOTE},   {'[', KIND_LBRACKET},    {']', KIND_RBRACKET},    {'<', KIND_LESS},
    {'>', KIND_GREATER},     {'%', KIND_PERCENT},     {'?', KIND_QUESTION},    {'-', KIND_MINUS},
    {'^', KIND_CARET},       {'&', KIND_AMPERSAND},   {'|', KIND_BAR},         {'~', KIND_TILDE},
    {'!', KIND_EXCLAMATION}, {'=', KIND_EQUAL},       {'\'', KIND_APOSTROPHE},
};

struct Keyword {
    std::string_view word;
    int kind;
};

constexpr Keyword KEYWORDS[] = {
    {"include", KIND_INCLUDE},     {"c++", KIND_CPP},           {"java", KIND_JAVA},
    {"test", KIND_TEST},           {"single", KIND_SINGLE},     {"class", KIND_CLASS},
    {"suite", KIND_SUITE},         {"case", KIND_CASE},         {"run", KIND_RUN},
    {"check", KIND_CHECK},         {"exception", KIND_EXCEPTION}, {"property", KIND_PROPERTY},
    {"state", KIND_UML_STATE},     {"stub", KIND_STUB},         {"method", KIND_METHOD},
    {"transition", KIND_TRANSITION}, {"to", KIND_TO},           {"on", KIND_ON},
    {"error", KIND_ERROR},         {"print", KIND_PRINT},       {"bypass", KIND_BYPASS},
    {"call", KIND_CALL},           {"comment", KIND_COMMENT},   {"continue", KIND_CONTINUE},
    {"ensure", KIND_ENSURE},       {"epilogue", KIND_EPILOGUE}, {"exit", KIND_EXIT},
    {"invariant", KIND_INVARIANT}, {"proc", KIND_PROC},         {"prologue", KIND_PROLOGUE},
    {"require", KIND_REQUIRE},     {"wrap", KIND_WRAP},
};
constexpr std::size_t LONGEST_KEYWORD = 10;

struct Pair {
    int first, second, kind;
};

constexpr Pair PAIRS[] = {
    {KIND_TEST, KIND_CLASS, KIND_TEST_CLASS},
    {KIND_TEST, KIND_SUITE, KIND_TEST_SUITE},
    {KIND_TEST, KIND_CASE, KIND_TEST_CASE},
    {KIND_SINGLE, KIND_CLASS, KIND_SINGLE_CLASS},
    {KIND_CHECK, KIND_EXCEPTION, KIND_CHECK_EXCEPTION},
    {KIND_CHECK, KIND_PROPERTY, KIND_CHECK_PROPERTY},
    {KIND_CHECK, KIND_STUB, KIND_CHECK_STUB},
    {KIND_CHECK, KIND_METHOD, KIND_CHECK_METHOD},
    {KIND_ON, KIND_ERROR, KIND_ON_ERROR},
};

// Words that only exist as part of a pair; alone they are identifiers.
constexpr int PAIR_ONLY[] = {KIND_TEST, KIND_SUITE,  KIND_CASE, KIND_EXCEPTION,
                             KIND_METHOD, KIND_ON, KIND_ERROR, KIND_SINGLE};

struct ByteTable {
    int punctuation[256] = {};  // 0: not punctuation
    bool word[256] = {};
};

constexpr ByteTable make_byte_table() {
    ByteTable t;
    for (const Punctuation& p : PUNCTUATION)
        t.punctuation[static_cast<unsigned char>(p.ch)] = p.kind;
    for (int c = 0; c < 256; ++c)
        t.word[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '+';
    return t;
}
constexpr ByteTable BYTES = make_byte_table();

bool is_word(char c) { return BYTES.word[static_cast<unsigned char>(c)]; }
bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }
bool is_space(char c) { return is_blank(c) || c == '\n'; }

int keyword_kind(std::string_view word) {
    if (word.size() > LONGEST_KEYWORD)
        return KIND_IDENTIFIER;
    char lower[LONGEST_KEYWORD];
    for (std::size_t i = 0; i < word.size(); ++i)
        lower[i] = (word[i] >= 'A' && word[i] <= 'Z') ? static_cast<char>(word[i] + 32) : word[i];
    std::string_view key(lower, word.size());
    for (const Keyword& k : KEYWORDS)
        if (k.word == key)
            return k.kind;
    return KIND_IDENTIFIER;
}

int pair_kind(int first, int second) {
    for (const Pair& p : PAIRS)
        if (p.first == first && p.second == second)
            return p.kind;
    return 0;
}

bool starts_pair(int kind) {
    return kind == KIND_TEST || kind == KIND_CHECK || kind == KIND_ON || kind == KIND_SINGLE;
}

int alone_kind(int kind) {
    for (int k : PAIR_ONLY)
        if (k == kind)
            return KIND_IDENTIFIER;
    return kind;
}

// ---- Position and counters ----------------------------------------------------

// Where a token starts: its offset and the counters at its first byte.
struct Start {
    std::size_t offset = 0;
    int line = 1;
    int column = 1;
};

Start start_here(const ScanInput& in) { return Start{in.pos, in.line, in.column}; }

// Moves the position forward to `to`, counting the lines and columns passed.
void advance_to(ScanInput& in, std::size_t to) {
    const char* from = in.data + in.pos;
    const char* end = in.data + to;
    const char* last_lf = nullptr;
    for (const char* p = from; p < end; ++p) {
        p = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        if (!p)
            break;
        ++in.line;
        last_lf = p;
    }
    in.column = last_lf ? static_cast<int>(end - last_lf) : in.column + static_cast<int>(end - from);
    in.pos = to;
}

std::size_t find_byte(const ScanInput& in, std::size_t from, char c) {
    const void* p = std::memchr(in.data + from, c, in.size - from);
    return p ? static_cast<std::size_t>(static_cast<const char*>(p) - in.data) : in.size;
}

bool at_end(const ScanInput& in) { return in.pos >= in.size; }

// An input without bytes may come without a buffer; every view below needs one.
void make_usable(ScanInput& in) {
    if (!in.data) {
        in.data = "";
        in.size = 0;
    }
    if (in.pos > in.size)
        in.pos = in.size;
}

// ---- Messages -----------------------------------------------------------------

// Reports once per token start (see the header comment), at `line`.
template <typename... Args>
void report_at(ScanInput& in, const Start& s, int line, int message, Args&&... args) {
    if (s.offset < in.reported_mark)
        return;
    in.reported_mark = s.offset + 1;
    report_error(message, Location{in.display_file, line}, std::forward<Args>(args)...);
}

template <typename... Args>
void report(ScanInput& in, const Start& s, int message, Args&&... args) {
    report_at(in, s, in.line, message, std::forward<Args>(args)...);
}

QString word_eof() { return parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "EOF")); }
QString word_return() {
    return parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "RETURN"));
}
QString fixed(const char* text) { return QString::fromLatin1(text); }

// A byte as a message argument; NUL is written as "\0" so it stays visible.
QString byte_text(char c) {
    return c == '\0' ? fixed("\\0") : arg_text(std::string_view(&c, 1));
}

// The byte found instead of an expected one: the byte, "RETURN" or "EOF".
QString found_byte(const ScanInput& in, bool blank_cr) {
    if (at_end(in))
        return word_eof();
    char c = in.data[in.pos];
    if (c == '\n')
        return word_return();
    return (blank_cr && c == '\r') ? fixed(" ") : byte_text(c);
}

// Message 9 for the first NUL of [begin, end); true when there was one.
bool report_nul(ScanInput& in, const Start& s, std::size_t begin, std::size_t end) {
    const void* nul = std::memchr(in.data + begin, '\0', end - begin);
    if (!nul)
        return false;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nul) - in.data);
    int line = s.line;
    for (std::size_t i = s.offset; i < at; ++i)
        line += in.data[i] == '\n';
    report_at(in, s, line, MSG_NOT_ALLOWED_HERE, fixed("\\0"));
    return true;
}

// An unterminated token: the NUL inside it if any, else message 10 with `expected`.
int report_unterminated(ScanInput& in, const Start& s, std::size_t begin, const char* expected) {
    if (!report_nul(in, s, begin, in.pos))
        report(in, s, MSG_LEX_EXPECTED, fixed(expected), found_byte(in, false));
    return -1;
}

// ---- Token texts --------------------------------------------------------------

// Interned text of [begin, end): carriage returns become blanks, and line feeds too
// when `lf_to_space`. nullptr after reporting a memory failure.
const char* token_text(ScanInput& in, const Start& s, std::size_t begin, std::size_t end,
                       bool lf_to_space) {
    std::string_view raw(in.data + begin, end - begin);
    bool plain = raw.find('\r') == std::string_view::npos &&
                 (!lf_to_space || raw.find('\n') == std::string_view::npos);
    const char* text = nullptr;
    try {
        if (plain) {
            text = intern(raw);
        } else {
            std::string copy(raw);
            for (char& c : copy)
                if (c == '\r' || (lf_to_space && c == '\n'))
                    c = ' ';
            text = intern(copy);
        }
    } catch (const std::bad_alloc&) {
        report(in, s, MSG_NO_MEMORY_TOKEN);
        return nullptr;
    }
    if (!text)
        report(in, s, MSG_NO_MEMORY_HASH_TOKEN, arg_text(raw));
    return text;
}

int deliver(const ScanInput& in, const Start& s, Token* out, int kind, const char* text) {
    out->text = text;
    out->kind = kind;
    out->span = Span{s.line, in.line, s.column, in.column - 1};
    return kind;
}

// The position is already past the token; [begin, end) is its text.
int deliver_text(ScanInput& in, const Start& s, Token* out, int kind, std::size_t begin,
                 std::size_t end, bool lf_to_space) {
    if (report_nul(in, s, begin, end))
        return -1;
    const char* text = token_text(in, s, begin, end, lf_to_space);
    return text ? deliver(in, s, out, kind, text) : -1;
}

// ---- Comments -----------------------------------------------------------------

// "//" to the end of the line; the line feed is left for the next token.
int line_comment(ScanInput& in, const Start& s, Token* out, bool keep_text) {
    std::size_t begin = in.pos;
    advance_to(in, find_byte(in, begin, '\n'));
    if (!keep_text)
        return KIND_CPP_COMMENT;
    const char* text = token_text(in, s, begin, in.pos, false);
    return text ? deliver(in, s, out, KIND_CPP_COMMENT, text) : -1;
}

// After "/*" (and the second '*' of "/**"): up to the first '/' right after a kept '*'.
int block_comment(ScanInput& in, const Start& s, Token* out, bool documentation, bool keep_text) {
    std::size_t begin = in.pos;
    std::size_t slash = find_byte(in, begin, '/');
    while (slash < in.size && !(slash > begin && in.data[slash - 1] == '*'))
        slash = find_byte(in, slash + 1, '/');
    if (slash == in.size) {
        advance_to(in, in.size);
        if (documentation)
            return report_unterminated(in, s, begin, "*/");
        report(in, s, MSG_LEX_EXPECTED, fixed("*/"), word_eof());  // NULs here do not matter
        return -1;
    }
    advance_to(in, slash + 1);
    if (documentation)
        return deliver_text(in, s, out, KIND_COMMENT_BLOCK, begin, slash - 1, true);
    if (!keep_text)
        return KIND_C_COMMENT;
    const char* text = token_text(in, s, begin, slash - 1, true);
    return text ? deliver(in, s, out, KIND_C_COMMENT, text) : -1;
}

// After a '/': the next byte chooses the comment form.
int comment_reader(ScanInput& in, const Start& s, Token* out, bool keep_text) {
    char c = at_end(in) ? '\n' : in.data[in.pos];
    if (!at_end(in) && (c == '/' || c == '*')) {
        advance_to(in, in.pos + 1);
        if (c == '/')
            return line_comment(in, s, out, keep_text);
        bool documentation = !at_end(in) && in.data[in.pos] == '*';
        if (documentation)
            advance_to(in, in.pos + 1);
        return block_comment(in, s, out, documentation, keep_text);
    }
    QString found = found_byte(in, false);
    if (!at_end(in) && c != '\n')
        advance_to(in, in.pos + 1);
    report(in, s, MSG_LEX_EXPECTED_3, fixed("//"), fixed("/*"), fixed("/**"), found);
    return -1;
}

// ---- Raw tokens ---------------------------------------------------------------

// A raw token: its kind and where its bytes lie; `text` only for "/**" comments.
struct Raw {
    int kind = 0;
    Start start;
    std::size_t end = 0;
    Span span;
    const char* text = nullptr;
};

void skip_blanks(ScanInput& in) {
    while (!at_end(in)) {
        char c = in.data[in.pos];
        if (c == '\n') {
            ++in.line;
            in.column = 1;
        } else if (is_blank(c)) {
            ++in.column;
        } else {
            return;
        }
        ++in.pos;
    }
}

// A word; at the very end of the file it is an identifier without keyword look-up.
int raw_word(ScanInput& in) {
    std::size_t begin = in.pos, end = begin;
    while (end < in.size && is_word(in.data[end]))
        ++end;
    advance_to(in, end);
    if (end == in.size)
        return KIND_IDENTIFIER;
    return keyword_kind(std::string_view(in.data + begin, end - begin));
}

// A byte that may not start a token; a run of NULs counts as one.
int not_allowed(ScanInput& in, const Start& s) {
    char c = in.data[in.pos];
    std::size_t end = in.pos + 1;
    while (c == '\0' && end < in.size && in.data[end] == '\0')
        ++end;
    // An editor's UTF-8 byte-order mark: one message that names it, not three bytes.
    const bool bom = in.pos == 0 && std::string_view(in.data, in.size).rfind("\xEF\xBB\xBF", 0) == 0;
    advance_to(in, bom ? 3 : end);
    report(in, s, MSG_NOT_ALLOWED_HERE, bom ? fixed("UTF-8 byte-order mark") : byte_text(c));
    return -1;
}

// One raw token, skipping blanks, line feeds and "//" and "/*" comments.
int raw_token(ScanInput& in, Raw& raw) {
    for (;;) {
        skip_blanks(in);
        if (at_end(in))
            return TOKEN_END_OF_FILE;
        raw.start = start_here(in);
        char c = in.data[in.pos];
        int kind = 0;
        if (c == '/') {
            advance_to(in, in.pos + 1);
            Token comment;
            kind = comment_reader(in, raw.start, &comment, false);
            if (kind == KIND_CPP_COMMENT || kind == KIND_C_COMMENT)
                continue;
            raw.text = comment.text;
        } else if (is_word(c)) {
            kind = raw_word(in);
        } else if ((kind = BYTES.punctuation[static_cast<unsigned char>(c)]) != 0) {
            advance_to(in, in.pos + 1);
        } else {
            return not_allowed(in, raw.start);
        }
        if (kind < 0)
            return kind;
        raw.kind = kind;
        raw.end = in.pos;
        raw.span = Span{raw.start.line, in.line, raw.start.column, in.column - 1};
        return kind;
    }
}

// ---- Special readers ----------------------------------------------------------

// After '"': up to the next unescaped '"'; a backslash and the byte it escapes stay.
int read_string(ScanInput& in, const Start& s, Token* out) {
    std::size_t begin = in.pos, i = begin;
    for (; i < in.size; ++i) {
        char c = in.data[i];
        if (c == '"' || c == '\n')
            break;
        if (c == '\\' && i + 1 < in.size && in.data[i + 1] != '\n')
            ++i;
    }
    advance_to(in, i);
    if (i == in.size || in.data[i] == '\n')
        return report_unterminated(in, s, begin, "\"");
    advance_to(in, i + 1);
    return deliver_text(in, s, out, KIND_STRING, begin, i, false);
}

int read_dots(ScanInput& in, const Start& s, Token* out) {
    bool three = in.pos + 1 < in.size && in.data[in.pos] == '.' && in.data[in.pos + 1] == '.';
    if (three)
        advance_to(in, in.pos + 2);
    return deliver_text(in, s, out, three ? KIND_THREE_POINTS : KIND_DOT, s.offset, in.pos,
                        false);
}

int read_colons(ScanInput& in, const Start& s, Token* out) {
    bool scope = !at_end(in) && in.data[in.pos] == ':';
    if (scope)
        advance_to(in, in.pos + 1);
    return deliver_text(in, s, out, scope ? KIND_SCOPE : KIND_COLON, s.offset, in.pos, false);
}

// Quoting state of a native expression.
struct ExpressionScan {
    int opened = 1, closed = 0;
    bool escaped = false, in_double = false, in_single = false;
};

// True when `c` closes the expression.
bool expression_step(ExpressionScan& e, char c) {
    if (e.escaped) {
        e.escaped = false;
    } else if (c == '\\') {
        e.escaped = true;
    } else if (c == '"' && !e.in_single) {
        e.in_double = !e.in_double;
    } else if (c == '\'' && !e.in_double) {
        e.in_single = !e.in_single;
    } else if (!e.in_double && !e.in_single) {
        e.opened += c == '(';
        e.closed += c == ')';
    }
    return e.opened == e.closed;
}

// After '(': up to the balancing ')'; an empty expression is reported but delivered.
int read_expression(ScanInput& in, const Start& s, Token* out) {
    std::size_t begin = in.pos, i = begin;
    ExpressionScan e;
    while (i < in.size && !expression_step(e, in.data[i]))
        ++i;
    if (i == in.size) {
        advance_to(in, i);
        return report_unterminated(in, s, begin, ")");
    }
    advance_to(in, i + 1);
    int kind = deliver_text(in, s, out, KIND_EXPRESSION, begin, i, true);
    bool blank = true;
    for (std::size_t j = begin; j < i && blank; ++j)
        blank = is_space(in.data[j]);
    if (kind > 0 && blank)
        report(in, s, MSG_NATIVE_EXPRESSION);
    return kind;
}

// After COMMENT: "{ text }" as a block, otherwise the rest of the line.
int read_comment_text(ScanInput& in, const Start& s, Token* out) {
    std::size_t i = in.pos;
    while (i < in.size && is_blank(in.data[i]))
        ++i;
    advance_to(in, i);
    if (at_end(in) || in.data[i] != '{') {
        std::size_t end = find_byte(in, i, '\n');
        advance_to(in, end);
        return deliver_text(in, s, out, KIND_COMMENT_TEXT, i, end, false);
    }
    std::size_t begin = i + 1;
    std::size_t close = find_byte(in, begin, '}');
    advance_to(in, close);
    if (close == in.size)
        return report_unterminated(in, s, begin, "}");
    advance_to(in, close + 1);
    return deliver_text(in, s, out, KIND_COMMENT_BLOCK, begin, close, true);
}

// One family of native code: its introducer names and token kinds.
struct NativeForm {
    const char* line_name;
    const char* block_name;
    int line_kind, block_kind;
    bool needs_hash;  // after c++ or java
};

constexpr NativeForm NATIVE_PLAIN = {"#", "#{", KIND_NATIVE_LINE, KIND_NATIVE_BLOCK, false};
constexpr NativeForm NATIVE_CPP = {"c++#", "c++#{", KIND_CPP_NATIVE_LINE, KIND_CPP_NATIVE_BLOCK,
                                   true};
constexpr NativeForm NATIVE_JAVA = {"java#", "java#{", KIND_JAVA_NATIVE_LINE,
                                    KIND_JAVA_NATIVE_BLOCK, true};

int bad_introducer(ScanInput& in, const Start& s, const NativeForm& form) {
    QString found = found_byte(in, true);
    if (!at_end(in) && in.data[in.pos] != '\n')
        advance_to(in, in.pos + 1);
    report(in, s, MSG_LEX_EXPECTED_2, fixed(form.line_name), fixed(form.block_name), found);
    return -1;
}

// A block runs to the first "}#"; neither is kept, line feeds are.
int read_native_block(ScanInput& in, const Start& s, Token* out, const NativeForm& form) {
    std::size_t begin = in.pos;
    std::size_t close = find_byte(in, begin, '}');
    while (close + 1 < in.size && in.data[close + 1] != '#')
        close = find_byte(in, close + 1, '}');
    if (close + 1 >= in.size) {
        advance_to(in, in.size);
        return report_unterminated(in, s, begin, "}#");
    }
    advance_to(in, close + 2);
    return deliver_text(in, s, out, form.block_kind, begin, close, false);
}

// After "#", "c++" or "java": a line or a "{ ... }#" block of native code.
int read_native(ScanInput& in, const Start& s, Token* out, const NativeForm& form) {
    if (form.needs_hash) {
        if (at_end(in) || in.data[in.pos] != '#')
            return bad_introducer(in, s, form);
        advance_to(in, in.pos + 1);
    }
    if (at_end(in))
        return bad_introducer(in, s, form);
    if (in.data[in.pos] == '{') {
        advance_to(in, in.pos + 1);
        return read_native_block(in, s, out, form);
    }
    std::size_t begin = in.pos;
    advance_to(in, find_byte(in, begin, '\n'));
    return deliver_text(in, s, out, form.line_kind, begin, in.pos, false);
}

// Two-word keywords: the pair's kind with `out` filled, 0 when the words do not pair
// (the position is then restored unless the second read failed), -1 on memory failure.
int read_pair(ScanInput& in, const Raw& first, Token* out) {
    ScanMark mark = mark_of(in);
    Raw second;
    int second_kind = raw_token(in, second);
    if (second_kind < 0)
        return 0;
    int kind = pair_kind(first.kind, second_kind);
    if (!kind) {
        restore(in, mark);
        return 0;
    }
    std::string_view a(in.data + first.start.offset, first.end - first.start.offset);
    std::string_view b(in.data + second.start.offset, second.end - second.start.offset);
    const char* text = nullptr;
    try {
        text = intern(std::string(a) + ' ' + std::string(b));
    } catch (const std::bad_alloc&) {
    }
    if (!text) {
        report(in, first.start, MSG_NO_MEMORY_HASH_PAIR, arg_text(a), arg_text(b));
        return -1;
    }
    return deliver(in, first.start, out, kind, text);
}

// A raw token as it is; the position may already lie past it (a failed pair).
int deliver_raw(ScanInput& in, const Raw& raw, Token* out) {
    std::string_view bytes(in.data + raw.start.offset, raw.end - raw.start.offset);
    const char* text = raw.text ? raw.text : intern(bytes);
    if (!text) {
        report(in, raw.start, MSG_NO_MEMORY_HASH_TOKEN, arg_text(bytes));
        return -1;
    }
    out->text = text;
    out->kind = alone_kind(raw.kind);
    out->span = raw.span;
    return out->kind;
}

}  // namespace

ScanMark mark_of(const ScanInput& in) { return ScanMark{in.pos, in.line, in.column}; }

void restore(ScanInput& in, ScanMark m) {
    in.pos = m.offset < in.size ? m.offset : in.size;
    in.line = m.line;
    in.column = m.column;
}

int next_token(ScanInput& in, Token* out) {
    make_usable(in);
    Raw raw;
    int kind = raw_token(in, raw);
    if (kind < 0)
        return kind;
    if (starts_pair(kind)) {
        int pair = read_pair(in, raw, out);
        if (pair != 0)
            return pair;
    }
    switch (kind) {
    case RAW_QUOTE: return read_string(in, raw.start, out);
    case KIND_DOT: return read_dots(in, raw.start, out);
    case KIND_COLON: return read_colons(in, raw.start, out);
    case RAW_LPAREN: return read_expression(in, raw.start, out);
    case KIND_COMMENT: return read_comment_text(in, raw.start, out);
    case RAW_HASH: return read_native(in, raw.start, out, NATIVE_PLAIN);
    case KIND_CPP: return read_native(in, raw.start, out, NATIVE_CPP);
    case KIND_JAVA: return read_native(in, raw.start, out, NATIVE_JAVA);
    default: return deliver_raw(in, raw, out);
    }
}

int read_char(ScanInput& in, char* out) {
    if (in.pos >= in.size)
        return TOKEN_END_OF_FILE;
    *out = in.data[in.pos++];
    return 0;
}

int read_comment(ScanInput& in, Token* out) {
    make_usable(in);
    Start s{in.pos > 0 ? in.pos - 1 : 0, in.line, in.column > 1 ? in.column - 1 : 1};
    return comment_reader(in, s, out, true);
}

int read_signature(ScanInput& in, ScanMark start, ScanMark end, Token* out) {
    make_usable(in);
    Start s{start.offset, start.line, start.column};
    in.line = end.line;
    if (start.offset > end.offset || end.offset > in.size) {
        report(in, s, MSG_LEX_SEEK, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter",
                                                                     "Signature")));
        return -1;
    }
    restore(in, start);
    std::size_t begin = start.offset, stop = end.offset;
    while (begin < stop && is_space(in.data[begin]))
        ++begin;
    while (stop > begin && is_space(in.data[stop - 1]))
        --stop;
    advance_to(in, end.offset);
    if (report_nul(in, s, begin, stop))
        return -1;
    const char* text = token_text(in, s, begin, stop, false);
    if (!text)
        return -1;
    out->text = text;
    out->kind = KIND_SIGNATURE;
    out->span.last_line = in.line;
    out->span.last_column = in.column - 1;
    return KIND_SIGNATURE;
}
