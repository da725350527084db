// driver/globals.cpp: the process-wide state the driver owns and resets at start-up.
#include "driver/options.h"
#include "errors/report.h"
#include "fi/component.h"
#include "reader/parser.h"

std::uint32_t error_count = 0;
Options* the_options = nullptr;
int next_component_id = 2;
int current_file_number = 1;
int otd_file_count = 0;
