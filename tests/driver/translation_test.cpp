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

ProcessResult run_with_locale(const std::vector<std::string>& args,
                              const std::vector<std::string>& env) {
    TempDir dir;
    return run_vexprepro(args, dir.path, nullptr, env);
}

const std::vector<std::string> FRENCH_LC_ALL = {"LC_ALL=fr_FR.UTF-8"};

std::string qm_dir() { return std::string(VEX_BUILD_DIR) + "/stage/lib/locale"; }

}  // namespace

TEST(Translation, FrenchLocaleTranslatesTheMessageAndTheUsage) {
    ProcessResult r = run_with_locale({"a.otc", "-G", "JAVA"}, FRENCH_LC_ALL);
    EXPECT_EQ(r.status, 255);
    ASSERT_EQ(r.err.rfind(FRENCH_BANNER, 0), 0u) << r.err;
    std::string rest = r.err.substr(FRENCH_BANNER.size());
    EXPECT_EQ(rest.substr(0, rest.find('\n') + 1),
              "vexprepro - erreur : `JAVA' n'est pas un param\xc3\xa8tre valide pour l'option "
              "`-G'.\n");
    EXPECT_NE(rest.find("\nUtilisation : vexprepro <FichiersSources>\n"), std::string::npos);
    EXPECT_NE(rest.find("  <FichierDynamique>        : nom du fichier dynamique (.tdf).\n"),
              std::string::npos);
    EXPECT_EQ(rest.find("Usage :"), std::string::npos);
}

TEST(Translation, FrenchSummaryAndTemplates) {
    ProcessResult r = run_with_locale({"-G", "c++", "-O", "o", "-OTI", "i", "-TDF", "t", "x.txt"},
                                      {"LANG=fr_FR.UTF-8", "LC_ALL=", "LC_MESSAGES="});
    EXPECT_EQ(r.err, FRENCH_BANNER +
                         "vexprepro - erreur : Impossible d'ouvrir `x.txt', ce n'est pas un "
                         "fichier source Object Testing correct.\n"
                         "\n----------------------------------\n"
                         "Compilateur de tests C++ message : 1 erreur(s) d\xc3\xa9tect\xc3\xa9"
                         "e(s)\n"
                         "----------------------------------\n\n");
    EXPECT_EQ(r.status, 255);
}

TEST(Translation, LcMessagesSelectsTheLanguageToo) {
    ProcessResult r = run_with_locale({}, {"LC_ALL=", "LANG=", "LC_MESSAGES=fr_CA.UTF-8"});
    EXPECT_EQ(r.err.rfind(FRENCH_BANNER, 0), 0u) << r.err;
    EXPECT_NE(r.err.find("vexprepro - erreur : Des fichiers source OTD ou OTC doivent"),
              std::string::npos);
}

TEST(Translation, EnglishWhenNoTranslationMatches) {
    for (const char* locale : {"LC_ALL=de_DE.UTF-8", "LC_ALL=C", "LC_ALL=en_US.UTF-8"}) {
        ProcessResult r = run_with_locale({"a.otc", "-G", "JAVA"}, {locale});
        EXPECT_EQ(r.err.rfind(ENGLISH_BANNER, 0), 0u) << locale;
        EXPECT_NE(r.err.find("vexprepro - error: `JAVA' is not a good parameter for the `-G' "
                             "option.\n\nUsage : vexprepro <SourceFiles>\n"),
                  std::string::npos)
            << locale;
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
