// listings/otsgen.h: the static listing (.ots) records of one component.
#pragma once
#include "fi/component.h"
#include "fi/files.h"

// The .ots record(s) of one component, to its script's record `r`; 0, or -1 when it wrote nothing.
int write_ots_component(FileRecord* r, const Component* c);
