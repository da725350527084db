// tests/support/test_support.cpp: shared test aids (see test_support.h).
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "driver/options.h"
#include "driver/run.h"
#include "errors/report.h"
#include "fi/names.h"
#include "reader/parser.h"

RunState::RunState() {
    error_count = 0;
    otd_file_count = 0;
    next_component_id = 2;
    current_file_number = 1;
    clear_name_table();
    set_output_capture(&diagnostics);
    create_options();
    clear_pools();
    root = create_root();
}

RunState::~RunState() {
    free_components(root);
    free_segment_pool();
    free_param_pool();
    if (the_options)
        release_options(the_options);
    free_name_table();
    set_output_capture(nullptr);
}

void run_scripts(RunState& run, const std::vector<std::string>& scripts) {
    the_options->output_name = "driver.cc";
    the_options->oti_name = "driver.oti";
    the_options->tdf_name = "driver.tdf";
    for (const std::string& s : scripts)
        append_source_file(*the_options, s.c_str());
    run_phases(run.root);
}

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vextest.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path = std::filesystem::canonical(pattern).string();  // as the tool's getcwd sees it
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::current_path(previous, ec);
    // Restore write permission so read-only test files can be removed.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path, ec);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
    std::filesystem::path p = std::filesystem::path(path) / name;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream f(p, std::ios::binary);
    f << bytes;
}

std::string TempDir::read(const std::string& name) const {
    std::ifstream f(std::filesystem::path(path) / name, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool TempDir::exists(const std::string& name) const {
    return std::filesystem::exists(std::filesystem::path(path) / name);
}

static void drain(int out_fd, int err_fd, ProcessResult& r) {
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    int open_count = 2;
    char buf[65536];
    while (open_count > 0) {
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                close(fds[i].fd);
                fds[i].fd = -1;
                --open_count;
            } else {
                (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
}

ProcessResult run_vexprepro(const std::vector<std::string>& args, const std::string& cwd,
                            const char* tarvelodir, const std::vector<std::string>& extra_env) {
    int out_pipe[2], err_pipe[2];
    if (pipe(out_pipe) != 0 || pipe(err_pipe) != 0)
        throw std::runtime_error("pipe failed");
    std::string binary = VEX_BINARY;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out_pipe[1], 1);
        dup2(err_pipe[1], 2);
        close(out_pipe[0]);
        close(err_pipe[0]);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        if (chdir(cwd.c_str()) != 0)
            _exit(127);
        if (tarvelodir && !*tarvelodir)
            unsetenv("TARVELODIR");
        else if (tarvelodir)
            setenv("TARVELODIR", tarvelodir, 1);
        for (const std::string& e : extra_env)
            putenv(strdup(e.c_str()));
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(binary.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    close(out_pipe[1]);
    close(err_pipe[1]);
    ProcessResult r;
    drain(out_pipe[0], err_pipe[0], r);
    int status = 0;
    waitpid(pid, &status, 0);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return r;
}

ShellOutput shell(const std::string& command, bool keep_stderr) {
    ShellOutput o;
    FILE* p = popen((command + (keep_stderr ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (!p)
        return {-1, "popen failed"};
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
        o.text.append(buf, n);
    const int s = pclose(p);
    o.status = WIFEXITED(s) ? WEXITSTATUS(s) : 128 + WTERMSIG(s);
    return o;
}

std::string shell_quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::vector<std::string> compilers() {
    std::vector<std::string> found;
    for (const char* c : {"g++", "clang++"})
        if (shell(std::string("command -v ") + c).status == 0)
            found.push_back(c);
    return found;
}

std::string slurp(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

Component* find_component(Component* c, int kind, const char* name) {
    for (; c; c = c->next_sibling) {
        if (c->kind == kind && (!name || (c->name && std::string(c->name) == name)))
            return c;
        if (Component* inner = find_component(c->first_child, kind, name))
            return inner;
    }
    return nullptr;
}

static std::string replaced(std::string text, const std::string& from, const std::string& to) {
    if (from.empty())
        return text;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

std::string with_values(std::string text, const std::vector<Placeholder>& placeholders) {
    for (const Placeholder& p : placeholders)
        text = replaced(std::move(text), p.name, p.value);
    return text;
}

std::string with_placeholders(std::string text, const std::vector<Placeholder>& placeholders) {
    for (const Placeholder& p : placeholders)
        text = replaced(std::move(text), p.value, p.name);
    return text;
}

static std::string unified_diff(const std::string& label, const std::string& expected,
                                const std::string& actual) {
    const std::filesystem::path dir = std::filesystem::temp_directory_path();
    std::string pattern = (dir / "vexdiff.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        return "(no diff: mkdtemp failed)";
    std::ofstream(pattern + "/expected", std::ios::binary) << expected;
    std::ofstream(pattern + "/actual", std::ios::binary) << actual;
    const std::string diff = shell("cd " + shell_quoted(pattern) + " && diff -u --label " +
                                   shell_quoted(label) + " --label actual expected actual").text;
    std::error_code ec;
    std::filesystem::remove_all(pattern, ec);
    return diff;
}

void expect_same_text(const std::string& label, const std::string& expected,
                      const std::string& actual) {
    if (expected != actual)
        ADD_FAILURE() << label << " differs:\n" << unified_diff(label, expected, actual);
}

bool updating_golden_files() {
    const char* update = std::getenv("VEX_UPDATE_GOLDEN");
    return update && std::string(update) == "1";
}

void expect_golden(const std::string& expected_file, const std::string& actual,
                   const std::vector<Placeholder>& placeholders) {
    if (updating_golden_files()) {
        std::ofstream(expected_file, std::ios::binary) << with_placeholders(actual, placeholders);
        return;
    }
    if (!std::filesystem::exists(expected_file)) {
        ADD_FAILURE() << expected_file << " is missing (VEX_UPDATE_GOLDEN=1 writes it)";
        return;
    }
    expect_same_text(expected_file, with_values(slurp(expected_file), placeholders), actual);
}

std::vector<Placeholder> run_placeholders(const std::string& dir) {
    // The tools name directories as the kernel sees them, a symbolic link resolved.
    std::vector<Placeholder> out = {{"@DIR@", std::filesystem::canonical(dir).string()}};
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".ots")
            continue;
        std::size_t digits = name.size() - 4;
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(name[digits - 1])))
            --digits;
        const std::string ots = slurp(entry.path().string());
        const std::size_t ck = ots.rfind("\nCK ");
        unsigned a = 0, b = 0;
        if (ck == std::string::npos || std::sscanf(ots.c_str() + ck, "\nCK %xh %xh", &a, &b) != 2)
            continue;  // a listing cut short has no pair to stand for
        char pair[40];
        std::snprintf(pair, sizeof pair, "0x%x, 0x%x", a, b);
        out.push_back({"@SUM" + std::to_string(std::stoi(name.substr(digits))) + "@", pair});
    }
    return out;
}
