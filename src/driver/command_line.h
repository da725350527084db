// driver/command_line.h: fills the options record from the arguments.
// Reports exactly one message (no location) on rejection; the caller prints the usage.
#pragma once

constexpr int OPTION_SOURCE = 800;
constexpr int OPTION_G = 801;
constexpr int OPTION_O = 802;
constexpr int OPTION_OTI = 803;
constexpr int OPTION_TDF = 804;
constexpr int OPTION_E = 805;
constexpr int OPTION_NODLINE = 806;
constexpr int OPTION_NOPATH = 807;
constexpr int OPTION_VELDOR_LOG = 808;
constexpr int OPTION_VALUES = 809;

int classify_option(const char* argument);

// 0, or -1 after reporting one of messages 47, 56-61.
int parse_command_line(int argc, char** argv);

void print_usage();
