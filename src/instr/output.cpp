// instr/output.cpp: the copies' places, and all-or-nothing writing.
#include "instr/output.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

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

}  // namespace

bool place_copies(const std::vector<WovenFile>& files, const std::string& base_dir,
                  const std::string& output_dir, std::vector<OutputFile>& out,
                  std::vector<std::string>& errors) {
    const std::size_t before = errors.size();
    std::error_code ec;
    const fs::path base = fs::weakly_canonical(base_dir, ec);
    const fs::path output = fs::weakly_canonical(output_dir, ec);
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
        const fs::path target = output / relative;
        if (fs::weakly_canonical(target, ec) == fs::path(f.path))
            errors.push_back("`" + f.path + "' would be overwritten: the output directory must "
                             "not be the base directory");
        else
            out.push_back(OutputFile{target.string(), f.text, true});
    }
    return errors.size() == before;
}

bool write_all_or_nothing(const std::vector<OutputFile>& files, std::vector<std::string>& errors) {
    std::vector<std::string> temporary;  // one per file written so far
    bool written = true;
    for (const OutputFile& f : files) {
        std::error_code ec;
        if (f.make_directories)
            fs::create_directories(fs::path(f.path).parent_path(), ec);
        temporary.push_back(write_temporary(f.path, f.text));
        if (temporary.back().empty()) {
            errors.push_back("cannot write `" + f.path + "'");
            written = false;
            break;
        }
    }
    for (std::size_t i = 0; i < temporary.size(); ++i) {
        if (written && std::rename(temporary[i].c_str(), files[i].path.c_str()) != 0) {
            errors.push_back("cannot write `" + files[i].path + "'");
            written = false;
        }
        if (!written && !temporary[i].empty())
            unlink(temporary[i].c_str());
    }
    return written;
}
