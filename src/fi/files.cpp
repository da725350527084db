// fi/files.cpp: the per-script file records and the command-line source-file list of a
// file table.
#include "fi/files.h"

#include <new>

#include "fi/names.h"
#include "utils/paths.h"

// File numbers are handed out one by one, so the index stays small; a number beyond
// this bound (never seen in practice) is only found by walking the list.
constexpr int MAX_INDEXED_FILE_NO = 1 << 20;

// Records `record` in the table's number index; false when memory runs out.
static bool index_record(FileTable& files, FileRecord* record) {
    int n = record->file_no;
    if (n <= 0 || n > MAX_INDEXED_FILE_NO)
        return true;
    std::vector<FileRecord*>& index = files.file_by_number;
    try {
        if (index.size() <= static_cast<std::size_t>(n))
            index.resize(static_cast<std::size_t>(n) + 1, nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!index[static_cast<std::size_t>(n)])
        index[static_cast<std::size_t>(n)] = record;  // the first record keeps the number
    return true;
}

FileRecord* add_file_record(FileTable& files, int file_no, const char* dir, const char* file,
                            std::time_t mtime) {
    const char* base = file ? file : "";
    const char* tsf_name = numbered_name(base, file_no, ".tsf");
    const char* ots_name = numbered_name(base, file_no, ".ots");
    if (!tsf_name || !ots_name)
        return nullptr;
    FileRecord* record = new (std::nothrow) FileRecord;
    if (!record)
        return nullptr;
    record->tsf_name = tsf_name;
    record->ots_name = ots_name;
    record->file_no = file_no;
    record->file = file;
    record->dir = dir;
    record->mtime = mtime;
    if (!index_record(files, record)) {
        delete record;
        return nullptr;
    }
    if (files.last_file_record)
        files.last_file_record->next = record;
    else
        files.file_table = record;
    files.last_file_record = record;
    return record;
}

FileRecord* find_file_record(const FileTable& files, int file_no) {
    const std::vector<FileRecord*>& index = files.file_by_number;
    if (file_no > 0 && file_no <= MAX_INDEXED_FILE_NO)
        return static_cast<std::size_t>(file_no) < index.size()
                   ? index[static_cast<std::size_t>(file_no)]
                   : nullptr;
    for (FileRecord* r = files.file_table; r; r = r->next)
        if (r->file_no == file_no)
            return r;
    return nullptr;
}

SourceFile* append_source_file(FileTable& files, const char* name) {
    if (!name)
        return nullptr;
    const char* stored = intern(name);
    if (!stored)
        return nullptr;
    SourceFile* node = new (std::nothrow) SourceFile;
    if (!node)
        return nullptr;
    node->name = stored;
    if (files.last_source_file)
        files.last_source_file->next = node;
    else
        files.source_files = node;
    files.last_source_file = node;
    return node;
}
