// listings/tsfgen.cpp: the trace-structure (.tsf) file of one script: what each number
// passed to the runtime stands for. Item, message and text records are keyed by the id
// plus the offsets of formats/keys.h. Every line is converted to UTF-8, loses
// its inner line breaks and enters the checksum pair shared with the .ots file.
// A component without the text its records need gets none of them.
#include "listings/tsfgen.h"

#include <cstdint>
#include <cstdio>
#include <string>

#include "formats/keys.h"
#include "formats/listing.h"
#include "listings/sink.h"
#include "utils/text.h"

namespace {

constexpr std::uint32_t PRINTED_MASK = 0x7FFFFFFFu;

// Keys of the predefined records: -1 .. -5 as 32-bit two's complement.
struct Predefined {
    std::string_view tag;
    int key;
    const char* text;
};
constexpr Predefined PREDEFINED[] = {
    {listing::TSF_MESSAGE, keys::DEFAULT_ON_ERROR, "ON ERROR (DEFAULT)"},
    {listing::TSF_TEXT, keys::UNEXPECTED_EXCEPTION, "UNEXPECTED EXCEPTION"},
    {listing::TSF_TEXT, keys::EXCEPTION_THROWN, "EXCEPTION THROWN"},
    {listing::TSF_TEXT, keys::ILLEGAL_TRANSITION, "ILLEGAL TRANSITION"},
    {listing::TSF_TEXT, keys::MULTIPLE_TRANSITION, "MULTIPLE TRANSITION"},
};
// The status line before the predefined records and before each ON ERROR's message.
constexpr const char* STATUS_VALUE = " 164\n";

// The records of one component, each line built in place and ended (cleaned, counted)
// before the next begins.
class Records {
public:
    explicit Records(FileRecord* r) : r_(r) {}

    // "LK <line>"
    void lk(int line) {
        RecordLine l(*r_->tsf_sink);
        l << listing::TSF_LINE << " ";
        l.decimal(static_cast<unsigned long>(line)) << "\n";
        end_tsf_line(r_, l);
    }

    // LK, SI and the IN record of an item; `escape` for names written as C++.
    void item(const Component* c, const char* item_class, bool escape = false) {
        lk(c->first_line);
        RecordLine si(*r_->tsf_sink);
        si << listing::TSF_PARENT << " ";
        si.hex(c->parent ? c->parent->id : 0) << "\n";
        end_tsf_line(r_, si);
        RecordLine in(*r_->tsf_sink);
        in << listing::TSF_ITEM << " \"" << item_class << "\" ";
        in.hex(c->id) << " \"";
        if (escape)
            in.escaped(c->name);
        else
            in << c->name;
        in << "\"\n";
        end_tsf_line(r_, in);
    }

    // LK and "<tag> <key> \"<label part><head><text><tail>\"", where the label part is
    // "`label' / " when there is a label, and the text is escaped when asked.
    void keyed(int line, std::string_view tag, unsigned long key, const char* label,
               const char* head, std::string_view text, bool escape, const char* tail) {
        lk(line);
        RecordLine l(*r_->tsf_sink);
        l << tag << " ";
        l.hex(key) << " \"";
        if (label)
            l << "`" << label << "' / ";
        l << head;
        if (escape)
            l.escaped(text);
        else
            l << text;
        l << tail << "\"\n";
        end_tsf_line(r_, l);
    }

    void message(const Component* c, const char* head, std::string_view text,
                 bool escape = false) {
        keyed(c->first_line, listing::TSF_MESSAGE, c->id + keys::MESSAGE_OFFSET, nullptr, head,
              text, escape, "'");
    }

    void text(const Component* c, const char* head, std::string_view text, const char* tail,
              bool escape, int line, const char* label = nullptr) {
        keyed(line, listing::TSF_TEXT, c->id + keys::TEXT_OFFSET, label, head, text, escape, tail);
    }

    void status() {
        RecordLine l(*r_->tsf_sink);
        l << listing::TSF_STATUS << STATUS_VALUE;
        end_tsf_line(r_, l);
    }

private:
    FileRecord* r_;
};

void add_check(Records& out, const Component* c) {
    const CheckDetail* d = check_detail(c);
    out.text(c, "(", d->expression, ")", true, c->first_line, d->label);
}

void add_check_property(Records& out, const Component* c) {
    const CheckPropertyDetail* d = check_property_detail(c);
    // The line shown is the PROPERTY's, where the checked condition is written.
    const int line = d->resolved ? d->resolved->first_line : c->first_line;
    out.text(c, "", c->name, "", false, line, d->label);
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

void add_records(Records& out, const Component* c) {
    const std::string_view name = c->name ? std::string_view(c->name) : std::string_view();
    switch (c->kind) {
    case KIND_TEST_CLASS:
    case KIND_TEST_SUITE:
    case KIND_TEST_CASE:
        out.item(c, c->kind == KIND_TEST_CLASS   ? "TestClass"
                    : c->kind == KIND_TEST_SUITE ? "TestSuite"
                                                 : "TestCase");
        out.message(c, "`", name);
        break;
    case KIND_STUB:
        out.item(c, "Stub");
        out.message(c, "`", stub_detail(c)->signature, true);
        break;
    case KIND_PROC: out.item(c, "Proc"); break;
    case KIND_CLASS: out.item(c, "VEXClass", true); break;
    case KIND_SINGLE_CLASS: out.item(c, "VEXSingleClass", true); break;
    case KIND_RUN_ELEMENT:
        out.message(c, "run `", reference_text(run_element_detail(c)->path));
        break;
    case KIND_CALL: out.message(c, "call `", name); break;
    case KIND_ON_ERROR:
        out.status();
        out.message(c, "call `", name);
        break;
    case KIND_CHECK_STUB:
        out.message(c, "check stub `", name);
        out.text(c, "`", name, "'", false, c->first_line);
        break;
    case KIND_CHECK_METHOD:
    case KIND_INVARIANT:
    case KIND_WRAP: out.text(c, "`", name, "'", true, c->first_line); break;
    case KIND_UML_STATE: out.text(c, "`", name, "'", false, c->first_line); break;
    case KIND_CHECK: add_check(out, c); break;
    case KIND_CHECK_PROPERTY: add_check_property(out, c); break;
    case KIND_REQUIRE:
    case KIND_ENSURE:
    case KIND_CHECK_EXCEPTION: out.text(c, "(", name, ")", true, c->first_line); break;
    case KIND_COMMENT_TEXT:
    case KIND_COMMENT_BLOCK: out.text(c, "", name, "", true, c->first_line); break;
    default: break;
    }
}

}  // namespace

void tsf_write(FileRecord* record, std::string_view line) {
    RecordLine l(*record->tsf_sink);
    l << line;
    end_tsf_line(record, l);
}

int write_tsf_head(FileRecord* record) {
    RecordLine db(*record->tsf_sink);
    db << listing::TSF_HEAD << " \"Orbisk-Tracer\"\n";
    end_tsf_line(record, db);
    RecordLine so(*record->tsf_sink);
    so << listing::TSF_SOURCE << " \"";
    so.escaped(record->dir ? record->dir : "").escaped(record->file ? record->file : "") << "\" ";
    so.hex(static_cast<unsigned long>(record->mtime)) << " \"txt\"\n";
    end_tsf_line(record, so);
    RecordLine in(*record->tsf_sink);
    in << listing::TSF_ITEM << " \"File\" 1h \"";
    in.escaped(record->file ? record->file : "") << "\"\n";
    end_tsf_line(record, in);
    return 0;
}

int write_tsf_messages(FileRecord* record) {
    Records out(record);
    out.status();
    for (const Predefined& p : PREDEFINED) {
        RecordLine l(*record->tsf_sink);
        l << p.tag << " ";
        l.hex(static_cast<unsigned>(p.key)) << " \"" << p.text << "\"\n";
        end_tsf_line(record, l);
    }
    return 0;
}

int write_tsf_component(FileRecord* r, const Component* c) {
    if (!c || !r || !r->tsf_sink)
        return -1;
    if (!has_texts(c))
        return -1;
    Records out(r);
    add_records(out, c);
    return 0;
}

void write_tsf_trailer(FileRecord* record) {
    const std::uint32_t sum = record->sum_a & PRINTED_MASK;
    const std::uint32_t xor_sum = record->sum_b & PRINTED_MASK;
    char line[48];
    std::snprintf(line, sizeof line, " %xh %xh\n", sum, xor_sum);
    tsf_write(record, std::string(listing::TSF_CHECKSUM) + line);
    tsf_write(record, std::string(listing::TSF_END) + "\n");
    record->sum_a = sum;  // the ID and ED lines do not count
    record->sum_b = xor_sum;
}
