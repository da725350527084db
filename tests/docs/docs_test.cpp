// tests/docs/docs_test.cpp: every example of docs/*.md runs through the tools, and what a
// page says they print is what they print. The pages are the data; the blocks are:
//   ```otd file=NAME```   (any language word) a file of the example, written as it stands;
//   ```sh run```          commands run in the example's directory instead of the usual loop;
//   ```report```, ```output```  lines the run prints, in this order and consecutive, where
//                         a line "..." stands for any number of lines;
//   ```diagnostics```     exactly the "vexprepro - " lines that vexprepro prints.
// A heading starts a new example; <!-- example: NAME --> starts or continues example NAME
// and <!-- example: NAME from OTHER --> starts it with a copy of OTHER's files. An otd or
// otc block without a file name is refused: every script a page shows is run.
// The usual loop: vexprepro on the .otd and .otc files, vexinstr when the instrumentation
// file has sections, g++ with the Target Package, the driver and vexreport, whose status
// must be the driver's (0 or 1). Everything runs from a tree installed from the build, as
// a user's would (PATH and TARVELODIR). In docs/messages.md a heading "### N `` text ``"
// names message N: the text must be the catalogue's, every message must have its heading,
// and the diagnostics of the section's example must hold message N.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "errors/report.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct Example {
    std::string id;     // test name: page, number, heading
    std::string where;  // "docs/language.md:120"
    std::vector<std::pair<std::string, std::string>> files;  // name, content
    std::string commands;                                     // the ```sh run``` blocks
    std::vector<std::string> outputs;                         // ```report``` and ```output```
    std::optional<std::string> diagnostics;
    int message = -1;  // docs/messages.md: the message its section names
};

void PrintTo(const Example& e, std::ostream* out) { *out << e.where; }

struct Link {
    std::string where, page, target;  // target: "language.md#run", "#contents", "../README.md"
};

struct Pages {
    std::vector<Example> examples;
    std::vector<std::string> problems;       // what is wrong with the pages themselves
    std::map<int, std::string> message_headings;  // number -> text, from docs/messages.md
    std::map<std::string, std::set<std::string>> anchors;  // page file name -> its anchors
    std::vector<Link> links;
};

std::string words_of(const std::string& text) {  // "A first test!" -> "a_first_test"
    std::string out;
    for (char c : text)
        if (std::isalnum(static_cast<unsigned char>(c)))
            out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        else if (!out.empty() && out.back() != '_')
            out += '_';
    while (!out.empty() && out.back() == '_')
        out.pop_back();
    return out;
}

// One page. `current` is the example blocks go to (an index into examples), -1 when none.
class PageReader {
public:
    PageReader(Pages& pages, const fs::path& path)
        : pages_(pages), page_(path.stem().string()), file_(path.filename().string()) {
        std::istringstream in(slurp(path.string()));
        for (std::string line; std::getline(in, line);) {
            ++line_no_;
            where_ = "docs/" + file_ + ":" + std::to_string(line_no_);
            if (line.rfind("```", 0) == 0)
                read_block(in, line.substr(3));
            else if (line.rfind("#", 0) == 0)
                heading(line);
            else if (line.rfind("<!-- example: ", 0) == 0)
                marker(line.substr(14, line.find(" -->") - 14));
            else
                links_and_anchors(line);
        }
    }

private:
    Example& start(const std::string& name) {
        Example e;
        e.id = page_ + "_" + std::to_string(pages_.examples.size()) + "_" + words_of(name);
        e.where = where_;
        e.message = message_;
        pages_.examples.push_back(e);
        current_ = static_cast<int>(pages_.examples.size()) - 1;
        return pages_.examples.back();
    }

    // Anchors as the page renders them: `<a id="x">`, and headings lowered, with blanks
    // made hyphens and other punctuation dropped.
    void links_and_anchors(const std::string& line) {
        static const std::regex link(R"(\]\(([^)\s]+)\))"), id(R"(<a id="([^"]+)\">)");
        for (std::sregex_iterator m(line.begin(), line.end(), link), end; m != end; ++m)
            pages_.links.push_back(Link{where_, file_, (*m)[1]});
        for (std::sregex_iterator m(line.begin(), line.end(), id), end; m != end; ++m)
            pages_.anchors[file_].insert((*m)[1]);
    }

    void heading(const std::string& line) {
        const std::string title = line.substr(line.find_first_not_of('#'));
        std::string anchor;
        for (char c : title.substr(1))
            if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_')
                anchor += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            else if (c == ' ')
                anchor += '-';
        pages_.anchors[file_].insert(anchor);
        links_and_anchors(title);
        std::smatch m;
        message_ = -1;
        if (page_ == "messages" && std::regex_match(title, m, std::regex(R"( (\d+) `` (.*) ``)"))) {
            message_ = std::stoi(m[1]);
            pages_.message_headings[message_] = m[2];
        }
        start(message_ >= 0 ? "message " + std::to_string(message_) : title);
    }

    // "NAME" or "NAME from OTHER"
    void marker(const std::string& text) {
        const std::size_t from = text.find(" from ");
        const std::string name = text.substr(0, from);
        if (named_.count(name) && from == std::string::npos) {
            current_ = named_[name];
            return;
        }
        Example& e = start(name);
        named_[name] = current_;
        if (from != std::string::npos) {
            auto other = named_.find(text.substr(from + 6));
            if (other == named_.end())
                pages_.problems.push_back(where_ + ": no example `" + text.substr(from + 6) + "'");
            else
                e.files = pages_.examples[static_cast<std::size_t>(other->second)].files;
        }
    }

    void read_block(std::istream& in, const std::string& info) {
        std::string text;
        for (std::string line; std::getline(in, line) && line.rfind("```", 0) != 0;)
            text += line + "\n", ++line_no_;
        ++line_no_;
        std::istringstream words(info);
        std::string kind, word, file;
        words >> kind;
        bool run = false;
        while (words >> word)
            if (word.rfind("file=", 0) == 0)
                file = word.substr(5);
            else
                run = run || word == "run";
        if (current_ < 0)
            start(page_);
        Example& e = pages_.examples[static_cast<std::size_t>(current_)];
        if (!file.empty()) {
            auto same = std::find_if(e.files.begin(), e.files.end(),
                                     [&](const auto& f) { return f.first == file; });
            if (same != e.files.end())
                same->second = text;
            else
                e.files.emplace_back(file, text);
        } else if (kind == "otd" || kind == "otc") {
            pages_.problems.push_back(where_ + ": a script without file=NAME is never run");
        } else if (kind == "sh" && run) {
            e.commands += text;
        } else if (kind == "report" || kind == "output") {
            e.outputs.push_back(text);
        } else if (kind == "diagnostics") {
            e.diagnostics = e.diagnostics.value_or("") + text;
        }
    }

    Pages& pages_;
    std::string page_, file_, where_;
    int line_no_ = 0, current_ = -1, message_ = -1;
    std::map<std::string, int> named_;
};

const Pages& pages() {
    static const Pages all = [] {
        Pages p;
        std::vector<fs::path> paths;
        for (const auto& entry : fs::directory_iterator(fs::path(VEX_SOURCE_DIR) / "docs"))
            if (entry.path().extension() == ".md")
                paths.push_back(entry.path());
        std::sort(paths.begin(), paths.end());
        for (const fs::path& path : paths)
            PageReader(p, path);
        std::vector<Example> kept;  // sections without examples are prose only
        for (Example& e : p.examples)
            if (!e.files.empty() || !e.commands.empty() || !e.outputs.empty() || e.diagnostics)
                kept.push_back(std::move(e));
        p.examples = std::move(kept);
        return p;
    }();
    return all;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line.substr(0, line.find_last_not_of(" \t\r") + 1));
    return out;
}

// The lines of `expected` stand in `text` in order; each stretch between "..." lines is
// consecutive.
// A page that shows no times is matched against output without them: how long a case
// takes (under the sanitizers a crash alone takes a fifth of a second) is not the page's.
std::vector<std::string> without_times(const std::vector<std::string>& lines) {
    static const std::regex time(" \\([0-9]+ ms\\)$");
    std::vector<std::string> out;
    bool slowest = false;
    for (const std::string& line : lines) {
        slowest = line == "Slowest test cases:" || (slowest && line.rfind("  ", 0) == 0);
        if (!slowest)
            out.push_back(std::regex_replace(line, time, ""));
    }
    return out;
}

bool shows(const std::string& text, const std::string& expected) {
    const bool timed = expected.find(" ms)") != std::string::npos ||
                       expected.find("Slowest test cases:") != std::string::npos;
    const std::vector<std::string> got =
        timed ? lines_of(text) : without_times(lines_of(text));
    std::vector<std::vector<std::string>> stretches(1);
    for (const std::string& line : lines_of(expected))
        if (line == "...")
            stretches.emplace_back();
        else
            stretches.back().push_back(line);
    auto at = got.begin();
    for (const auto& s : stretches) {
        at = std::search(at, got.end(), s.begin(), s.end());
        if (at == got.end() && !s.empty())
            return false;
        at += static_cast<std::ptrdiff_t>(s.size());
    }
    return true;
}

std::string diagnostic_lines(const std::string& text) {
    std::string out;
    for (const std::string& line : lines_of(text))
        if (line.rfind("vexprepro - ", 0) == 0)
            out += line + "\n";
    return out;
}

// A line of message `number` with any arguments and location: the catalogue's own line,
// rendered with a mark for every argument, as a pattern.
std::regex message_pattern(int number) {
    RunState state;
    const QString mark = QStringLiteral("\x01");
    report_error(number, {}, mark, mark, mark, mark, mark);
    std::string line = state.diagnostics.substr(0, state.diagnostics.find('\n'));
    const std::size_t label_end = line.find(": ") + 2;
    std::string pattern;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (i == label_end)
            pattern += R"((\S+: )?)";
        if (line[i] == '\x01')
            pattern += ".*";
        else
            pattern += std::string(std::strchr(R"(\^$.|?*+()[]{})", line[i]) ? "\\" : "") + line[i];
    }
    return std::regex(pattern);
}

// The shell runs the commands with the tools of the installed tree first on the path.
struct Tools {
    std::string dir, prefix;

    ShellOutput operator()(const std::string& commands) const {
        const std::string script = fs::path(dir).parent_path() / "commands.sh";
        std::ofstream(script) << commands;
        return shell("cd " + shell_quoted(dir) + " && env -u XRLTGT LC_ALL=C TARVELODIR=" +
                     shell_quoted(prefix) + " PATH=" + shell_quoted(prefix + "/bin") +
                     ":\"$PATH\" LDFLAGS=" + shell_quoted(VEX_TEST_LINK_FLAGS) + " bash " +
                     shell_quoted(script));
    }
};

// The build installed into the example's prefix. Under the sanitizers the runtime links
// only with their flags, so a g++ first on the path adds them.
void install(const Tools& run) {
    const ShellOutput installed = shell(std::string(VEX_CMAKE_COMMAND) + " --install " +
                                        shell_quoted(VEX_BUILD_DIR) + " --prefix " +
                                        shell_quoted(run.prefix));
    ASSERT_EQ(installed.status, 0) << installed.text;
    if (*VEX_TEST_LINK_FLAGS) {
        const std::string gxx = lines_of(shell("command -v g++").text).at(0);
        std::ofstream(run.prefix + "/bin/g++")
            << "#!/bin/sh\nexec " << gxx << " \"$@\" " << VEX_TEST_LINK_FLAGS << "\n";
        fs::permissions(run.prefix + "/bin/g++", fs::perms::owner_all);
    }
}

bool ends_with(const std::string& name, const char* suffix) {
    const std::size_t n = std::strlen(suffix);
    return name.size() >= n && name.compare(name.size() - n, n, suffix) == 0;
}

// vexprepro, vexinstr when needed, g++, the driver, vexreport; *out: what the page may
// quote (the diagnostics, or the report).
void run_loop(const Example& e, const Tools& run, std::string* out) {
    std::string scripts, sources;
    for (const auto& [name, text] : e.files) {
        if (ends_with(name, ".otd") || ends_with(name, ".otc"))
            scripts += " " + name;
        if (ends_with(name, ".cc") || ends_with(name, ".cpp"))
            sources += " " + name;
    }
    const ShellOutput pre = run("vexprepro" + scripts +
                                " -G C++ -O driver.cc -OTI driver.oti -TDF run.tdf");
    *out = pre.text;
    ASSERT_EQ(pre.status, e.diagnostics ? 255 : 0) << pre.text;
    if (e.diagnostics)
        return;
    std::string units = "driver.cc" + sources;
    if (std::regex_search(slurp(run.dir + "/driver.oti"), std::regex("@(CLS|CSS|STB|MTH)@"))) {
        const ShellOutput woven = run("vexinstr -i driver.oti -o woven " + units +
                                      " -- -std=c++17 -I. -I\"$TARVELODIR\"");
        ASSERT_EQ(woven.status, 0) << woven.text;
        units = std::regex_replace(units, std::regex("(\\S+)"), "woven/$1");
    }
    const ShellOutput built = run("g++ -std=c++17 -Wall -Wextra -Werror -Wno-unknown-pragmas "
                                  "-Iwoven -I. -I\"$TARVELODIR\" " + units +
                                  " \"$TARVELODIR/lib/libvextp.a\" -pthread -o driver");
    ASSERT_EQ(built.status, 0) << built.text;
    const ShellOutput driver = run("./driver");
    const ShellOutput report = run("vexreport run.tdf");
    *out = report.text;
    EXPECT_LE(report.status, 1) << report.text;
    EXPECT_EQ(driver.status, report.status) << driver.text << report.text;
}

class DocExample : public testing::TestWithParam<Example> {};

}  // namespace

TEST(Docs, PagesAreWellFormedAndNameEveryMessage) {
    std::string problems;
    for (const std::string& p : pages().problems)
        problems += p + "\n";
    for (const Example& e : pages().examples)
        if (e.files.empty() && e.commands.empty())
            problems += e.where + ": expected output but nothing to run\n";
        else if (!e.commands.empty() && e.outputs.empty() && !e.diagnostics)
            problems += e.where + ": commands that are not said to print anything\n";
    for (const Link& l : pages().links) {
        const std::size_t hash = l.target.find('#');
        const std::string file = hash == 0 ? l.page : l.target.substr(0, hash);
        const bool page = pages().anchors.count(file) > 0;
        if (l.target.rfind("http", 0) == 0)
            continue;
        if (!page && !fs::exists(fs::path(VEX_SOURCE_DIR) / "docs" / file))
            problems += l.where + ": no file " + file + "\n";
        else if (page && hash != std::string::npos &&
                 !pages().anchors.at(file).count(l.target.substr(hash + 1)))
            problems += l.where + ": no anchor " + l.target + "\n";
    }
    for (int n = 0; n <= 62; ++n) {
        const char* text = message_template(n);
        auto heading = pages().message_headings.find(n);
        if (text && (heading == pages().message_headings.end() || heading->second != text))
            problems += "docs/messages.md: message " + std::to_string(n) + " needs a heading `` " +
                        text + " ``\n";
    }
    EXPECT_EQ(problems, "");
}

TEST_P(DocExample, RunsAsThePageSays) {
    const Example& e = GetParam();
    TempDir dir;
    const Tools run{dir.path + "/work", dir.path + "/prefix"};
    fs::create_directories(run.dir);
    ASSERT_NO_FATAL_FAILURE(install(run));
    for (const auto& [name, text] : e.files)
        dir.write("work/" + name, text);
    std::string out;
    if (e.commands.empty()) {
        ASSERT_NO_FATAL_FAILURE(run_loop(e, run, &out));
    } else {
        out = run(e.commands).text;
    }
    if (e.diagnostics) {
        EXPECT_EQ(diagnostic_lines(out), *e.diagnostics) << e.where;
    }
    for (const std::string& expected : e.outputs)
        EXPECT_TRUE(shows(out, expected)) << e.where << ": expected\n" << expected << "in\n" << out;
    if (e.message >= 0 && e.diagnostics) {
        const std::regex pattern = message_pattern(e.message);
        const std::vector<std::string> lines = lines_of(*e.diagnostics);
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                                [&](const std::string& l) { return std::regex_match(l, pattern); }))
            << e.where << ": no line of message " << e.message;
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, DocExample, testing::ValuesIn(pages().examples),
                         [](const testing::TestParamInfo<Example>& info) { return info.param.id; });
