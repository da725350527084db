// fi/files.h: one FileRecord per script opened, numbered from 1 in opening order,
// with the names of its two listing files and their shared checksum pair.
#pragma once
#include <cstdint>
#include <ctime>
#include <vector>

struct ListingSink;

struct FileRecord {
    const char* tsf_name = nullptr;     // interned "<file><nn>.tsf"
    ListingSink* tsf_sink = nullptr;    // there only while the listings are written
    const char* ots_name = nullptr;     // interned "<file><nn>.ots"
    ListingSink* ots_sink = nullptr;
    int file_no = 0;                 // equals file_no of every component read from it
    std::uint32_t sum_a = 0;         // checksum sum S; the printed 31-bit value once final
    std::uint32_t sum_b = 0;         // checksum xor X; likewise
    const char* file = nullptr;      // interned base name with extension
    const char* dir = nullptr;       // interned absolute directory ending with a separator
    std::time_t mtime = 0;           // script's modification time when opened
    FileRecord* next = nullptr;
};

struct SourceFile {
    const char* name = nullptr;  // interned copy of the command-line argument
    SourceFile* next = nullptr;
};

// The scripts of one run: those named on the command line and a record of every script
// opened. The driver owns it (in its options record) and hands it to whoever needs it.
struct FileTable {
    SourceFile* source_files = nullptr;   // command-line scripts, in order
    SourceFile* last_source_file = nullptr;
    FileRecord* file_table = nullptr;     // every script opened, in opening order
    FileRecord* last_file_record = nullptr;
    std::vector<FileRecord*> file_by_number;  // index: file_no -> record (slot 0 unused)
    int file_count = 0;                   // last file number handed out
};

// Appends a record to the file table (listing names made with numbered_name); nullptr
// when memory runs out (the table is then unchanged). Also indexes it by number.
FileRecord* add_file_record(FileTable& files, int file_no, const char* dir, const char* file,
                            std::time_t mtime);

// The first record with that number, in O(1); nullptr when there is none.
FileRecord* find_file_record(const FileTable& files, int file_no);

// Appends an interned copy of `name` to the source files; nullptr on memory failure.
SourceFile* append_source_file(FileTable& files, const char* name);
