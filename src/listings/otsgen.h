// listings/otsgen.h: the static listing (.ots) records of one component.
#pragma once
#include "fi/component.h"

// The .ots record(s) of one component; 0, or -1 when it wrote nothing.
int write_ots_component(const Component* c);
