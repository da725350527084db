// listings/statgen.h: writes the two listing files (.tsf, .ots) of every script
// in one walk of the tree, guarded by one checksum pair per script.
#pragma once
#include <ctime>
#include <string_view>

#include "fi/component.h"
#include "fi/files.h"

// Creates and fills the listings of every script in `files`; `run_time` is printed in
// the DP line (local time), `version` in the VO line. 0, or -1 after reporting (43 for a
// file that cannot be created or written).
int write_static_files(FileTable& files, Component* root, std::time_t run_time,
                       const char* version);

// The pre-order walk writing every component's records to its file's listings.
int write_listing_records(const FileTable& files, Component* first);

// Adds `text` to the record's checksum and writes it to the .ots file.
void ots_write(FileRecord* record, std::string_view text);
