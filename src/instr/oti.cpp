// instr/oti.cpp: the instrumentation file is a list of sections, each a marker line
// ("@INV@ ") and the lines up to the next marker. They are cut first, then taken in the
// order the generator writes them; an unexpected order is an error at that marker.
#include "instr/oti.h"

#include <climits>
#include <cstdlib>
#include <string_view>

#include "formats/hex.h"
#include "formats/instrumentation.h"

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
bool cut_sections(const std::string& name, const std::string& text, std::vector<Section>& out,
                  std::vector<std::string>& errors) {
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
            errors.push_back(name + ":" + std::to_string(line) + ": a section marker expected");
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

// "<digits>", 1 to INT_MAX.
bool line_number(std::string_view text, int* line) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != text.npos)
        return false;
    const long value = std::strtol(std::string(text).c_str(), nullptr, 10);
    *line = static_cast<int>(value);
    return value > 0 && value <= INT_MAX;
}

// "0x<sum_a> 0x<sum_b>", each of 32 bits.
bool checksum_pair(std::string_view text, unsigned* a, unsigned* b) {
    const std::size_t blank = text.find(' ');
    unsigned long x = 0, y = 0;
    if (blank == std::string_view::npos || !hex::parse_0x(text.substr(0, blank), &x) ||
        !hex::parse_0x(text.substr(blank + 1), &y) || x > 0xffffffffUL || y > 0xffffffffUL)
        return false;
    *a = static_cast<unsigned>(x);
    *b = static_cast<unsigned>(y);
    return true;
}

// "_VEX_Check_Method_0x<id>": woven as it is, so nothing else may stand there.
bool counter_name(std::string_view text) {
    unsigned long id = 0;
    const std::string_view prefix = oti::METHOD_COUNTER_PREFIX;
    return text.substr(0, prefix.size()) == prefix && hex::parse(text.substr(prefix.size()), &id);
}

class Reader;

// The sections that may start a description: what reads each.
struct TopSection {
    const oti::Marker* marker;
    bool (Reader::*read)(const Section&, Instrumentation*);
};

class Reader {
public:
    Reader(const std::string& name, std::vector<Section> sections, std::vector<std::string>& errors)
        : name_(name), sections_(std::move(sections)), errors_(errors) {}

    bool read(Instrumentation* out) {
        while (at_ < sections_.size()) {
            const Section& s = sections_[at_++];
            const TopSection* top = top_section(s.marker);
            if (!top)
                return fail(s, "section `@" + s.marker + "@' not expected here");
            if (!(this->*top->read)(s, out))
                return false;
        }
        return true;
    }

private:
    static const TopSection TOP[];

    static const TopSection* top_section(std::string_view marker);

    bool fail(const Section& s, const std::string& what) {
        errors_.push_back(name_ + ":" + std::to_string(s.line) + ": " + what);
        return false;
    }

    // The next section when it has this marker, else nullptr (nothing consumed).
    const Section* next_if(const oti::Marker& marker) {
        if (at_ < sections_.size() && sections_[at_].marker == marker.name)
            return &sections_[at_++];
        return nullptr;
    }

    // The next section, which must have this marker; nullptr after the error.
    const Section* expect(const Section& after, const oti::Marker& marker) {
        if (const Section* s = next_if(marker))
            return s;
        const std::string what = "section `@" + std::string(marker.name) + "@' expected after `@" +
                                 after.marker + "@'";
        fail(at_ < sections_.size() ? sections_[at_] : after, what);
        return nullptr;
    }

    // @SLI@: "<file>:<line>".
    bool place_after(const Section& s, ScriptPlace* place) {
        const Section* sli = expect(s, oti::SOURCE_LINE);
        if (!sli)
            return false;
        const std::string text = trimmed(sli->body);
        const std::size_t colon = text.rfind(':');
        if (colon == std::string::npos ||
            !line_number(std::string_view(text).substr(colon + 1), &place->line))
            return fail(*sli, "`file:line' expected in `@SLI@'");
        place->file = text.substr(0, colon);
        return true;
    }

    // @DLI@ stands first or not at all.
    bool read_line_directives(const Section& s, Instrumentation* out) {
        if (at_ != 1)
            return fail(s, "section `@" + s.marker + "@' not expected here");
        out->line_directives = true;
        return true;
    }

    bool read_stub(const Section& s, Instrumentation* out) {
        StubSection stub{trimmed(s.body), {}, {}, {}};
        if (!place_after(s, &stub.place))
            return false;
        for (;;) {
            if (const Section* pre = next_if(oti::PRECONDITION))
                stub.pre.push_back(statement_of(pre->body));
            else if (const Section* post = next_if(oti::POSTCONDITION))
                stub.post.push_back(statement_of(post->body));
            else
                break;
        }
        out->stubs.push_back(std::move(stub));
        return true;
    }

    bool read_method(const Section& s, Instrumentation* out) {
        MethodSection method{trimmed(s.body), {}, {}};
        if (!place_after(s, &method.place))
            return false;
        const Section* chk = expect(s, oti::COUNTER);
        if (!chk)
            return false;
        method.counter = trimmed(chk->body);
        if (!counter_name(method.counter))
            return fail(*chk, "a counter name expected in `@CHK@'");
        out->methods.push_back(std::move(method));
        return true;
    }

    bool assertion(const Section& s, std::vector<Assertion>& into) {
        Assertion a{statement_of(s.body), 0};
        if (!oti::assertion_id(a.text, &a.id))
            return fail(s, "an assertion expected in `@" + s.marker + "@'");
        into.push_back(std::move(a));
        return true;
    }

    bool read_wrap(const Section& s, ClassSection& c) {
        WrapSection wrap{trimmed(s.body), {}, {}, {}};
        if (!place_after(s, &wrap.place))
            return false;
        for (;;) {
            bool read = true;
            if (const Section* pre = next_if(oti::PRECONDITION))
                read = assertion(*pre, wrap.pre);
            else if (const Section* post = next_if(oti::POSTCONDITION))
                read = assertion(*post, wrap.post);
            else
                break;
            if (!read)
                return false;
        }
        c.wraps.push_back(std::move(wrap));
        return true;
    }

    // @SLI@, @CSU@ and @CID@ after the class's name.
    bool read_class_head(const Section& s, ClassSection& c) {
        if (!place_after(s, &c.place))
            return false;
        const Section* csu = expect(s, oti::CHECKSUM);
        if (!csu)
            return false;
        if (!checksum_pair(trimmed(csu->body), &c.sum_a, &c.sum_b))
            return fail(*csu, "a checksum pair expected in `@CSU@'");
        const Section* cid = expect(s, oti::CLASS_ID);
        if (!cid)
            return false;
        if (!hex::parse_0x(trimmed(cid->body), &c.id))
            return fail(*cid, "an id expected in `@CID@'");
        return true;
    }

    bool read_class(const Section& s, Instrumentation* out) {
        ClassSection c;
        c.single = s.marker == oti::SINGLE_CLASS.name;
        c.name = trimmed(s.body);
        if (!read_class_head(s, c))
            return false;
        for (;;) {
            bool read = true;
            if (const Section* inv = next_if(oti::INVARIANT))
                read = assertion(*inv, c.invariants);
            else if (const Section* wrp = next_if(oti::WRAP))
                read = read_wrap(*wrp, c);
            else if (const Section* scf = next_if(oti::STATE_TABLES))
                read = read_state_chart(*scf, c);
            else
                break;
            if (!read)
                return false;
        }
        out->classes.push_back(std::move(c));
        return true;
    }

    // @SCF@, then @SCB@ and @SCK@: the chart is whole or refused.
    bool read_state_chart(const Section& scf, ClassSection& c) {
        const Section* scb = expect(scf, oti::STATE_BODY);
        const Section* sck = scb ? expect(*scb, oti::STATE_CHECK) : nullptr;
        if (!sck)
            return false;
        c.state_tables = scf.body;
        c.state_body = scb->body;
        c.state_check = sck->body;
        return true;
    }

    std::string name_;
    std::vector<Section> sections_;
    std::size_t at_ = 0;  // the next section to read
    std::vector<std::string>& errors_;
};

const TopSection Reader::TOP[] = {
    {&oti::LINE_DIRECTIVES, &Reader::read_line_directives},
    {&oti::STUB, &Reader::read_stub},
    {&oti::METHOD, &Reader::read_method},
    {&oti::CLASS, &Reader::read_class},
    {&oti::SINGLE_CLASS, &Reader::read_class},
};

const TopSection* Reader::top_section(std::string_view marker) {
    for (const TopSection& t : TOP)
        if (t.marker->name == marker)
            return &t;
    return nullptr;
}

}  // namespace

bool read_instrumentation(const std::string& name, const std::string& text, Instrumentation* out,
                          std::vector<std::string>& errors) {
    *out = Instrumentation{};
    std::vector<Section> sections;
    return cut_sections(name, text, sections, errors) &&
           Reader(name, std::move(sections), errors).read(out);
}
