// instr/output.cpp: the copies' places, the checks of every target, and all-or-nothing
// writing with the replaced files put back on failure.
#include "instr/output.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// The real path: symbolic links, `..' and `./' resolved as far as the path exists.
std::string real_path(const fs::path& p) {
    std::error_code ec;
    const fs::path real = fs::weakly_canonical(fs::absolute(p, ec), ec);
    return ec ? fs::absolute(p).lexically_normal().string() : real.string();
}

// The files a previous run wrote into `output`, by real path.
std::set<std::string> written_before(const fs::path& output) {
    std::set<std::string> names;
    std::ifstream f(output / MANIFEST);
    for (std::string line; std::getline(f, line);)
        if (!line.empty())
            names.insert(real_path(output / line));
    return names;
}

// Appends the error for a target that must not be written; false when there is one.
bool check_target(const std::string& target, const std::set<std::string>& read,
                  const std::set<std::string>& ours, std::vector<std::string>& errors) {
    const std::string real = real_path(target);
    if (read.count(real)) {
        errors.push_back("`" + real + "' would be overwritten, a file read: choose an "
                         "output directory that holds no source");
        return false;
    }
    std::error_code ec;
    if ((fs::exists(fs::symlink_status(target, ec)) || fs::exists(real)) && !ours.count(real)) {
        errors.push_back("`" + target + "' exists and was not written by vexinstr: remove it "
                         "or choose another output directory");
        return false;
    }
    return true;
}

// Writes `text` to a new temporary file beside `target`; its name, or "" on failure.
std::string write_temporary(const fs::path& target, const std::string& text) {
    std::string pattern =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return {};
    FILE* f = fdopen(fd, "wb");
    if (!f) {
        close(fd);
        unlink(pattern.c_str());
        return {};
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    const bool closed = std::fclose(f) == 0;
    if (!written || !closed) {
        unlink(pattern.c_str());
        return {};
    }
    return pattern;
}

// A file being put in place: its new text, and the old one kept aside ("" if none).
struct Swap {
    std::string temporary, kept;
    bool renamed = false;
};

// Keeps an existing `path` under a second name (a hard link), then renames the temporary
// file onto it, so the name never goes missing; false on failure.
bool put_in_place(const std::string& path, Swap& s) {
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        s.kept = s.temporary + ".old";
        if (link(path.c_str(), s.kept.c_str()) != 0) {
            s.kept.clear();
            return false;
        }
    }
    s.renamed = std::rename(s.temporary.c_str(), path.c_str()) == 0;
    return s.renamed;
}

// After a failure: every replaced file back as it was, the temporary files removed.
void put_back(const std::vector<OutputFile>& files, std::vector<Swap>& swaps) {
    for (std::size_t i = 0; i < swaps.size(); ++i) {
        Swap& s = swaps[i];
        if (s.renamed && s.kept.empty())
            unlink(files[i].path.c_str());
        if (!s.kept.empty() && s.renamed)
            std::rename(s.kept.c_str(), files[i].path.c_str());
        else if (!s.kept.empty())
            unlink(s.kept.c_str());
        if (!s.renamed && !s.temporary.empty())
            unlink(s.temporary.c_str());
    }
}

}  // namespace

std::set<std::string> real_paths(const std::vector<std::string>& files) {
    std::set<std::string> out;
    for (const std::string& f : files)
        out.insert(real_path(f));
    return out;
}

std::string copy_path(const std::string& file, const std::string& base_dir,
                      const std::string& output_dir, const std::set<std::string>& units) {
    const fs::path real = real_path(file), output = real_path(output_dir);
    const fs::path relative = real.lexically_relative(real_path(base_dir));
    if (!relative.empty() && *relative.begin() != "..")
        return (output / relative).string();
    return units.count(real.string()) ? (output / real.filename()).string() : std::string();
}

bool place_copies(const std::vector<WovenFile>& files, const std::vector<std::string>& units,
                  const std::vector<std::string>& read, const std::string& base_dir,
                  const std::string& output_dir, std::vector<OutputFile>& out,
                  std::vector<std::string>& errors) {
    const std::size_t before = errors.size();
    const fs::path output = real_path(output_dir);
    std::set<std::string> inputs;
    for (const std::string& r : read)
        inputs.insert(real_path(r));
    for (const WovenFile& f : files)
        inputs.insert(real_path(f.path));
    for (const OutputFile& o : out)  // the dependency file: any name but an input's
        check_target(o.path, inputs, {real_path(o.path)}, errors);
    const std::set<std::string> ours = written_before(output);
    const std::set<std::string> unit_paths = real_paths(units);
    std::map<std::string, std::string> targets;  // target -> the file copied there
    std::string manifest;
    for (const WovenFile& f : files) {
        const std::string target = copy_path(f.path, base_dir, output_dir, unit_paths);
        if (target.empty()) {
            // Headers of other projects (the Target Package itself, say) are read, not
            // copied; but what had to be changed must be written.
            if (f.edited)
                errors.push_back("`" + f.path + "' is outside the base directory `" +
                                 real_path(base_dir) + "' (give a wider one with -b)");
            continue;
        }
        if (const auto [it, added] = targets.emplace(target, f.path); !added) {
            errors.push_back("`" + f.path + "' and `" + it->second + "' would both be copied to `" +
                             target + "': give a base directory (-b) holding both");
            continue;
        }
        if (check_target(target, inputs, ours, errors))
            out.push_back(OutputFile{target, f.text, true});
        manifest += fs::path(target).lexically_relative(output).string() + "\n";
    }
    const fs::path list = output / MANIFEST;
    if (check_target(list.string(), inputs, {real_path(list)}, errors))
        out.push_back(OutputFile{list.string(), manifest, true});
    return errors.size() == before;
}

bool write_all_or_nothing(const std::vector<OutputFile>& files, std::vector<std::string>& errors) {
    std::vector<Swap> swaps;  // one per file written so far
    bool written = true;
    for (const OutputFile& f : files) {
        std::error_code ec;
        if (f.make_directories)
            fs::create_directories(fs::path(f.path).parent_path(), ec);
        swaps.push_back(Swap{write_temporary(f.path, f.text), {}, false});
        if (swaps.back().temporary.empty()) {
            errors.push_back("cannot write `" + f.path + "'");
            written = false;
            break;
        }
    }
    for (std::size_t i = 0; written && i < swaps.size(); ++i)
        if (!put_in_place(files[i].path, swaps[i])) {
            errors.push_back("cannot write `" + files[i].path + "'");
            written = false;
        }
    if (!written)
        put_back(files, swaps);
    for (const Swap& s : swaps)
        if (written && !s.kept.empty())
            unlink(s.kept.c_str());
    return written;
}
