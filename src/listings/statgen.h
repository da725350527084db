// listings/statgen.h: writes the two listing files (.tsf, .ots) of every script
// in one walk of the tree, guarded by one checksum pair per script.
#pragma once
#include <ctime>
#include <string_view>

#include "fi/component.h"
#include "fi/files.h"

// Creates and fills every listing; `run_time` is printed in the DP line (local time).
// 0, or -1 after reporting (43 for a file that cannot be created or written).
int write_static_files(Component* root, std::time_t run_time);

// The pre-order walk writing every component's records to its file's listings.
int write_listing_records(Component* first);

// Adds `text` to the record's checksum and writes it to the .ots file.
void ots_write(FileRecord* record, std::string_view text);
