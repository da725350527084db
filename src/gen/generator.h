// gen/generator.h: writes the driver file (-O) and the instrumentation file (-OTI) from
// the checked and expanded tree, which it only reads. Reports every failure (43, 37, 38,
// 48, 49, 50 ...) and returns -1; the files only take their final names when both were
// written completely, and a failed run leaves neither behind (a previous one stays).
#pragma once
#include "driver/options.h"
#include "fi/component.h"

// One whole generation, with its own state: 0 or -1. Out of memory is reported (50) here.
int generate_files(const Options& options, const Component* root);
