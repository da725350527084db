// formats/listing.h: the two listing files of every script, which vexprepro writes and
// vexreport (and the driver's own --vex-list) read. Both are text, one record a line.
//   .ots: "OF", "VO" and "DP" head lines, then per component
//         "<tag> <id>h \"<text>\" line=<n> dad=<parent id>h[ stb=<id>h];", then "CK" with
//         the checksum pair;
//   .tsf: "DB", "SO", "IN \"File\"", predefined "ST"/"MS"/"TX" lines, then per component
//         "LK <line>" before each "IN", "MS" or "TX" record and "SI <parent>h" before an
//         "IN"; then "ID" with the pair and "ED".
// Numbers are lower-case hexadecimal followed by 'h'. Header only.
#pragma once
#include <string_view>

namespace listing {

// .ots record tags, one per kind of component that has a record.
constexpr std::string_view TEST_CLASS = "TL", TEST_SUITE = "TS", TEST_CASE = "TC",
                           PROLOGUE = "CB", EPILOGUE = "CE", RUN = "RU", RUN_ELEMENT = "RC",
                           NATIVE = "NC", COMMENT = "CO", PRINT = "PR", PROPERTY = "PY",
                           EXPRESSION = "EX", CHECK_PROPERTY = "CY", CHECK = "CH", PROC = "PC",
                           CALL = "CP", REQUIRE = "RQ", ENSURE = "EN", INVARIANT = "IV",
                           CHECK_EXCEPTION = "CX", CHECK_METHOD = "CM", STUB = "SB",
                           CHECK_STUB = "CS", WRAP = "WR", CLASS = "CL", SINGLE_CLASS = "SL",
                           UML_STATE = "ST", TRANSITION = "TR",
                           OBSERVATION_STATE = "OS";  // a class's state report

// .ots head and trailer lines.
constexpr std::string_view OTS_FILE = "OF";     // OF "<dir>" "<file>" <mtime>h
constexpr std::string_view OTS_VERSION = "VO";  // VO <product version>
constexpr std::string_view OTS_DATE = "DP";     // DP <date of the run>
constexpr std::string_view OTS_CHECKSUM = "CK"; // CK <sum_a>h <sum_b>h
// What follows the quoted text of a component record.
constexpr std::string_view OTS_LINE_FIELD = "\" line=";
constexpr std::string_view OTS_PARENT_FIELD = "dad=";
constexpr std::string_view OTS_STUB_FIELD = "stb=";

// .tsf record tags.
constexpr std::string_view TSF_HEAD = "DB", TSF_SOURCE = "SO", TSF_ITEM = "IN",
                           TSF_STATUS = "ST", TSF_MESSAGE = "MS", TSF_TEXT = "TX",
                           TSF_LINE = "LK", TSF_PARENT = "SI", TSF_CHECKSUM = "ID",
                           TSF_END = "ED";

constexpr std::string_view OTS_SUFFIX = ".ots";
constexpr std::string_view TSF_SUFFIX = ".tsf";

}  // namespace listing
