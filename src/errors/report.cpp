// errors/report.cpp: the message catalogue, report_error, and the output-file
// operations that every writer uses (open with a mode code and log line, checked close).
#include "errors/report.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QVarLengthArray>

namespace {

const ReportSettings DEFAULT_SETTINGS;
const ReportSettings* settings = &DEFAULT_SETTINGS;

struct Message {
    const char* text;  // English template, the source text in context "VEX Error"
    int message_class; // index into LABELS
};

// Labels by class; class 0 and 1 have no message in the catalogue.
constexpr const char* LABELS[] = {
    QT_TRANSLATE_NOOP("VEX Error", "info:"),          QT_TRANSLATE_NOOP("VEX Error", "warning:"),
    QT_TRANSLATE_NOOP("VEX Error", "error:"),         QT_TRANSLATE_NOOP("VEX Error", "fatal:"),
    QT_TRANSLATE_NOOP("VEX Error", "lexical error:"), QT_TRANSLATE_NOOP("VEX Error", "syntax error:"),
    QT_TRANSLATE_NOOP("VEX Error", "semantic error:"), QT_TRANSLATE_NOOP("VEX Error", "error:"),
};

constexpr int FATAL = 3, LEXICAL = 4, SYNTAX = 5, SEMANTIC = 6, ERROR = 7;

// Indexed by message number; message 40 does not exist.
constexpr Message CATALOGUE[] = {
    /* 0 */ {QT_TRANSLATE_NOOP("VEX Error", "internal error: %1"), FATAL},
    /* 1 */ {QT_TRANSLATE_NOOP("VEX Error", "out of memory"), FATAL},
    /* 2 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to allocate another token."), LEXICAL},
    /* 3 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to reallocate the token `%1'."), LEXICAL},
    /* 4 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to create the token `%1'."), LEXICAL},
    /* 5 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to create the token `%1 %2'."), LEXICAL},
    /* 6 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to create the hash token `%1'."), LEXICAL},
    /* 7 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to create the hash token `%1 %2'."), LEXICAL},
    /* 8 */ {QT_TRANSLATE_NOOP("VEX Error", "Error while seeking in the file before `%1'."), LEXICAL},
    /* 9 */ {QT_TRANSLATE_NOOP("VEX Error", "The use of `%1' is not allowed here."), LEXICAL},
    /* 10 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' expected instead of `%2'."), LEXICAL},
    /* 11 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' or '%2' expected instead of `%3'."), LEXICAL},
    /* 12 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1', '%2' or '%3' expected instead of `%4'."), LEXICAL},
    /* 13 */ {QT_TRANSLATE_NOOP("VEX Error", "Correct native expression expected."), LEXICAL},
    /* 14 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' expected instead of `%2'."), SYNTAX},
    /* 15 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' or '%2' expected instead of `%3'."), SYNTAX},
    /* 16 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1', '%2' or '%3' expected instead of `%4'."), SYNTAX},
    /* 17 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1', '%2', '%3', or '%4' expected instead of `%5'."), SYNTAX},
    /* 18 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' name expected instead of `%2'."), SYNTAX},
    /* 19 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' or '%2' name expected instead of `%3'."), SYNTAX},
    /* 20 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1', '%2' or '%3' name expected instead of `%4'."), SYNTAX},
    /* 21 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' expression expected instead of `%2'."), SYNTAX},
    /* 22 */ {QT_TRANSLATE_NOOP("VEX Error", "Error while seeking in the file before `%1'."), SYNTAX},
    /* 23 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' is not %2 component."), SYNTAX},
    /* 24 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to allocate another token."), SYNTAX},
    /* 25 */ {QT_TRANSLATE_NOOP("VEX Error", "%1 `%2' not expected."), SYNTAX},
    /* 26 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot create list of parameters `(%1)'."), SYNTAX},
    /* 27 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' not expected now."), SYNTAX},
    /* 28 */ {QT_TRANSLATE_NOOP("VEX Error", "The %1 component is already defined in this block."), SEMANTIC},
    /* 29 */ {QT_TRANSLATE_NOOP("VEX Error", "The %1 component `%2' is already defined in this block."), SEMANTIC},
    /* 30 */ {QT_TRANSLATE_NOOP("VEX Error", "Unable to resolve the %1 `%2'."), SEMANTIC},
    /* 31 */ {QT_TRANSLATE_NOOP("VEX Error", "The TEST CLASS `%1' could not inherit from itself."), SEMANTIC},
    /* 32 */ {QT_TRANSLATE_NOOP("VEX Error", "Component `%1' not found, while resolving `%2'."), SEMANTIC},
    /* 33 */ {QT_TRANSLATE_NOOP("VEX Error", "Too %1 parameters in `%2'."), SEMANTIC},
    /* 34 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' must be a brother of `%2' while resolving `%3'."), SEMANTIC},
    /* 35 */ {QT_TRANSLATE_NOOP("VEX Error", "The file `%1' has already been included."), SEMANTIC},
    /* 36 */ {QT_TRANSLATE_NOOP("VEX Error", "While resolving the TEST CLASS `%1', an inheritance cycle was found in `%2' ."), SEMANTIC},
    /* 37 */ {QT_TRANSLATE_NOOP("VEX Error", "While resolving the RUN of `%1', an execution cycle was found."), SEMANTIC},
    /* 38 */ {QT_TRANSLATE_NOOP("VEX Error", "While resolving the CALL of `%1', a PROC cycle was found."), SEMANTIC},
    /* 39 */ {QT_TRANSLATE_NOOP("VEX Error", "The reflexive transition `%1' is not allowed (automatically generated)."), SEMANTIC},
    /* 40 */ {nullptr, 0},
    /* 41 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to reallocate the buffer `%1'."), LEXICAL},
    /* 42 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot open `%1'."), ERROR},
    /* 43 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot create `%1'."), ERROR},
    /* 44 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot close `%1'."), ERROR},
    /* 45 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot initialize internal form."), ERROR},
    /* 46 */ {QT_TRANSLATE_NOOP("VEX Error", "Error while building %1 `%2' node."), ERROR},
    /* 47 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough memory to allocate filename `%1'."), ERROR},
    /* 48 */ {QT_TRANSLATE_NOOP("VEX Error", "Unknown token `%1' in internal form."), ERROR},
    /* 49 */ {QT_TRANSLATE_NOOP("VEX Error", "Trying to resolve a NULL pointer."), ERROR},
    /* 50 */ {QT_TRANSLATE_NOOP("VEX Error", "Not enough free memory available."), ERROR},
    /* 51 */ {QT_TRANSLATE_NOOP("VEX Error", "Label `%1' not found."), ERROR},
    /* 52 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot open `%1', too many files open."), ERROR},
    /* 53 */ {QT_TRANSLATE_NOOP("VEX Error", "Too many errors."), ERROR},
    /* 54 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot open `%1', not a correct Object Testing source file."), ERROR},
    /* 55 */ {QT_TRANSLATE_NOOP("VEX Error", "Cannot open `%1', only one OTD source file must be passed on the command line."), ERROR},
    /* 56 */ {QT_TRANSLATE_NOOP("VEX Error", "`%1' is not a good parameter for the `%2' option."), ERROR},
    /* 57 */ {QT_TRANSLATE_NOOP("VEX Error", "One argument is needed for the `%1' option."), ERROR},
    /* 58 */ {QT_TRANSLATE_NOOP("VEX Error", "The maximum number of errors can range from 1 to 30000."), ERROR},
    /* 59 */ {QT_TRANSLATE_NOOP("VEX Error", "OTD or OTC source files must be specified on the command line."), ERROR},
    /* 60 */ {QT_TRANSLATE_NOOP("VEX Error", "The `%1' option must be specified."), ERROR},
    /* 61 */ {QT_TRANSLATE_NOOP("VEX Error", "The `%1' option must be specified only once."), ERROR},
    /* 62 */ {QT_TRANSLATE_NOOP("VEX Error", "(unexpected error)"), FATAL},
};

constexpr int MESSAGE_COUNT = static_cast<int>(sizeof CATALOGUE / sizeof CATALOGUE[0]);
static_assert(MESSAGE_COUNT == 63, "the catalogue runs from 0 to 62");

std::string* output_capture = nullptr;

void write_bytes(const QByteArray& bytes) {
    if (output_capture)
        output_capture->append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    else
        std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
}

QString translate(const char* text) { return QCoreApplication::translate("VEX Error", text); }

// A placeholder "%n" (n from 1 to 99, one or two digits) at `i`; 0 when there is none.
// `length` receives the characters it spans.
int ascii_digit(const QString& text, qsizetype i) {
    return i < text.size() && text[i] >= u'0' && text[i] <= u'9' ? text[i].unicode() - u'0' : -1;
}

int placeholder_at(const QString& text, qsizetype i, qsizetype* length) {
    if (text[i] != u'%')
        return 0;
    int d1 = ascii_digit(text, i + 1);
    if (d1 < 1)
        return 0;
    int d2 = ascii_digit(text, i + 2);
    *length = d2 >= 0 ? 3 : 2;
    return d2 >= 0 ? d1 * 10 + d2 : d1;
}

}  // namespace

// One pass over the text: the k-th present argument replaces every occurrence of the
// k-th lowest placeholder number found in the text. Argument texts are copied as they
// are, so a "%2" inside an argument is never itself replaced; placeholders beyond the
// arguments stay as written.
QString substitute_arguments(const QString& text, const QString* const* args, int arg_count) {
    bool present[100] = {};
    qsizetype length = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (int n = placeholder_at(text, i, &length))
            present[n] = true;
    int argument_of[100];  // placeholder number -> index of its argument, or -1
    int rank = 0;
    for (int n = 0; n < 100; ++n)
        argument_of[n] = present[n] && rank < arg_count ? rank++ : -1;

    QString out;
    out.reserve(text.size() + 64);
    for (qsizetype i = 0; i < text.size();) {
        int n = placeholder_at(text, i, &length);
        if (n && argument_of[n] >= 0) {
            out += *args[argument_of[n]];
            i += length;
        } else {
            out += text[i++];
        }
    }
    return out;
}

QString arg_text(const char* local8bit) {
    return local8bit ? QString::fromLocal8Bit(local8bit) : QString();
}

QString arg_text(std::string_view local8bit) {
    return QString::fromLocal8Bit(local8bit.data(), static_cast<qsizetype>(local8bit.size()));
}

QString parameter_word(const char* source_text) {
    return QCoreApplication::translate("VEX Error Parameter", source_text);
}

void print_text(const QString& text) { write_bytes(text.toLocal8Bit()); }

void set_output_capture(std::string* capture) { output_capture = capture; }

const char* message_template(int message_no) {
    if (message_no < 0 || message_no >= MESSAGE_COUNT)
        return nullptr;
    return CATALOGUE[message_no].text;
}

// The four pieces: prefix, label and blank, location, text with its line break.
static void print_diagnostic(int message_no, Location where, const QString* const* args,
                             int arg_count) {
    if (!message_template(message_no))
        message_no = MSG_UNEXPECTED;  // no caller passes an unknown number
    const Message& m = CATALOGUE[message_no];
    QByteArray line = QStringLiteral("%1 - ").arg(QStringLiteral("vexprepro")).toLocal8Bit();
    line += (translate(LABELS[m.message_class]) + u' ').toLocal8Bit();
    if (where.file) {
        line += where.file;  // already local 8-bit bytes
        line += ':';
        line += where.line != 0 ? QByteArray::number(where.line) + ": " : QByteArray(" ");
    }
    line += (substitute_arguments(translate(m.text), args, arg_count) + u'\n').toLocal8Bit();
    write_bytes(line);
}

void use_report_settings(const ReportSettings* s) { settings = s ? s : &DEFAULT_SETTINGS; }

void report_error(int message_no, Location where, MessageArg a1, MessageArg a2, MessageArg a3,
                  MessageArg a4, MessageArg a5) {
    const unsigned max_errors = settings->max_errors;
    if (error_count < max_errors) {
        const QString* args[5];
        int count = 0;
        for (const MessageArg* a : {&a1, &a2, &a3, &a4, &a5})
            if (a->has_value())
                args[count++] = &a->value();
        print_diagnostic(message_no, where, args, count);
    } else if (error_count == max_errors) {
        print_diagnostic(MSG_TOO_MANY_ERRORS, where, nullptr, 0);
    }
    ++error_count;
}

// --- Output files -------------------------------------------------------------------

static const char* log_tag(int mode) {
    switch (mode) {
    case MODE_DRIVER: return "CPP";
    case MODE_OTI: return "OTI";
    case MODE_OTS: return "OTS";
    case MODE_TSF: return "TSF";
    default: return nullptr;
    }
}

FILE* open_output_file(const char* name, int mode) {
    if (!name)
        return nullptr;
    if (mode == MODE_LOG)
        return std::fopen(name, "a");
    const char* tag = log_tag(mode);
    if (!tag)
        return nullptr;  // not a mode of the table
    FILE* file = std::fopen(name, "w");
    if (!file)
        return nullptr;
    log_output_file(name, mode);
    return file;
}

void log_output_file(const char* name, int mode) {
    const char* tag = log_tag(mode);
    // A failing log write leaves the log's error flag set: close_output_file reports it.
    if (tag && name && settings->log_file)
        std::fprintf(settings->log_file, "%s %s\n", tag, name);
}

int close_output_file(FILE* file, const char* name) {
    if (!file)
        return 0;
    bool write_failed = std::fflush(file) != 0 || std::ferror(file);
    bool close_failed = std::fclose(file) != 0;
    QString shown = arg_text(name);
    if (write_failed)
        report_error(MSG_CANNOT_CREATE, {}, shown);
    else if (close_failed)
        report_error(MSG_CANNOT_CLOSE, {}, shown);
    return write_failed || close_failed ? -1 : 0;
}

int close_file(FILE* file) {
    if (!file)
        return 0;
    return std::fclose(file) == 0 ? 0 : -1;
}
