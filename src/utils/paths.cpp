// utils/paths.cpp: file-name operations. Paths are handled as raw bytes (the way the
// kernel sees them) rather than through QString, so a file name that is not valid in
// the locale's encoding survives unchanged; the results equal what QFileInfo::path(),
// QFileInfo::fileName(), QDir::isRelativePath() and QDir::cleanPath() give on POSIX.
#include "utils/paths.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "errors/report.h"
#include "fi/names.h"
#include "utils/text.h"

bool ends_with_separator(std::string_view dir) {
    return !dir.empty() && (dir.back() == '/' || dir.back() == '\\');
}

std::string join_path(std::string_view dir, std::string_view name) {
    std::string out(dir);
    if (!ends_with_separator(dir))
        out.push_back(PATH_SEPARATOR);
    out.append(name);
    return out;
}

// The directory part: "." for a bare name, "/" for a name in the root directory.
static std::string directory_part(std::string_view path) {
    std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return ".";
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

std::string directory_of(std::string_view path) {
    std::string dir = directory_part(path);
    if (!ends_with_separator(dir))
        dir.push_back(PATH_SEPARATOR);
    return dir;
}

std::string file_name_of(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

bool is_relative_path(std::string_view path) { return path.empty() || path.front() != '/'; }

std::string current_directory() {
    std::vector<char> buffer(4096);
    while (!getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE || buffer.size() > (std::size_t{1} << 24))
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
    std::string dir(buffer.data());
    if (!ends_with_separator(dir))
        dir.push_back(PATH_SEPARATOR);
    return dir;
}

const char* current_directory_interned(const char* file, int line) {
    std::string dir = current_directory();
    const char* stored = dir.empty() ? nullptr : intern(dir);
    if (!stored)
        report_error(MSG_NO_MEMORY_HASH_TOKEN, Location{file, line});
    return stored;
}

// "." and empty components removed, ".." folded into its parent (as QDir::cleanPath);
// an absolute path stays absolute, and ".." above the root is dropped.
static std::string clean_path(std::string_view path) {
    bool absolute = !path.empty() && path.front() == '/';
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty() && parts.back() != "..")
                parts.pop_back();
            else if (!absolute)
                parts.push_back(part);
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out = absolute ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i)
            out.push_back('/');
        out.append(parts[i]);
    }
    return out.empty() ? std::string(".") : out;
}

int split_script_path(const char* base_dir, std::string_view path, const char** dir,
                      const char** base_name) {
    std::string directory = directory_of(path);
    if (is_relative_path(directory)) {
        std::string base = base_dir ? std::string(base_dir) : current_directory();
        directory = join_path(base, directory);
        if (is_relative_path(directory))  // a relative base: anchor it at the current directory
            directory = join_path(current_directory(), directory);
    }
    directory = clean_path(directory);
    if (!ends_with_separator(directory))
        directory.push_back(PATH_SEPARATOR);

    std::string located(path);  // messages 6 are located at the path itself, line 0
    *dir = intern(directory);
    if (!*dir) {
        report_error(MSG_NO_MEMORY_HASH_TOKEN, Location{located.c_str(), 0});
        return -1;
    }
    *base_name = intern(file_name_of(path));
    if (!*base_name) {
        report_error(MSG_NO_MEMORY_HASH_TOKEN, Location{located.c_str(), 0});
        return -1;
    }
    return 0;
}

const char* display_name(const char* dir, const char* base_name) {
    std::string_view directory = dir ? std::string_view(dir) : std::string_view();
    std::string cwd = current_directory();
    if (!cwd.empty() && directory.substr(0, cwd.size()) == cwd)
        directory.remove_prefix(cwd.size());
    std::string name(directory);
    if (base_name)
        name.append(base_name);
    return intern(name);
}

static bool ends_with_ignoring_case(std::string_view text, std::string_view ending) {
    return text.size() >= ending.size() &&
           equal_ignoring_case(text.substr(text.size() - ending.size()), ending) == 0;
}

int classify_script(std::string_view file_name) {
    for (std::string_view ending : {".otd", ".stb", ".dcl"})
        if (ends_with_ignoring_case(file_name, ending))
            return SCRIPT_OTD;
    if (ends_with_ignoring_case(file_name, ".otc"))
        return SCRIPT_OTC;
    return SCRIPT_NONE;
}

const char* numbered_name(std::string_view prefix, int number, std::string_view suffix) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", number);
    std::string name(prefix);
    name.append(digits);
    name.append(suffix);
    return intern(name);
}

const char* environment_value(const char* variable) {
    const char* value = std::getenv(variable);
    if (!value || !*value)
        return nullptr;
    return intern(value);
}

// The whole content of an open file; false when a read fails or the content runs past
// MAX_SCRIPT_BYTES (a device or pipe may never end).
static bool read_all(FILE* f, std::string* bytes) {
    char chunk[65536];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (bytes->size() + n > MAX_SCRIPT_BYTES)
            return false;
        bytes->append(chunk, n);
    }
    return !std::ferror(f);
}

int read_script_file(const char* dir, const char* base_name, std::string* bytes,
                     std::time_t* mtime) {
    std::string path = std::string(dir ? dir : "") + (base_name ? base_name : "");
    bytes->clear();
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return -1;
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return -1;
    }
    if (S_ISREG(st.st_mode) && static_cast<std::uintmax_t>(st.st_size) > MAX_SCRIPT_BYTES) {
        std::fclose(f);
        return -1;
    }
    if (S_ISREG(st.st_mode) && st.st_size > 0)
        bytes->reserve(static_cast<std::size_t>(st.st_size));
    bool ok = read_all(f, bytes);
    if (std::fclose(f) != 0)
        ok = false;
    if (!ok) {
        bytes->clear();
        return -1;
    }
    if (mtime)
        *mtime = st.st_mtime;
    return 0;
}
