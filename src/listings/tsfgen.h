// listings/tsfgen.h: the trace-structure (.tsf) records; UTF-8 texts, inner line
// breaks turned into blanks, every byte added to the script's checksum pair.
#pragma once
#include <string_view>

#include "fi/component.h"
#include "fi/files.h"

void tsf_write(FileRecord* record, std::string_view text);
int write_tsf_head(FileRecord* record);
int write_tsf_messages(FileRecord* record);
// The records of one component to its script's record `r` (none for kinds without .tsf
// records); 0 or -1.
int write_tsf_component(FileRecord* r, const Component* c);
void write_tsf_trailer(FileRecord* record);
