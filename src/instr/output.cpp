// instr/output.cpp: all-or-nothing writing of the instrumented copies.
#include "instr/output.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct Pending {
    fs::path final_path;
    std::string temp;
};

// Writes `text` to a new temporary file beside `target`; its name, or "" on failure.
std::string write_temporary(const fs::path& target, const std::string& text) {
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
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

}  // namespace

std::vector<std::string> write_woven_files(const std::vector<WovenFile>& files,
                                           const std::string& base_dir,
                                           const std::string& output_dir) {
    std::vector<std::string> errors;
    std::error_code ec;
    const fs::path base = fs::weakly_canonical(base_dir, ec);
    const fs::path out = fs::weakly_canonical(output_dir, ec);
    std::vector<Pending> pending;
    for (const WovenFile& f : files) {
        const fs::path relative = fs::path(f.path).lexically_relative(base);
        if (relative.empty() || *relative.begin() == "..") {
            // Headers of other projects (the Target Package itself, say) are read, not
            // copied; but what had to be changed must be written.
            if (f.edited)
                errors.push_back("`" + f.path + "' is outside the base directory `" +
                                 base.string() + "' (give a wider one with -b)");
            continue;
        }
        const fs::path target = out / relative;
        if (fs::weakly_canonical(target, ec) == fs::path(f.path)) {
            errors.push_back("`" + f.path + "' would be overwritten: the output directory must "
                             "not be the base directory");
            continue;
        }
        fs::create_directories(target.parent_path(), ec);
        const std::string temp = write_temporary(target, f.text);
        if (temp.empty())
            errors.push_back("cannot write `" + target.string() + "'");
        else
            pending.push_back(Pending{target, temp});
    }
    for (const Pending& p : pending) {
        if (errors.empty() && std::rename(p.temp.c_str(), p.final_path.c_str()) != 0)
            errors.push_back("cannot write `" + p.final_path.string() + "'");
        if (!errors.empty())
            unlink(p.temp.c_str());
    }
    return errors;
}
