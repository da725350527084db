// gen/generator.h: writes the driver file (-O) and the instrumentation file (-OTI) from
// the checked and expanded tree. Reports every failure (43, 37, 38, 48, 49, 50 ...) and
// returns -1; the files only take their final names when finished successfully.
#pragma once
#include "fi/component.h"

// Opens both files and writes them; 0 or -1. The files stay open on return.
int generate_driver(Component* root);

// Closes both files: with `keep`, each takes its final name (write errors are reported
// with 43/44 and count as failure); otherwise neither is left behind. 0 or -1.
int finish_generated_files(bool keep);
