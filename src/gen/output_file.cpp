// gen/output_file.cpp: generated files under a temporary name, renamed when complete.
#include "gen/output_file.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "errors/report.h"
#include "utils/paths.h"

std::size_t (*generated_write)(const void* data, std::size_t size, FILE* file) =
    [](const void* data, std::size_t size, FILE* file) { return std::fwrite(data, 1, size, file); };

namespace {

// The mode a plain fopen would give a new file.
mode_t default_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A symbolic link is followed, so the link itself survives the rename.
std::string resolved_target(const char* name) {
    struct stat link;
    if (lstat(name, &link) == 0 && S_ISLNK(link.st_mode)) {
        char resolved[PATH_MAX];
        if (realpath(name, resolved))
            return resolved;
    }
    return name;
}

FILE* open_temporary(GeneratedFile& f, mode_t mode) {
    const std::string dir = directory_of(f.target);
    std::string pattern = dir + "." + file_name_of(f.target) + ".XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
        return nullptr;
    FILE* file = fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
    if (!file) {
        close(fd);
        unlink(pattern.c_str());
        return nullptr;
    }
    f.temp = pattern;
    return file;
}

}  // namespace

int open_generated_file(GeneratedFile& f, const char* name, int mode) {
    f = GeneratedFile{};
    f.name = name;
    if (!name)
        return -1;
    f.target = resolved_target(name);
    struct stat existing;
    const bool exists = stat(f.target.c_str(), &existing) == 0;
    if (!exists || S_ISREG(existing.st_mode))
        f.file = open_temporary(f, exists ? existing.st_mode & 07777 : default_mode());
    if (!f.file)  // a device or FIFO, or no temporary file could be made beside it
        f.file = std::fopen(f.target.c_str(), "w");
    if (!f.file)
        return -1;
    f.opened = true;
    log_output_file(name, mode);
    return 0;
}

void write_generated(GeneratedFile& f, const char* data, std::size_t size) {
    if (!f.file || f.write_failed || size == 0)
        return;
    if (generated_write(data, size, f.file) != size)
        f.write_failed = true;
}

int close_generated_file(GeneratedFile& f) {
    if (!f.file)
        return 0;
    const bool write_failed = f.write_failed || std::fflush(f.file) != 0 || std::ferror(f.file);
    const bool close_failed = std::fclose(f.file) != 0;
    f.file = nullptr;
    f.write_failed = write_failed || close_failed;
    if (write_failed)
        report_error(MSG_CANNOT_CREATE, {}, arg_text(f.name));
    else if (close_failed)
        report_error(MSG_CANNOT_CLOSE, {}, arg_text(f.name));
    return f.write_failed ? -1 : 0;
}

int commit_generated_file(GeneratedFile& f, bool keep) {
    if (!f.opened) {
        f = GeneratedFile{};
        return 0;
    }
    int result = 0;
    keep = keep && !f.write_failed;
    if (!f.temp.empty()) {
        if (keep && std::rename(f.temp.c_str(), f.target.c_str()) != 0) {
            report_error(MSG_CANNOT_CREATE, {}, arg_text(f.name));
            keep = false;
            result = -1;
        }
        if (!keep)
            unlink(f.temp.c_str());
    } else if (!keep) {
        struct stat written;
        if (stat(f.target.c_str(), &written) == 0 && S_ISREG(written.st_mode))
            unlink(f.target.c_str());  // never leave a half-written regular file
    }
    f = GeneratedFile{};
    return result;
}
