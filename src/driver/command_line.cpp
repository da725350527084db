// driver/command_line.cpp: the option classifier, the command-line parser with its
// post-walk checks, and the usage text.
#include "driver/command_line.h"

#include <QCoreApplication>
#include <string_view>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/files.h"
#include "fi/names.h"
#include "utils/text.h"

namespace {

struct OptionWord {
    std::string_view word;  // as written in the option table (messages 60 and 61)
    int code;
    bool takes_value;
};

constexpr OptionWord OPTIONS[] = {
    {"-G", OPTION_G, true},          {"-O", OPTION_O, true},
    {"-OTI", OPTION_OTI, true},      {"-TDF", OPTION_TDF, true},
    {"-E", OPTION_E, true},          {"-NODLINE", OPTION_NODLINE, false},
    {"-NOPATH", OPTION_NOPATH, false}, {"-VELDOR_LOG", OPTION_VELDOR_LOG, true},
    {"-VALUES", OPTION_VALUES, false},
};

const OptionWord* option_word(int code) {
    for (const OptionWord& o : OPTIONS)
        if (o.code == code)
            return &o;
    return nullptr;
}

constexpr unsigned DEFAULT_MAX_ERRORS = 30;
constexpr unsigned LARGEST_MAX_ERRORS = 30000;

// Reads -E's value like strtol (leading blanks, optional sign, digits up to the first
// non-digit; no digits gives 0) and keeps it only when it lies in 1..30000. A value too
// large for an integer is out of range too: it never wraps back into the range.
bool parse_max_errors(const char* text, unsigned* value) {
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-')
        negative = *p++ == '-';
    unsigned long long n = 0;
    for (; *p >= '0' && *p <= '9'; ++p)
        if (n <= LARGEST_MAX_ERRORS)  // saturate: anything past the bound stays past it
            n = n * 10 + static_cast<unsigned>(*p - '0');
    if (negative && n != 0)
        return false;
    if (n == 0 || n > LARGEST_MAX_ERRORS)
        return false;
    *value = static_cast<unsigned>(n);
    return true;
}

struct OptionCounts {
    int g = 0, o = 0, oti = 0, tdf = 0, e = 0, log = 0;
};

// Applies one option that takes a value; -1 after reporting.
int apply_value(int code, const char* typed, const char* value, OptionCounts& counts) {
    switch (code) {
    case OPTION_G:
        ++counts.g;
        if (equal_ignoring_case(value, "C++") != 0) {
            report_error(MSG_BAD_PARAMETER, {}, arg_text(value), arg_text(typed));
            return -1;
        }
        return 0;  // C++ is the only target language
    case OPTION_E:
        ++counts.e;
        if (!parse_max_errors(value, &the_options->report.max_errors)) {
            the_options->report.max_errors = DEFAULT_MAX_ERRORS;
            report_error(MSG_MAX_ERRORS_RANGE);
            return -1;
        }
        return 0;
    default:
        break;
    }
    // -O, -OTI, -TDF, -VELDOR_LOG: the value names a file; a later one overwrites.
    const char* stored = intern(value);
    if (!stored) {
        report_error(MSG_NO_MEMORY_FILENAME, {}, arg_text(value));
        return -1;
    }
    switch (code) {
    case OPTION_O: ++counts.o; the_options->output_name = stored; break;
    case OPTION_OTI: ++counts.oti; the_options->oti_name = stored; break;
    case OPTION_TDF: ++counts.tdf; the_options->tdf_name = stored; break;
    case OPTION_VELDOR_LOG: ++counts.log; the_options->log_name = stored; break;
    }
    return 0;
}

// The checks after the walk, in their order; the first failure is reported.
int check_counts(const OptionCounts& counts, bool have_source) {
    if (!have_source) {
        report_error(MSG_NO_SOURCE_FILES);
        return -1;
    }
    struct Rule { int count; bool required; int code; };
    const Rule rules[] = {
        {counts.g, true, OPTION_G},     {counts.o, true, OPTION_O},
        {counts.oti, true, OPTION_OTI}, {counts.tdf, true, OPTION_TDF},
        {counts.e, false, OPTION_E},    {counts.log, false, OPTION_VELDOR_LOG},
    };
    for (const Rule& r : rules) {
        QString word = arg_text(option_word(r.code)->word);
        if (r.required && r.count == 0) {
            report_error(MSG_OPTION_MISSING, {}, word);
            return -1;
        }
        if (r.count > 1) {
            report_error(MSG_OPTION_TWICE, {}, word);
            return -1;
        }
    }
    return 0;
}

}  // namespace

int classify_option(const char* argument) {
    if (!argument)
        return OPTION_SOURCE;
    for (const OptionWord& o : OPTIONS)
        if (equal_ignoring_case(argument, o.word) == 0)
            return o.code;
    return OPTION_SOURCE;
}

int parse_command_line(int argc, char** argv) {
    OptionCounts counts;
    bool have_source = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i] ? argv[i] : "";
        int code = classify_option(argument);
        if (code == OPTION_SOURCE) {
            if (!append_source_file(*the_options, argument)) {
                report_error(MSG_NO_MEMORY_FILENAME, {}, arg_text(argument));
                return -1;
            }
            have_source = true;
        } else if (code == OPTION_NODLINE) {
            the_options->no_line_directives = true;
        } else if (code == OPTION_NOPATH) {
            the_options->no_path = true;
        } else if (code == OPTION_VALUES) {
            the_options->values = true;
        } else {
            if (i + 1 >= argc) {
                report_error(MSG_ARGUMENT_NEEDED, {}, arg_text(argument));
                return -1;
            }
            const char* value = argv[++i] ? argv[i] : "";  // taken literally, even "-..."
            if (apply_value(code, argument, value, counts) < 0)
                return -1;
        }
    }
    return check_counts(counts, have_source);
}

struct TranslatableText {
    const char* source;
    const char* comment;
};

// The option lines are indented by 18 blanks; the description colons stand in column 25.
constexpr TranslatableText USAGE = QT_TRANSLATE_NOOP3(
    "VEX Prepro Usage",
    "\nUsage : %1 <SourceFiles>\n"
    "                  -G <GeneratedCode>\n"
    "                  -O <GeneratedFile>\n"
    "                  -OTI <InstrumentationFile>\n"
    "                  -TDF <DynamicFile>\n"
    "                  [-E <NumberOfErrors>]\n"
    "                  [-NODLINE]\n"
    "                  [-NOPATH]\n"
    "                  [-VALUES]\n"
    "                  [-VELDOR_LOG <VeldorLogFile>]\n"
    "\n"
    "  <SourceFiles>         : OTD or OTC source files (.otd, .stb, .dcl or .otc).\n"
    "  <GeneratedCode>       : C++.\n"
    "  <GeneratedFile>       : Name of the generated source file (.cc).\n"
    "  <InstrumentationFile> : Name of the instrumentation file (.oti).\n"
    "  <DynamicFile>         : Name of the dynamic file (.tdf).\n"
    "  <NumberOfErrors>      : Maximum number of errors allowed.\n"
    "  <VeldorLogFile>       : Name of the Veldor log file (.log).\n"
    "\n",
    "Do not translate option (ie -NOPATH) nor file extension (ie .otc .cc); %1 is the product name");

void print_usage() {
    QString text = QCoreApplication::translate("VEX Prepro Usage", USAGE.source, USAGE.comment);
    print_text(text.arg(QStringLiteral("vexprepro")));
}
