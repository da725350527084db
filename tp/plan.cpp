// tp/plan.cpp: the plan of a run: the tree of TEST CLASS, SUITE and CASE executions in
// the order the driver makes them, found by a discovery pass in a forked child, named
// from the listings, marked by --vex-run and the shard, and walked in step with the real
// run so that each enter finds its node in constant time (amortised over the run).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "rt.h"

namespace vexrt {

// ---- Names -------------------------------------------------------------------------

bool load_names(const Options& o, const std::vector<std::pair<unsigned, unsigned>>& files,
                Names* names, std::string* error) {
    std::vector<std::string> dirs = o.listing_dirs;
    if (dirs.empty())
        dirs = o.driver_dir == "." ? std::vector<std::string>{"."}
                                   : std::vector<std::string>{o.driver_dir, "."};
    std::vector<std::string> warnings;
    names->all = listing::read_listings(dirs, &warnings);
    bool all_found = true;
    for (const auto& pair : files) {
        const auto it = names->all.find(pair);
        names->by_file.push_back(it == names->all.end() ? nullptr : &it->second);
        if (it == names->all.end() && all_found) {
            all_found = false;
            char sums[48];
            std::snprintf(sums, sizeof sums, "0x%x, 0x%x", pair.first, pair.second);
            *error = std::string("no listing (.ots) of the script registered with the checksum "
                                 "pair ") + sums + " in the directories searched:";
            for (const std::string& d : dirs)
                *error += " `" + d + "'";
            *error += " (say where with --vex-listings DIR or VEX_LISTINGS)";
        }
    }
    return all_found;
}

const listing::Record* find_record(const Names& n, int file, unsigned long id) {
    if (file < 0 || static_cast<std::size_t>(file) >= n.by_file.size() ||
        !n.by_file[static_cast<std::size_t>(file)])
        return nullptr;
    return n.by_file[static_cast<std::size_t>(file)]->find(id);
}

std::string name_of(const Names& n, int file, unsigned long id) {
    const listing::Record* r = find_record(n, file, id);
    if (r)
        return r->text.substr(0, r->text.find('('));  // a class's parameters are not its name
    char text[24];
    std::snprintf(text, sizeof text, "#%lx", id);
    return text;
}

std::string place_of(const Names& n, int file, unsigned long id) {
    const listing::Record* r = find_record(n, file, id);
    if (!r)
        return "?";
    return n.by_file[static_cast<std::size_t>(file)]->script + ":" + std::to_string(r->line);
}

// ---- Building and sending ------------------------------------------------------------

void plan_enter(Plan& p, int kind, unsigned long id, int file) {
    Node node;
    node.kind = kind;
    node.id = id;
    node.file = file;
    node.parent = p.stack.back();
    const int index = static_cast<int>(p.nodes.size());
    p.nodes.push_back(node);
    p.nodes[static_cast<std::size_t>(node.parent)].children.push_back(index);
    if (kind == CASE)
        p.cases.push_back(index);
    p.stack.push_back(index);
}

void plan_exit(Plan& p) {
    if (p.stack.size() > 1)
        p.stack.pop_back();
}

// One line a node in pre-order: "<kind> <id> <file> <parent>".
std::string plan_text(const Plan& p) {
    std::string out;
    char line[64];
    for (std::size_t i = 1; i < p.nodes.size(); ++i) {
        const Node& n = p.nodes[i];
        std::snprintf(line, sizeof line, "%d %lx %d %d\n", n.kind, n.id, n.file, n.parent);
        out += line;
    }
    return out;
}

bool read_plan_text(const std::string& text, Plan* p) {
    *p = Plan{};
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            return false;
        int kind = 0, file = 0, parent = 0;
        unsigned long id = 0;
        if (std::sscanf(text.c_str() + at, "%d %lx %d %d", &kind, &id, &file, &parent) != 4 ||
            parent < 0 || static_cast<std::size_t>(parent) >= p->nodes.size())
            return false;
        p->stack.assign(1, parent);
        plan_enter(*p, kind, id, file);
        at = end + 1;
    }
    p->stack.assign(1, 0);
    return true;
}

void name_plan(Plan& p, const Names& n) {
    for (std::size_t i = 1; i < p.nodes.size(); ++i) {  // parents come first
        Node& node = p.nodes[i];
        const std::string& above = p.nodes[static_cast<std::size_t>(node.parent)].path;
        node.path = (above.empty() ? "" : above + ".") + name_of(n, node.file, node.id);
    }
}

// ---- Walking ---------------------------------------------------------------------------

int walk_enter(Plan& p, int kind, unsigned long id, int file) {
    if (p.stack.back() < 0) {  // inside a component the plan does not hold
        p.stack.push_back(-1);
        return -1;
    }
    Node& at = p.nodes[static_cast<std::size_t>(p.stack.back())];
    // A component an ON ERROR reaction bypassed is passed over; its cases never run.
    for (std::size_t c = at.cursor; c < at.children.size(); ++c) {
        const int child = at.children[c];
        const Node& n = p.nodes[static_cast<std::size_t>(child)];
        if (n.kind == kind && n.id == id && n.file == file) {
            at.cursor = c + 1;
            p.stack.push_back(child);
            return child;
        }
    }
    p.stack.push_back(-1);
    return -1;
}

void walk_exit(Plan& p) { plan_exit(p); }

// ---- Discovery -------------------------------------------------------------------------

namespace {
int plan_pipe = -1;  // in the discovering child: where the plan goes
}

bool discover(Plan* p) {
    int fds[2];
    if (pipe(fds) != 0) {
        std::fprintf(stderr, "vextp: cannot make the plan of the run (pipe)\n");
        std::_Exit(2);
    }
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        plan_pipe = fds[1];
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        return true;
    }
    close(fds[1]);
    std::string text;
    char chunk[65536];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) != 0;)
        if (n > 0)
            text.append(chunk, static_cast<std::size_t>(n));
        else if (errno != EINTR)
            break;
    close(fds[0]);
    int status = 0;
    while (child >= 0 && waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || !read_plan_text(text, p)) {
        std::fprintf(stderr, "vextp: the pass that lists the test cases did not finish (a "
                             "PROLOGUE or EPILOGUE crashed or ended the process)\n");
        std::_Exit(2);
    }
    return false;
}

void send_plan(const Plan& p) {
    const std::string text = plan_text(p);
    std::_Exit(write_all(plan_pipe, text.data(), text.size()) ? 0 : 3);
}

}  // namespace vexrt
