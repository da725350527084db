// instr/oti.cpp: the instrumentation file is a list of sections, each a marker line
// ("@INV@ ") and the lines up to the next marker. They are cut first, then taken in the
// order the generator writes them; an unexpected order is an error at that marker.
#include "instr/oti.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

struct Section {
    std::string marker;  // "INV"
    std::string body;    // the lines after the marker, up to the next one
    int line = 0;        // of the marker
};

// "@ABC@" followed by one or two blanks and nothing else.
bool marker_of(std::string_view line, std::string* marker) {
    if (line.size() < 6 || line[0] != '@' || line[4] != '@')
        return false;
    for (std::size_t i = 1; i < 4; ++i)
        if (line[i] < 'A' || line[i] > 'Z')
            return false;
    for (std::size_t i = 5; i < line.size(); ++i)
        if (line[i] != ' ')
            return false;
    *marker = std::string(line.substr(1, 3));
    return true;
}

// Text before the first marker may only be blank.
bool cut_sections(const std::string& text, std::vector<Section>& out, int* bad_line) {
    std::size_t at = 0;
    int line = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        const std::size_t next = end == std::string::npos ? text.size() : end + 1;
        std::string_view l(text.data() + at, (end == std::string::npos ? text.size() : end) - at);
        ++line;
        std::string marker;
        if (marker_of(l, &marker)) {
            out.push_back(Section{marker, {}, line});
        } else if (!out.empty()) {
            out.back().body.append(text, at, next - at);
        } else if (l.find_first_not_of(" \t\r") != std::string_view::npos) {
            *bad_line = line;
            return false;
        }
        at = next;
    }
    return true;
}

std::string trimmed(const std::string& s) {
    const std::size_t first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n") - first + 1);
}

// The statement text of a section: everything but the blank lines after it.
std::string statement_of(const std::string& body) {
    std::size_t end = body.size();
    while (end > 0 && (body[end - 1] == '\n' || body[end - 1] == ' ' || body[end - 1] == '\r'))
        --end;
    return body.substr(0, end);
}

bool parse_hex(std::string_view text, unsigned long* value) {
    if (text.size() < 3 || text[0] != '0' || text[1] != 'x')
        return false;
    char* end = nullptr;
    const std::string digits(text.substr(2));
    *value = std::strtoul(digits.c_str(), &end, 16);
    return end && *end == '\0' && !digits.empty();
}

// The id an assertion reports: the hexadecimal literal before the file argument.
bool assertion_id(const std::string& text, unsigned long* id) {
    const std::size_t comma = text.rfind(", ");
    const std::size_t start = comma == std::string::npos ? std::string::npos : text.rfind("0x", comma);
    return start != std::string::npos && parse_hex(std::string_view(text).substr(start, comma - start), id);
}

class Reader {
public:
    Reader(const std::string& name, std::vector<Section> sections)
        : name_(name), sections_(std::move(sections)) {}

    std::string read(Instrumentation* out) {
        while (ok() && at_ < sections_.size()) {
            const Section& s = sections_[at_++];
            if (s.marker == "DLI" && at_ == 1)
                out->line_directives = true;
            else if (s.marker == "STB")
                read_stub(s, out);
            else if (s.marker == "MTH")
                read_method(s, out);
            else if (s.marker == "CLS" || s.marker == "CSS")
                read_class(s, out);
            else
                fail(s, "section `@" + s.marker + "@' not expected here");
        }
        return error_;
    }

private:
    bool ok() const { return error_.empty(); }

    void fail(const Section& s, const std::string& what) {
        if (ok())
            error_ = name_ + ":" + std::to_string(s.line) + ": " + what;
    }

    // The next section when it has this marker, else nullptr (nothing consumed).
    const Section* next_if(const char* marker) {
        if (at_ < sections_.size() && sections_[at_].marker == marker)
            return &sections_[at_++];
        return nullptr;
    }

    const Section* expect(const Section& after, const char* marker) {
        if (const Section* s = next_if(marker))
            return s;
        fail(at_ < sections_.size() ? sections_[at_] : after,
             std::string("section `@") + marker + "@' expected after `@" + after.marker + "@'");
        return nullptr;
    }

    // @SLI@: "<file>:<line>".
    ScriptPlace place_after(const Section& s) {
        const Section* sli = expect(s, "SLI");
        if (!sli)
            return {};
        const std::string text = trimmed(sli->body);
        const std::size_t colon = text.rfind(':');
        const int line = colon == std::string::npos ? 0 : std::atoi(text.c_str() + colon + 1);
        if (colon == std::string::npos || line <= 0)
            fail(*sli, "`file:line' expected in `@SLI@'");
        return ScriptPlace{text.substr(0, colon == std::string::npos ? 0 : colon), line};
    }

    void read_stub(const Section& s, Instrumentation* out) {
        StubSection stub{trimmed(s.body), place_after(s), {}, {}};
        for (;;) {
            if (const Section* pre = next_if("PRE"))
                stub.pre.push_back(statement_of(pre->body));
            else if (const Section* post = next_if("POS"))
                stub.post.push_back(statement_of(post->body));
            else
                break;
        }
        out->stubs.push_back(std::move(stub));
    }

    void read_method(const Section& s, Instrumentation* out) {
        MethodSection method{trimmed(s.body), place_after(s), {}};
        if (const Section* chk = ok() ? expect(s, "CHK") : nullptr) {
            method.counter = trimmed(chk->body);
            if (method.counter.rfind("_VEX_Check_Method_0x", 0) != 0)
                fail(*chk, "a counter name expected in `@CHK@'");
        }
        out->methods.push_back(std::move(method));
    }

    bool assertion(const Section& s, std::vector<Assertion>& into) {
        Assertion a{statement_of(s.body), 0};
        if (!assertion_id(a.text, &a.id)) {
            fail(s, "an assertion expected in `@" + s.marker + "@'");
            return false;
        }
        into.push_back(std::move(a));
        return true;
    }

    void read_wrap(const Section& s, ClassSection& c) {
        WrapSection wrap{trimmed(s.body), place_after(s), {}, {}};
        for (;;) {
            if (const Section* pre = next_if("PRE"))
                assertion(*pre, wrap.pre);
            else if (const Section* post = next_if("POS"))
                assertion(*post, wrap.post);
            else
                break;
        }
        c.wraps.push_back(std::move(wrap));
    }

    void read_class_head(const Section& s, ClassSection& c) {
        c.place = place_after(s);
        const Section* csu = ok() ? expect(s, "CSU") : nullptr;
        if (csu && std::sscanf(csu->body.c_str(), "0x%x 0x%x", &c.sum_a, &c.sum_b) != 2)
            fail(*csu, "a checksum pair expected in `@CSU@'");
        const Section* cid = ok() ? expect(s, "CID") : nullptr;
        if (cid && !parse_hex(trimmed(cid->body), &c.id))
            fail(*cid, "an id expected in `@CID@'");
    }

    void read_class(const Section& s, Instrumentation* out) {
        ClassSection c;
        c.single = s.marker == "CSS";
        c.name = trimmed(s.body);
        read_class_head(s, c);
        while (ok()) {
            if (const Section* inv = next_if("INV"))
                assertion(*inv, c.invariants);
            else if (const Section* wrp = next_if("WRP"))
                read_wrap(*wrp, c);
            else if (const Section* scf = next_if("SCF"))
                read_state_chart(*scf, c);
            else
                break;
        }
        out->classes.push_back(std::move(c));
    }

    void read_state_chart(const Section& scf, ClassSection& c) {
        c.state_tables = scf.body;
        const Section* scb = expect(scf, "SCB");
        const Section* sck = scb ? expect(*scb, "SCK") : nullptr;
        if (sck) {
            c.state_body = scb->body;
            c.state_check = sck->body;
        }
    }

    std::string name_;
    std::vector<Section> sections_;
    std::size_t at_ = 0;
    std::string error_;
};

}  // namespace

std::string read_instrumentation(const std::string& name, const std::string& text,
                                 Instrumentation* out) {
    *out = Instrumentation{};
    std::vector<Section> sections;
    int bad_line = 0;
    if (!cut_sections(text, sections, &bad_line))
        return name + ":" + std::to_string(bad_line) + ": a section marker expected";
    return Reader(name, std::move(sections)).read(out);
}
