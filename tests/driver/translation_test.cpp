// tests/driver/translation_test.cpp: the translators installed from $TARVELODIR/lib/locale:
// French for a French locale (labels, templates, usage, banner, summary), English when
// no translation file matches.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTranslator>

#include "errors/report.h"
#include "support/test_support.h"

namespace {

const std::string FRENCH_BANNER =
    "\nTarvelo Compilateur de tests C++ 8.0.1.2.343.015\n"
    "Copyright (C) Tarvelo Logiciels. Tous droits r\xc3\xa9serv\xc3\xa9s.\n\n";

const std::string ENGLISH_BANNER =
    "\nTarvelo C++ Test Compiler 8.0.1.2.343.015\n"
    "Copyright (C) Tarvelo Software. All rights reserved.\n\n";

std::string qm_dir() { return std::string(VEX_BUILD_DIR) + "/stage/lib/locale"; }

// Each run: its environment, its arguments and texts its standard error must hold, the
// first of them at the start.
struct LocaleRun {
    std::vector<std::string> env;
    std::vector<std::string> args;
    std::vector<std::string> holds;
    const char* never = "\xff";  // a text it must not hold
};

}  // namespace

TEST(Translation, TheLocaleChoosesTheLanguageOfEveryText) {
    const std::vector<std::string> java = {"a.otc", "-G", "JAVA"};
    const std::string english_java = "vexprepro - error: `JAVA' is not a good parameter for the "
                                     "`-G' option.\n\nUsage : vexprepro <SourceFiles>\n";
    const LocaleRun runs[] = {
        {{"LC_ALL=fr_FR.UTF-8"}, java,
         {FRENCH_BANNER + "vexprepro - erreur : `JAVA' n'est pas un param\xc3\xa8tre valide pour "
                          "l'option `-G'.\n",
          "\nUtilisation : vexprepro <FichiersSources>\n",
          "  <FichierDynamique>        : nom du fichier dynamique (.tdf).\n"},
         "Usage :"},
        {{"LANG=fr_FR.UTF-8", "LC_ALL=", "LC_MESSAGES="},
         {"-G", "c++", "-O", "o", "-OTI", "i", "-TDF", "t", "x.txt"},
         {FRENCH_BANNER + "vexprepro - erreur : Impossible d'ouvrir `x.txt', ce n'est pas un "
                          "fichier source Object Testing correct.\n"
                          "\n----------------------------------\n"
                          "Compilateur de tests C++ message : 1 erreur(s) d\xc3\xa9tect\xc3\xa9"
                          "e(s)\n"
                          "----------------------------------\n\n"}},
        {{"LC_ALL=", "LANG=", "LC_MESSAGES=fr_CA.UTF-8"}, {},
         {FRENCH_BANNER + "vexprepro - erreur : Des fichiers source OTD ou OTC doivent"}},
        {{"LC_ALL=de_DE.UTF-8"}, java, {ENGLISH_BANNER + english_java}},
        {{"LC_ALL=C"}, java, {ENGLISH_BANNER + english_java}},
        {{"LC_ALL=en_US.UTF-8"}, java, {ENGLISH_BANNER + english_java}},
    };
    for (const LocaleRun& run : runs) {
        TempDir dir;
        const ProcessResult r = run_vexprepro(run.args, dir.path, nullptr, run.env);
        EXPECT_EQ(r.status, 255) << run.env.back();
        EXPECT_EQ(r.err.rfind(run.holds.front(), 0), 0u) << r.err;
        for (const std::string& text : run.holds)
            EXPECT_NE(r.err.find(text), std::string::npos) << text;
        EXPECT_EQ(r.err.find(run.never), std::string::npos) << r.err;
    }
}

// Every label, template, parameter phrase and fixed text has a French translation.
TEST(Translation, FrenchFilesTranslateEveryText) {
    int argc = 1;
    char name[] = "tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    QTranslator errors, ident;
    ASSERT_TRUE(errors.load(QStringLiteral("vexprepro_fr"), QString::fromStdString(qm_dir())));
    ASSERT_TRUE(ident.load(QStringLiteral("trvoident_fr"), QString::fromStdString(qm_dir())));
    const char* labels[] = {"info:", "warning:", "error:", "fatal:", "lexical error:",
                            "syntax error:", "semantic error:"};
    for (const char* l : labels)
        EXPECT_FALSE(errors.translate("VEX Error", l).isEmpty()) << l;
    const char* phrases[] = {
        "an `OTD script'", "an `OTC script'", "a `TEST CLASS'", "a `TEST SUITE'",
        "a `TEST CASE'", "a `PROLOGUE'", "an `EPILOGUE'", "a `PROPERTY'", "a `PROC'", "a `RUN'",
        "a `STUB'", "a `CHECK EXCEPTION'", "a `CHECK STUB'", "an `ON ERROR'",
        "(actual parameters list)", "( Exception Signature )", "a `CLASS'", "a `UML STATE'",
        "inheritance of", "calling of", "checking of", "checking", "transition from",
        "transition to"};
    for (const char* p : phrases) {
        QString fr = errors.translate("VEX Error Parameter", p);
        EXPECT_FALSE(fr.isEmpty()) << p;
        EXPECT_NE(fr, QString::fromUtf8(p)) << p;
    }
    // A caller passing a translator comment still finds the phrase.
    EXPECT_FALSE(errors.translate("VEX Error Parameter", "a `TEST CLASS'",
                                  "TEST CLASS is keyword, do not translate").isEmpty());
    for (int n = 0; n <= 62; ++n) {
        if (const char* t = message_template(n)) {
            QString fr = errors.translate("VEX Error", t);
            EXPECT_FALSE(fr.isEmpty()) << n;
            EXPECT_NE(fr, QString::fromUtf8(t)) << n;
        }
    }
    for (const char* t : {"Tarvelo", "C++ Test Compiler", "Copyright (C) Tarvelo Software.",
                          "All rights reserved."})
        EXPECT_FALSE(ident.translate("TRVOIdent", t).isEmpty()) << t;
    EXPECT_FALSE(errors.translate("VEX Error", "%1 message : %2 Error(s) detected\n").isEmpty());
}
