// fi/component.cpp: the internal form: creation, linking, details, the two list pools,
// parameter splitting, release and a textual dump for tests.
// Builders and list operations return nullptr when memory runs out (callers report);
// release reports unknown kinds (message 48) and never stops.
//
// Reference segments and parameter items live in two arenas released in bulk, so
// copies of components may share lists freely. Components and their detail records
// are carved from one more arena (a script makes hundreds of thousands of them), which
// is released with the root. Release walks the tree without
// recursion: a hostile script may nest components very deeply.
#include "fi/component.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <new>
#include <utility>
#include <vector>

#include "errors/report.h"
#include "fi/names.h"
#include "utils/paths.h"

namespace {

// A bulk-released arena of records: blocks of fixed size, never moved.
template <typename T>
struct Arena {
    static constexpr std::size_t BLOCK = 256;
    std::vector<T*> blocks;
    std::size_t used = BLOCK;  // records taken from the last block
};

template <typename T>
T* arena_new(Arena<T>& arena) {
    if (arena.used == Arena<T>::BLOCK) {
        T* block = new (std::nothrow) T[Arena<T>::BLOCK];
        if (!block)
            return nullptr;
        try {
            arena.blocks.push_back(block);
        } catch (...) {
            delete[] block;
            return nullptr;
        }
        arena.used = 0;
    }
    return &arena.blocks.back()[arena.used++];
}

template <typename T>
void arena_free(Arena<T>& arena) {
    for (T* block : arena.blocks)
        delete[] block;
    arena.blocks.clear();
    arena.blocks.shrink_to_fit();
    arena.used = Arena<T>::BLOCK;
}

// Components and detail records: bump-allocated from large blocks, never moved.
struct RecordArena {
    static constexpr std::size_t BLOCK_BYTES = std::size_t{2} << 20;
    std::vector<char*> blocks;
    std::size_t used = BLOCK_BYTES;  // bytes taken from the last block
};

RecordArena records;

// One arena block, aligned and marked for huge pages where the system offers them:
// a large script fills hundreds of megabytes, and one page fault per 4 KiB showed as
// a quarter of the reading time.
char* allocate_record_block() {
    constexpr std::size_t BYTES = RecordArena::BLOCK_BYTES;
#ifdef MADV_HUGEPAGE
    void* block = std::aligned_alloc(BYTES, BYTES);
    if (block)
        madvise(block, BYTES, MADV_HUGEPAGE);
    return static_cast<char*>(block);
#else
    return static_cast<char*>(std::malloc(BYTES));
#endif
}

// `align` is the record type's own: rounding every record up to 16 bytes cost a tenth
// of the tree's memory.
void* record_bytes(RecordArena& arena, std::size_t size, std::size_t align) noexcept {
    arena.used = (arena.used + align - 1) & ~(align - 1);
    if (size > RecordArena::BLOCK_BYTES)
        return nullptr;
    if (arena.used > RecordArena::BLOCK_BYTES || RecordArena::BLOCK_BYTES - arena.used < size) {
        char* block = allocate_record_block();
        if (!block)
            return nullptr;
        try {
            arena.blocks.push_back(block);
        } catch (...) {
            std::free(block);
            return nullptr;
        }
        arena.used = 0;
    }
    void* bytes = arena.blocks.back() + arena.used;
    arena.used += size;
    return bytes;
}

// A record built in the arena; nullptr when memory runs out.
template <typename T, typename... Args>
T* make_record(Args&&... args) {
    void* bytes = record_bytes(records, sizeof(T), alignof(T));
    return bytes ? new (bytes) T{std::forward<Args>(args)...} : nullptr;
}

void free_records() {
    for (char* block : records.blocks)
        std::free(block);
    records.blocks.clear();
    records.blocks.shrink_to_fit();
    records.used = RecordArena::BLOCK_BYTES;
}

// Destroys a record carved from the arena; its bytes go back with the arena.
template <typename T>
void destroy(void* record) {
    if (record)
        static_cast<T*>(record)->~T();
}

Arena<RefSegment> segment_pool;
Arena<ParamItem> param_pool;

// The last reference appended to, so that building a long dotted path stays linear.
RefSegment* last_reference = nullptr;
RefSegment* last_reference_tail = nullptr;

// The display name of the last (dir, file) pair: the readers create thousands of
// components from one script, and display_name asks the system for the current
// directory each time. Interned pointers identify the pair; the cache is emptied with
// the pools at the start of every run, after the name table has been emptied.
struct DisplayCache {
    const char* dir = nullptr;
    const char* file = nullptr;
    const char* display = nullptr;  // nullptr: nothing cached
};
DisplayCache display_cache;

const char* cached_display_name(const char* dir, const char* file) {
    DisplayCache& c = display_cache;
    if (c.display && c.dir == dir && c.file == file)
        return c.display;
    const char* display = display_name(dir ? dir : "", file ? file : "");
    if (display)
        c = DisplayCache{dir, file, display};
    return display;
}

template <typename D>
D* detail_if(const Component* c, int kind) {
    return c && c->kind == kind ? static_cast<D*>(c->detail) : nullptr;
}

bool is_condition_kind(int kind) {
    return kind == KIND_ENSURE || kind == KIND_REQUIRE || kind == KIND_INVARIANT;
}

bool is_param_list_kind(int kind) {
    return kind == KIND_PRINT || kind == KIND_PROC || kind == KIND_PROPERTY;
}

// Attaches a detail record made by `make` to a new component; nullptr (and the
// component unlinked and released) when either allocation fails.
void unlink_last_child(Component* parent) {
    Component* c = parent->last_child;
    parent->last_child = c->prev_sibling;
    if (c->prev_sibling)
        c->prev_sibling->next_sibling = nullptr;
    else
        parent->first_child = nullptr;
    // The record's bytes stay in the arena until the tree is released.
}

template <typename D>
Component* with_detail(Component* c, D* detail) {
    if (!c) {
        destroy<D>(detail);
        return nullptr;
    }
    if (!detail) {
        unlink_last_child(c->parent);
        return nullptr;
    }
    c->detail = detail;
    return c;
}

}  // namespace

ParamItem* formals_of(const Component* c) {
    if (const TestClassDetail* d = test_class_detail(c))
        return d->formals;
    if (c && (c->kind == KIND_PROC || c->kind == KIND_PROPERTY))
        if (const ParamListDetail* d = param_list_detail(c))
            return d->params;
    return nullptr;
}

TestClassDetail* test_class_detail(const Component* c) {
    return detail_if<TestClassDetail>(c, KIND_TEST_CLASS);
}
CallDetail* call_detail(const Component* c) { return detail_if<CallDetail>(c, KIND_CALL); }
CheckPropertyDetail* check_property_detail(const Component* c) {
    return detail_if<CheckPropertyDetail>(c, KIND_CHECK_PROPERTY);
}
CheckDetail* check_detail(const Component* c) { return detail_if<CheckDetail>(c, KIND_CHECK); }
ConditionDetail* condition_detail(const Component* c) {
    return c && is_condition_kind(c->kind) ? static_cast<ConditionDetail*>(c->detail) : nullptr;
}
ParamListDetail* param_list_detail(const Component* c) {
    return c && is_param_list_kind(c->kind) ? static_cast<ParamListDetail*>(c->detail) : nullptr;
}
CheckStubDetail* check_stub_detail(const Component* c) {
    return detail_if<CheckStubDetail>(c, KIND_CHECK_STUB);
}
OnErrorDetail* on_error_detail(const Component* c) {
    return detail_if<OnErrorDetail>(c, KIND_ON_ERROR);
}
RunElementDetail* run_element_detail(const Component* c) {
    return detail_if<RunElementDetail>(c, KIND_RUN_ELEMENT);
}
StubDetail* stub_detail(const Component* c) { return detail_if<StubDetail>(c, KIND_STUB); }
UmlStateDetail* uml_state_detail(const Component* c) {
    return detail_if<UmlStateDetail>(c, KIND_UML_STATE);
}
TransitionDetail* transition_detail(const Component* c) {
    return detail_if<TransitionDetail>(c, KIND_TRANSITION);
}

Component* create_root() {
    Component* root = make_record<Component>();
    if (!root)
        return nullptr;
    root->kind = KIND_ROOT;
    root->id = 1;
    root->line = 1;
    return root;
}

Component* create_component(Component* parent, int kind, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth) {
    if (!parent)
        return nullptr;
    const char* display = cached_display_name(dir, file);
    Component* c = display ? make_record<Component>() : nullptr;
    if (!c)
        return nullptr;
    c->kind = kind;
    c->name = name;
    c->id = c->sid = static_cast<std::uint32_t>(next_component_id++);
    c->dir = dir;
    c->file = file;
    c->display_file = display;
    c->file_no = current_file_number;
    c->first_line = span.first_line;
    c->last_line = span.last_line;
    c->first_column = span.first_column;
    c->last_column = span.last_column;
    c->line = line;
    c->depth = depth;
    c->parent = parent;
    c->prev_sibling = parent->last_child;
    if (parent->last_child)
        parent->last_child->next_sibling = c;
    else
        parent->first_child = c;
    parent->last_child = c;
    return c;
}

Component* build_test_class(Component* parent, const char* name, const char* dir, const char* file,
                            Span span, int line, int depth, ParamItem* formals, RefSegment* base) {
    Component* c = create_component(parent, KIND_TEST_CLASS, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<TestClassDetail>(formals, base, nullptr) : nullptr);
}

Component* build_param_list(Component* parent, int kind, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth, ParamItem* params) {
    if (!is_param_list_kind(kind))
        return nullptr;
    Component* c = create_component(parent, kind, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<ParamListDetail>(params) : nullptr);
}

Component* build_call(Component* parent, const char* name, const char* dir, const char* file,
                      Span span, int line, int depth, RefSegment* callee, ParamItem* actuals) {
    Component* c = create_component(parent, KIND_CALL, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<CallDetail>(callee, actuals, nullptr) : nullptr);
}

Component* build_check_property(Component* parent, const char* label, const char* name,
                                const char* dir, const char* file, Span span, int line, int depth,
                                RefSegment* property, ParamItem* actuals, Span text_span) {
    Component* c =
        create_component(parent, KIND_CHECK_PROPERTY, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<CheckPropertyDetail>(property, actuals, label,
                                                                     nullptr, text_span, 0u)
                            : nullptr);
}

Component* build_check(Component* parent, const char* label, const char* expression,
                       const char* dir, const char* file, Span span, int line, int depth,
                       Span text_span) {
    Component* c = create_component(parent, KIND_CHECK, nullptr, dir, file, span, line, depth);
    return with_detail(
        c, c ? make_record<CheckDetail>(label, expression, text_span, 0u) : nullptr);
}

Component* build_condition(Component* parent, int kind, const char* name, const char* dir,
                           const char* file, Span span, int line, int depth, Span condition_span) {
    if (!is_condition_kind(kind))
        return nullptr;
    Component* c = create_component(parent, kind, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<ConditionDetail>(condition_span, 0u) : nullptr);
}

Component* build_run_element(Component* parent, const char* name, const char* dir,
                             const char* file, Span span, int line, int depth, RefSegment* path) {
    Component* c = create_component(parent, KIND_RUN_ELEMENT, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<RunElementDetail>(path, nullptr) : nullptr);
}

Component* build_stub(Component* parent, const char* name, const char* dir, const char* file,
                      Span span, int line, int depth, const char* signature) {
    Component* c = create_component(parent, KIND_STUB, name, dir, file, span, line, depth);
    StubDetail* detail = c ? make_record<StubDetail>() : nullptr;
    if (detail)
        detail->signature = signature;
    return with_detail(c, detail);
}

Component* build_check_stub(Component* parent, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth) {
    Component* c = create_component(parent, KIND_CHECK_STUB, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<CheckStubDetail>() : nullptr);
}

Component* build_on_error(Component* parent, const char* name, const char* dir, const char* file,
                          Span span, int line, int depth) {
    Component* c = create_component(parent, KIND_ON_ERROR, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<OnErrorDetail>() : nullptr);
}

Component* build_transition(Component* parent, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth, const char* source,
                            const char* destination) {
    Component* c = create_component(parent, KIND_TRANSITION, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<TransitionDetail>(source, destination, nullptr, nullptr)
                            : nullptr);
}

Component* build_uml_state(Component* parent, const char* name, const char* dir,
                           const char* file, Span span, int line, int depth) {
    Component* c = create_component(parent, KIND_UML_STATE, name, dir, file, span, line, depth);
    return with_detail(c, c ? make_record<UmlStateDetail>() : nullptr);
}

Component* root_of(Component* c) {
    while (c && c->parent)
        c = c->parent;
    return c;
}

// ---- Parameter lists -------------------------------------------------------------

namespace {

// Byte ranges of the items of one list, found before anything is allocated so that a
// failed split leaves nothing behind.
using ItemRanges = std::vector<std::string_view>;

bool is_word_byte(unsigned char ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') ||
           ch == '_' || ch == '+';
}

bool is_blank_byte(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }

// Formal items are single identifiers; blanks around them are dropped.
bool formal_ranges(std::string_view text, ItemRanges& items) {
    std::size_t word_start = 0, word_end = 0;
    bool in_word = false, has_word = false;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        char ch = i < text.size() ? text[i] : ',';
        if (is_word_byte(static_cast<unsigned char>(ch))) {
            if (has_word && !in_word)
                return false;  // a second word in one item
            if (!in_word)
                word_start = i;
            in_word = has_word = true;
            word_end = i + 1;
        } else if (is_blank_byte(ch)) {
            in_word = false;
        } else if (ch == ',') {
            std::size_t from = has_word ? word_start : i;
            items.push_back(text.substr(from, has_word ? word_end - word_start : 0));
            in_word = has_word = false;
        } else {
            return false;
        }
    }
    return true;
}

struct ActualScan {
    int parens = 0, angles = 0;
    bool in_double = false, in_single = false, escaped = false;
};

// True when `ch` cuts an item; updates nesting and quoting. A ')' or '>' with nothing
// open is kept as plain text (a comparison such as "x > 0" must split).
bool actual_step(ActualScan& s, char ch) {
    if (s.escaped) {
        s.escaped = false;
        return false;
    }
    if (ch == '\\')
        s.escaped = true;
    else if (ch == '"' && !s.in_single)
        s.in_double = !s.in_double;
    else if (ch == '\'' && !s.in_double)
        s.in_single = !s.in_single;
    else if (s.in_double || s.in_single)
        return false;
    else if (ch == '(')
        ++s.parens;
    else if (ch == ')' && s.parens > 0)
        --s.parens;
    else if (ch == '<')
        ++s.angles;
    else if (ch == '>' && s.angles > 0)
        --s.angles;
    else if (ch == ',' && s.parens == 0 && s.angles == 0)
        return true;
    return false;
}

bool actual_ranges(std::string_view text, ItemRanges& items) {
    ActualScan s;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (actual_step(s, text[i])) {
            items.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    items.push_back(text.substr(start));
    return s.parens == 0 && s.angles == 0 && !s.in_double && !s.in_single && !s.escaped;
}

ParamItem* make_items(const ItemRanges& items, int item_kind) {
    ParamItem* first = nullptr;
    ParamItem* last = nullptr;
    for (std::string_view range : items) {
        const char* text = intern(range);
        ParamItem* item = text ? arena_new(param_pool) : nullptr;
        if (!item)
            return nullptr;  // the items made so far stay unreachable in the pool
        *item = ParamItem{text, item_kind, nullptr, nullptr, nullptr};
        (last ? last->next : first) = item;
        last = item;
    }
    return first;
}

ParamItem* split_with(std::string_view text, bool (*scan)(std::string_view, ItemRanges&),
                      int item_kind) {
    if (!text.data())
        text = std::string_view("", 0);  // items are views into the text: never null
    try {
        ItemRanges items;
        if (!scan(text, items))
            return nullptr;
        return make_items(items, item_kind);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace

ParamItem* split_formal_params(std::string_view text) {
    return split_with(text, formal_ranges, PARAM_FORMAL);
}

ParamItem* split_actual_params(std::string_view text) {
    return split_with(text, actual_ranges, PARAM_ACTUAL);
}

RefSegment* append_segment(RefSegment* first, const char* name, ParamItem* actuals) {
    RefSegment* segment = arena_new(segment_pool);
    if (!segment)
        return nullptr;
    *segment = RefSegment{name, actuals, nullptr, nullptr};
    if (!first) {
        last_reference = last_reference_tail = segment;
        return segment;
    }
    RefSegment* tail = first;
    if (first == last_reference && last_reference_tail && !last_reference_tail->next)
        tail = last_reference_tail;
    while (tail->next)
        tail = tail->next;
    tail->next = segment;
    last_reference = first;
    last_reference_tail = segment;
    return first;
}

ParamItem* copy_params(const ParamItem* first, bool* failed) {
    ParamItem* copy = nullptr;
    ParamItem* last = nullptr;
    for (const ParamItem* p = first; p; p = p->next) {
        ParamItem* item = arena_new(param_pool);
        if (!item) {
            *failed = true;
            return copy;
        }
        *item = ParamItem{p->text, p->item_kind, p->bound, p->shown, nullptr};
        (last ? last->next : copy) = item;
        last = item;
    }
    return copy;
}

RefSegment* copy_reference(const RefSegment* first, bool* failed) {
    RefSegment* copy = nullptr;
    RefSegment* last = nullptr;
    for (const RefSegment* s = first; s; s = s->next) {
        RefSegment* segment = arena_new(segment_pool);
        if (!segment) {
            *failed = true;
            return copy;
        }
        *segment = RefSegment{s->name, copy_params(s->actuals, failed), nullptr, nullptr};
        (last ? last->next : copy) = segment;
        last = segment;
    }
    return copy;
}

std::string reference_text(const RefSegment* first) {
    std::string text;
    for (const RefSegment* s = first; s; s = s->next) {
        if (s != first)
            text += '.';
        if (s->name)
            text += s->name;
    }
    return text;
}

// ---- Release ---------------------------------------------------------------------

namespace {

// Releases the detail record by the component's kind; false for an unknown kind.
bool release_detail(Component* c) {
    switch (c->kind) {
    case KIND_TEST_CLASS: destroy<TestClassDetail>(c->detail); return true;
    case KIND_CHECK_PROPERTY: destroy<CheckPropertyDetail>(c->detail); return true;
    case KIND_CHECK_STUB: destroy<CheckStubDetail>(c->detail); return true;
    case KIND_ON_ERROR: destroy<OnErrorDetail>(c->detail); return true;
    case KIND_PRINT:
    case KIND_PROC:
    case KIND_PROPERTY: destroy<ParamListDetail>(c->detail); return true;
    case KIND_CALL: destroy<CallDetail>(c->detail); return true;
    case KIND_ENSURE:
    case KIND_INVARIANT:
    case KIND_REQUIRE: destroy<ConditionDetail>(c->detail); return true;
    case KIND_RUN_ELEMENT: destroy<RunElementDetail>(c->detail); return true;
    case KIND_UML_STATE: destroy<UmlStateDetail>(c->detail); return true;
    case KIND_TRANSITION: destroy<TransitionDetail>(c->detail); return true;
    case KIND_CHECK: destroy<CheckDetail>(c->detail); return true;
    case KIND_STUB: destroy<StubDetail>(c->detail); return true;
    // Reserved kinds that no reader makes, and kinds without a detail record.
    case 1200: case 1301: case 1405: case 1412: case 1414: case 1415: case 1416: case 1417:
    case 1432: case 1434: case 1435:
    case KIND_ROOT: case KIND_TEST_SUITE: case KIND_TEST_CASE: case KIND_SINGLE_CLASS:
    case KIND_CHECK_EXCEPTION: case KIND_CHECK_METHOD: case KIND_WRAP: case KIND_RUN:
    case KIND_INCLUDE: case KIND_PROLOGUE: case KIND_EPILOGUE: case KIND_THREE_POINTS:
    case KIND_EXPRESSION: case KIND_COMMENT_TEXT: case KIND_COMMENT_BLOCK: case KIND_CPP_COMMENT:
    case KIND_C_COMMENT: case KIND_CLASS:
        return true;
    default:
        return is_native(c->kind);  // natives have no detail record either
    }
}

void release_component(Component* c) {
    if (!release_detail(c))
        report_error(MSG_UNKNOWN_TOKEN, Location{c->display_file, c->line},
                     arg_text(c->name ? c->name : ""));
}

}  // namespace

// Post-order without a stack: descend through first_child (detaching it), and climb
// back through parent once a chain of siblings is used up.
void free_components(Component* first) {
    Component* const outer = first ? first->parent : nullptr;
    const bool whole_tree = first && !outer && first->kind == KIND_ROOT;
    Component* c = first;
    while (c) {
        if (Component* child = c->first_child) {
            c->first_child = nullptr;
            c = child;
            continue;
        }
        Component* next = c->next_sibling;
        Component* up = c->parent;
        release_component(c);
        c = next ? next : (up != outer ? up : nullptr);
    }
    if (whole_tree)
        free_records();
}

void free_segment_pool() {
    arena_free(segment_pool);
    last_reference = last_reference_tail = nullptr;
}

void free_param_pool() { arena_free(param_pool); }

void clear_pools() {
    display_cache = DisplayCache{};
    free_segment_pool();
    free_param_pool();
}

// ---- Test dump -------------------------------------------------------------------

namespace {

void dump_list(std::string& out, const char* label, const ParamItem* items) {
    if (!items)
        return;
    out += label;
    out += '(';
    for (const ParamItem* p = items; p; p = p->next) {
        if (p != items)
            out += ',';
        out += p->text ? p->text : "";
    }
    out += ')';
}

void dump_path(std::string& out, const char* label, const RefSegment* first) {
    if (!first)
        return;
    out += label;
    for (const RefSegment* s = first; s; s = s->next) {
        if (s != first)
            out += '.';
        out += s->name ? s->name : "";
        dump_list(out, "", s->actuals);
    }
}

void dump_text(std::string& out, const char* label, const char* text, bool quoted) {
    if (!text)
        return;
    out += label;
    out += quoted ? "\"" : "";
    out += text;
    out += quoted ? "\"" : "";
}

void dump_target(std::string& out, const char* label, const Component* target) {
    if (target)
        out += label + std::string("#") + std::to_string(target->id);
}

const char* action_name(int action) {
    switch (action) {
    case KIND_CONTINUE: return "CONTINUE";
    case KIND_EXIT: return "EXIT";
    case KIND_BYPASS: return "BYPASS";
    default: return "?";
    }
}

// "->#<source>,#<destination>" once either end is resolved; an unresolved end is "-".
// "#<id>", or "-" for an unresolved slot.
void append_target_id(std::string& out, const Component* target) {
    if (!target) {
        out += '-';
        return;
    }
    out += '#';
    out += std::to_string(target->id);
}

void dump_transition(std::string& out, const TransitionDetail* d) {
    dump_text(out, " from=", d->source, false);
    dump_text(out, " to=", d->destination, false);
    if (!d->resolved_source && !d->resolved_destination)
        return;
    out += " ->";
    append_target_id(out, d->resolved_source);
    out += ',';
    append_target_id(out, d->resolved_destination);
}

void dump_details(std::string& out, const Component* c) {
    if (const TestClassDetail* d = test_class_detail(c)) {
        dump_list(out, " formals=", d->formals);
        dump_path(out, " base=", d->base);
        dump_target(out, " base->", d->resolved_base);
    } else if (const ParamListDetail* d = param_list_detail(c)) {
        dump_list(out, c->kind == KIND_PRINT ? " actuals=" : " formals=", d->params);
    } else if (const CallDetail* d = call_detail(c)) {
        dump_list(out, " actuals=", d->actuals);
        dump_target(out, " ->", d->resolved);
    } else if (const CheckPropertyDetail* d = check_property_detail(c)) {
        dump_text(out, " label=", d->label, true);
        dump_list(out, " actuals=", d->actuals);
        dump_target(out, " ->", d->resolved);
    } else if (const CheckDetail* d = check_detail(c)) {
        dump_text(out, " label=", d->label, true);
        dump_text(out, " expr=", d->expression, true);
    } else if (const CheckStubDetail* d = check_stub_detail(c)) {
        dump_target(out, " ->", d->resolved);
    } else if (const OnErrorDetail* d = on_error_detail(c)) {
        dump_text(out, " action=", action_name(d->action), false);
        dump_text(out, " target=", d->bypass_name, false);
        dump_target(out, " ->", d->resolved);
    } else if (const RunElementDetail* d = run_element_detail(c)) {
        dump_path(out, " path=", d->path);
        dump_target(out, " ->", d->resolved);
    } else if (const StubDetail* d = stub_detail(c)) {
        dump_text(out, " signature=", d->signature, true);
    } else if (const TransitionDetail* d = transition_detail(c)) {
        dump_transition(out, d);
    }
}

void dump_line(std::string& out, const Component* c, int level) {
    out.append(static_cast<std::size_t>(level) * 2, ' ');
    const char* kind = kind_name(c->kind);
    if (kind) {
        out += kind;
    } else {
        out += "KIND ";
        out += std::to_string(c->kind);
    }
    out += " '";
    out += c->name ? c->name : "-";
    out += "' #";
    out += std::to_string(c->id);
    out += " L";
    out += std::to_string(c->first_line);
    out += '-';
    out += std::to_string(c->last_line);
    out += " d";
    out += std::to_string(c->depth);
    dump_details(out, c);
    out += '\n';
}

}  // namespace

// Pre-order without recursion: next is the first child, else the next sibling of the
// nearest ancestor (below `root`) that has one.
std::string dump_tree(const Component* root) {
    std::string out;
    if (!root)
        return out;
    const Component* c = root->first_child;
    int level = 0;
    while (c) {
        dump_line(out, c, level);
        if (c->first_child) {
            c = c->first_child;
            ++level;
            continue;
        }
        while (c && c != root && !c->next_sibling) {
            c = c->parent;
            --level;
        }
        c = (c && c != root) ? c->next_sibling : nullptr;
    }
    return out;
}
