// listings/tsfgen.cpp: the trace-structure (.tsf) file of one script: what each number
// passed to the runtime stands for. Item records are keyed by id, message records by
// id + 1000000, text records by id + 2000000. Every line is converted to UTF-8, loses
// its inner line breaks and enters the checksum pair shared with the .ots file.
// A component without the text its records need gets none of them.
#include "listings/tsfgen.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "listings/statgen.h"
#include "utils/text.h"

namespace {

constexpr unsigned long MESSAGE_KEY = 1000000;
constexpr unsigned long TEXT_KEY = 2000000;
constexpr std::uint32_t PRINTED_MASK = 0x7FFFFFFFu;

using Lines = std::vector<std::string>;

// Keys of the predefined records: -1 .. -5 as 32-bit two's complement.
struct Predefined {
    const char* tag;
    int key;
    const char* text;
};
constexpr Predefined PREDEFINED[] = {
    {"MS", -1, "ON ERROR (DEFAULT)"},   {"TX", -2, "UNEXPECTED EXCEPTION"},
    {"TX", -3, "EXCEPTION THROWN"},     {"TX", -4, "ILLEGAL TRANSITION"},
    {"TX", -5, "MULTIPLE TRANSITION"},
};

bool is_ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) > 127)
            return false;
    return true;
}

void emit(FileRecord* r, const std::string& line) {
    tsf_write(r, is_ascii(line) ? line : to_utf8(line));
}

std::string text(const char* t) {
    return t ? std::string(t) : std::string();
}

std::string lk(int line) {
    return concat({"LK ", decimal_field(static_cast<unsigned long>(line)), "\n"});
}

std::string keyed(const char* tag, unsigned long key, const std::string& quoted) {
    return concat({tag, " ", hex_field(key), " \"", quoted, "\"\n"});
}

// LK, SI and the IN record of an item.
void add_item(Lines& out, const Component* c, const char* item_class, const std::string& shown) {
    out.push_back(lk(c->first_line));
    out.push_back(concat({"SI ", hex_field(c->parent ? c->parent->id : 0), "\n"}));
    out.push_back(concat({"IN \"", item_class, "\" ", hex_field(c->id), " \"", shown, "\"\n"}));
}

void add_message(Lines& out, const Component* c, const std::string& quoted) {
    out.push_back(lk(c->first_line));
    out.push_back(keyed("MS", c->id + MESSAGE_KEY, quoted));
}

void add_text(Lines& out, const Component* c, const std::string& quoted, int line) {
    out.push_back(lk(line));
    out.push_back(keyed("TX", c->id + TEXT_KEY, quoted));
}

void add_test_block(Lines& out, const Component* c, const char* item_class) {
    add_item(out, c, item_class, text(c->name));
    add_message(out, c, concat({"`", text(c->name), "'"}));
}

void add_check(Lines& out, const Component* c) {
    const CheckDetail* d = check_detail(c);
    const std::string expression = concat({"(", escaped(text(d->expression)), ")"});
    add_text(out, c, d->label ? concat({"`", d->label, "' / ", expression}) : expression,
             c->first_line);
}

void add_check_property(Lines& out, const Component* c) {
    const CheckPropertyDetail* d = check_property_detail(c);
    // The line shown is the PROPERTY's, where the checked condition is written.
    const int line = d->resolved ? d->resolved->first_line : c->first_line;
    add_text(out, c, d->label ? concat({"`", d->label, "' / ", text(c->name)}) : text(c->name),
             line);
}

void add_run_element(Lines& out, const Component* c) {
    const RunElementDetail* d = run_element_detail(c);
    add_message(out, c, concat({"run `", reference_text(d->path), "'"}));
}

// Whether the texts a kind's records need are there.
bool has_texts(const Component* c) {
    switch (c->kind) {
    case KIND_CHECK: return check_detail(c) && check_detail(c)->expression;
    case KIND_CHECK_PROPERTY: return check_property_detail(c) && c->name;
    case KIND_RUN_ELEMENT: return run_element_detail(c) && run_element_detail(c)->path;
    case KIND_STUB: return stub_detail(c) && stub_detail(c)->signature && c->name;
    default: return c->name != nullptr;
    }
}

void add_records(Lines& out, const Component* c) {
    const std::string name = text(c->name);
    switch (c->kind) {
    case KIND_TEST_CLASS: add_test_block(out, c, "TestClass"); break;
    case KIND_TEST_SUITE: add_test_block(out, c, "TestSuite"); break;
    case KIND_TEST_CASE: add_test_block(out, c, "TestCase"); break;
    case KIND_STUB:
        add_item(out, c, "Stub", name);
        add_message(out, c, concat({"`", escaped(stub_detail(c)->signature), "'"}));
        break;
    case KIND_PROC: add_item(out, c, "Proc", name); break;
    case KIND_CLASS: add_item(out, c, "VEXClass", escaped(name)); break;
    case KIND_SINGLE_CLASS: add_item(out, c, "VEXSingleClass", escaped(name)); break;
    case KIND_RUN_ELEMENT: add_run_element(out, c); break;
    case KIND_CALL: add_message(out, c, concat({"call `", name, "'"})); break;
    case KIND_ON_ERROR:
        out.push_back("ST 164\n");
        add_message(out, c, concat({"call `", name, "'"}));
        break;
    case KIND_CHECK_STUB:
        add_message(out, c, concat({"check stub `", name, "'"}));
        add_text(out, c, concat({"`", name, "'"}), c->first_line);
        break;
    case KIND_CHECK_METHOD:
    case KIND_INVARIANT:
    case KIND_WRAP: add_text(out, c, concat({"`", escaped(name), "'"}), c->first_line); break;
    case KIND_UML_STATE: add_text(out, c, concat({"`", name, "'"}), c->first_line); break;
    case KIND_CHECK: add_check(out, c); break;
    case KIND_CHECK_PROPERTY: add_check_property(out, c); break;
    case KIND_REQUIRE:
    case KIND_ENSURE:
    case KIND_CHECK_EXCEPTION:
        add_text(out, c, concat({"(", escaped(name), ")"}), c->first_line);
        break;
    case KIND_COMMENT_TEXT:
    case KIND_COMMENT_BLOCK: add_text(out, c, escaped(name), c->first_line); break;
    default: break;
    }
}

}  // namespace

void tsf_write(FileRecord* record, std::string_view line) {
    std::string work(line);
    // A line break inside a text would split the record: only the last one stays.
    for (std::size_t i = 0; i + 1 < work.size(); ++i)
        if (work[i] == '\r' || work[i] == '\n')
            work[i] = ' ';
    add_to_checksum(record, work);
    if (record->tsf_file)
        std::fwrite(work.data(), 1, work.size(), record->tsf_file);
}

int write_tsf_head(FileRecord* record) {
    const std::string file = escaped(text(record->file));
    emit(record, "DB \"Orbisk-Tracer\"\n");
    emit(record, concat({"SO \"", escaped(text(record->dir)), file, "\" ",
                         hex_field(static_cast<unsigned long>(record->mtime)), " \"txt\"\n"}));
    emit(record, concat({"IN \"File\" 1h \"", file, "\"\n"}));
    return 0;
}

int write_tsf_messages(FileRecord* record) {
    emit(record, "ST 164\n");
    for (const Predefined& p : PREDEFINED) {
        char key[16];
        std::snprintf(key, sizeof key, "%xh", static_cast<unsigned>(p.key));
        emit(record, concat({p.tag, " ", key, " \"", p.text, "\"\n"}));
    }
    return 0;
}

int write_tsf_component(const Component* c) {
    FileRecord* r = c ? find_file_record(c->file_no) : nullptr;
    if (!r || !r->tsf_file)
        return -1;
    if (!has_texts(c))
        return -1;
    Lines lines;
    add_records(lines, c);
    for (const std::string& line : lines)
        emit(r, line);
    return 0;
}

void write_tsf_trailer(FileRecord* record) {
    const std::uint32_t sum = record->sum_a & PRINTED_MASK;
    const std::uint32_t xor_sum = record->sum_b & PRINTED_MASK;
    char line[48];
    std::snprintf(line, sizeof line, "ID %xh %xh\n", sum, xor_sum);
    tsf_write(record, line);
    tsf_write(record, "ED\n");
    record->sum_a = sum;  // the ID and ED lines do not count
    record->sum_b = xor_sum;
}
