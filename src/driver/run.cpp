// driver/run.cpp: the whole run, top to bottom: translators and banner, fresh state,
// the command line and the log, reading every script, checking, the listings, expansion,
// the second check, generation, closing every output, releasing everything, the summary.
#include "driver/run.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QTranslator>
#include <ctime>

#include "analysis/checker.h"
#include "analysis/expand.h"
#include "driver/command_line.h"
#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "fi/names.h"
#include "gen/generator.h"
#include "listings/statgen.h"
#include "reader/parser.h"

namespace {

// Translation files are looked up with these prefixes, in this order.
constexpr const char* TRANSLATION_PREFIXES[] = {"trvoident_", "vexprepro_"};

// Texts of the banner and the summary, in context "TRVOIdent".
constexpr const char* PRODUCT_NAME = QT_TRANSLATE_NOOP("TRVOIdent", "Tarvelo");
constexpr const char* TOOL_TITLE_TEXT = QT_TRANSLATE_NOOP("TRVOIdent", "C++ Test Compiler");
constexpr const char* OWNER_NOTICE =
    QT_TRANSLATE_NOOP("TRVOIdent", "Copyright (C) Tarvelo Software.");
constexpr const char* OWNER_RIGHTS = QT_TRANSLATE_NOOP("TRVOIdent", "All rights reserved.");
constexpr const char* SUMMARY_LINE =
    QT_TRANSLATE_NOOP("VEX Error", "%1 message : %2 Error(s) detected\n");

QString identity_text(const char* text) { return QCoreApplication::translate("TRVOIdent", text); }

void print_banner() {
    print_text(QStringLiteral("\n%1 %2 %3\n")
                   .arg(identity_text(PRODUCT_NAME), identity_text(TOOL_TITLE_TEXT),
                        QString::fromLatin1(PRODUCT_VERSION)));
    print_text(QStringLiteral("%1 %2\n\n").arg(identity_text(OWNER_NOTICE),
                                                identity_text(OWNER_RIGHTS)));
}

void print_summary(const char* tool_title) {
    print_text(QStringLiteral("\n----------------------------------\n"));
    print_text(QCoreApplication::translate("VEX Error", SUMMARY_LINE)
                   .arg(identity_text(tool_title), QString::number(error_count)));
    print_text(QStringLiteral("----------------------------------\n\n"));
}

void reset_globals() {
    error_count = 0;
    otd_file_count = 0;
    next_component_id = 2;
    current_file_number = 1;
}

// Releases what the run made, the name table last (everything points into it).
void release_all(Component* root) {
    if (the_options)
        release_options(the_options);
    free_components(root);
    free_segment_pool();
    free_param_pool();
    free_name_table();
}

// Opens the log named by -VELDOR_LOG, if any; -1 after reporting message 43.
int open_log() {
    if (!the_options->log_name)
        return 0;
    the_options->report.log_file = open_output_file(the_options->log_name, MODE_LOG);
    if (the_options->report.log_file)
        return 0;
    report_error(MSG_CANNOT_CREATE, {}, arg_text(the_options->log_name));
    return -1;
}

// Every output file is closed through close_output_file, so a failed write counts.
void close_outputs() {
    close_output_file(the_options->report.log_file, the_options->log_name);
    the_options->report.log_file = nullptr;
}

}  // namespace

// Reads every script, checks, then runs each later phase only while no error was reported:
// the listings, the expansion of inherited components, the second check over the copies,
// and generation. The driver and instrumentation files take their final names only when
// generation and their closing went through.
void run_phases(Component* root) {
    for (SourceFile* s = the_options->source_files; s; s = s->next)
        read_script(s->name, root, false, nullptr);
    check_components(root);
    if (error_count == 0)
        write_static_files(*the_options, root, std::time(nullptr), the_options->version);
    if (error_count == 0)
        expand_tree(root);
    if (error_count == 0)
        check_components(root);
    if (error_count == 0)
        generate_files(*the_options, root);
}

int setup_translation(QCoreApplication& app) {
    QByteArray home = qgetenv("TARVELODIR");
    if (home.isEmpty()) {
        print_text(QStringLiteral("Fatal Error: please setup TARVELODIR environment variable.\n"));
        return 1;
    }
    QString dir = QString::fromLocal8Bit(home) + QDir::separator() + QStringLiteral("lib") +
                  QDir::separator() + QStringLiteral("locale");
    if (!QFileInfo(dir).isDir()) {
        print_text(QStringLiteral("Fatal Error: directory doesn't exist '%1'\n").arg(dir));
        return 1;
    }
    QString locale = QLocale::system().name();
    for (const char* prefix : TRANSLATION_PREFIXES) {
        auto* translator = new QTranslator(&app);  // owned by the application object
        if (translator->load(QString::fromLatin1(prefix) + locale, dir))
            QCoreApplication::installTranslator(translator);
        else
            delete translator;
    }
    return 0;
}

int run(QCoreApplication& app, int argc, char** argv) {
    if (setup_translation(app) != 0)
        return 1;
    print_banner();
    reset_globals();
    clear_name_table();
    if (!create_options()) {
        report_error(MSG_CANNOT_INIT);
        free_name_table();
        return -1;
    }
    clear_pools();
    Component* root = create_root();
    if (!root) {
        report_error(MSG_CANNOT_INIT);
        release_all(nullptr);
        return -1;
    }
    if (parse_command_line(argc, argv) < 0) {
        print_usage();
        release_all(root);
        return -1;
    }
    if (open_log() < 0) {
        release_all(root);
        return -1;
    }
    run_phases(root);
    close_outputs();
    const char* tool_title = the_options->tool_title;  // a constant: outlives the record
    release_all(root);
    if (error_count == 0)
        return 0;
    print_summary(tool_title);
    return -1;
}
