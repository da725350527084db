// analysis/checker.cpp: duplicate detection, resolution of every reference, parameter
// counts and inheritance cycles over the whole tree. Every problem is reported where it
// is found and the walk goes on, so one run shows all of them.
//
// Lookups by name inside one block go through a per-block index (first child of each
// name and kind, position of every child) while a lookup session is open, so a block
// with many children costs the same per lookup as a small one. The indexes only ever
// grow at the end of a block, because children are only appended.
#include "analysis/checker.h"

#include <cstdint>
#include <functional>
#include <new>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include <QtGlobal>

#include "errors/report.h"

namespace {

struct NameKind {
    const char* name = nullptr;  // interned, so identity is equality (nullptr included)
    int kind = 0;
    bool operator==(const NameKind&) const = default;
};

std::size_t mixed(std::uint64_t x) {
    x ^= x >> 33;  // pointers have zero low bits: spread every bit over the slot index
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return static_cast<std::size_t>(x);
}

struct NameKindHash {
    std::size_t operator()(const NameKind& k) const noexcept {
        return mixed(reinterpret_cast<std::uintptr_t>(k.name) ^
                     (static_cast<std::uint64_t>(static_cast<std::uint32_t>(k.kind)) << 48));
    }
};

// Open addressing with the entries inline: a lookup in a block of a million children
// touches one or two cache lines instead of a chain of nodes.
template <class Key, class Value, class Hash>
struct FlatMap {
    struct Slot {
        Key key{};
        Value value{};
        bool used = false;
    };
    std::vector<Slot> cells;  // a power of two, at most half full
    std::size_t size = 0;

    const Value* find(const Key& key) const {
        if (cells.empty())
            return nullptr;
        const std::size_t mask = cells.size() - 1;
        for (std::size_t i = Hash()(key) & mask;; i = (i + 1) & mask) {
            if (!cells[i].used)
                return nullptr;
            if (cells[i].key == key)
                return &cells[i].value;
        }
    }
    // Keeps the first value stored for a key.
    void try_emplace(const Key& key, const Value& value) {
        if ((size + 1) * 2 > cells.size())
            grow();
        const std::size_t mask = cells.size() - 1;
        std::size_t i = Hash()(key) & mask;
        for (; cells[i].used; i = (i + 1) & mask)
            if (cells[i].key == key)
                return;
        cells[i] = Slot{key, value, true};
        ++size;
    }
    // Room for `count` keys without growing.
    void reserve(std::size_t count) {
        std::size_t capacity = 16;
        while (capacity < count * 2)
            capacity *= 2;
        if (capacity > cells.size()) {
            std::vector<Slot> old = std::move(cells);
            cells.assign(capacity, Slot{});
            size = 0;
            for (const Slot& s : old)
                if (s.used)
                    try_emplace(s.key, s.value);
        }
    }
    void grow() {
        std::vector<Slot> old = std::move(cells);
        cells.assign(old.empty() ? 16 : old.size() * 2, Slot{});
        size = 0;
        for (const Slot& s : old)
            if (s.used)
                try_emplace(s.key, s.value);
    }
};

// One lookup climbing from a TEST CLASS: the class, the name, and what is wanted.
struct ClimbKey {
    const Component* test_class = nullptr;
    const char* name = nullptr;
    int wanted = 0;  // a kind, or one of the two RUN target modes
    bool operator==(const ClimbKey&) const = default;
};

struct ClimbKeyHash {
    std::size_t operator()(const ClimbKey& k) const noexcept {
        return mixed(reinterpret_cast<std::uintptr_t>(k.test_class) * 31 +
                     reinterpret_cast<std::uintptr_t>(k.name) +
                     static_cast<std::uint64_t>(static_cast<std::uint32_t>(k.wanted)));
    }
};

// Children are only ever appended, each with the next serial number, so `sid` orders
// the children of a block as they stand: no table of positions is needed.
bool stands_before(const Component* a, const Component* b) { return a->sid < b->sid; }

struct Indexed {
    Component* child = nullptr;  // nullptr: no such child
};

// One block's children as far as they have been indexed.
struct BlockIndex {
    FlatMap<NameKind, Indexed, NameKindHash> first_named;
    std::unordered_map<int, const Component*> first_of_kind;
    Component* last_indexed = nullptr;
};

// What the base chain of a class leads to, remembered while the tree cannot change.
enum class CycleEnd { none, on_cycle, into_cycle };
struct CycleMemo {
    CycleEnd end = CycleEnd::none;
    Component* reporter = nullptr;  // on_cycle: the class before it on the cycle; into_cycle: E
    Component* repeated = nullptr;  // into_cycle: the first class of the cycle met
    std::uint64_t generation = 0;   // none: valid while no base was set since
};

struct Session {
    int depth = 0;
    bool frozen = false;  // inside check_components: no child is added meanwhile
    std::unordered_map<const Component*, BlockIndex> blocks;  // nodes: pointers stay valid
    const Component* last_scope = nullptr;
    BlockIndex* last_index = nullptr;
    std::unordered_map<const Component*, CycleMemo> cycles;
    std::uint64_t base_generation = 0;  // bumped whenever a resolved base is set
    // What a lookup found (or not) climbing from a class: once a climb is complete the
    // bases along it no longer change, so the same lookup from there has the same end.
    FlatMap<ClimbKey, Component*, ClimbKeyHash> climbs;
};

Session* session = nullptr;

// Classes whose base is being resolved: a lookup climbing back into one of them stops
// instead of resolving it again.
std::unordered_set<const Component*> resolving;
constexpr std::size_t MAX_RESOLVING = 1024;  // nested resolutions; deeper is "not found"

Location at(const Component* c) {
    return Location{c->display_file, c->line};
}

QString text_arg(const char* text) {
    return arg_text(std::string_view(text ? text : ""));
}

QString fixed_word(const char* word) {
    return QString::fromLatin1(word);
}

// Blocks this small are scanned: an index would cost more than it saves.
constexpr int SMALL_BLOCK = 8;

// Whether lookups in `scope` go through its index.
bool indexed(const Component* scope) {
    if (!session)
        return false;
    int children = 0;
    for (const Component* c = scope->first_child; c && children <= SMALL_BLOCK; c = c->next_sibling)
        ++children;
    return children > SMALL_BLOCK;
}

BlockIndex& index_of(const Component* scope) {
    // Consecutive lookups mostly ask about one block: skip the map then.
    if (session->last_scope != scope) {
        session->last_scope = scope;
        session->last_index = &session->blocks[scope];
    }
    BlockIndex& b = *session->last_index;
    Component* c = b.last_indexed ? b.last_indexed->next_sibling : scope->first_child;
    if (!b.last_indexed && c) {  // first use: size the tables once
        std::size_t children = 0;
        for (const Component* s = c; s; s = s->next_sibling)
            ++children;
        b.first_named.reserve(children);
    }
    for (; c; c = c->next_sibling) {
        b.first_named.try_emplace(NameKind{c->name, c->kind}, Indexed{c});
        b.first_of_kind.try_emplace(c->kind, c);
        b.last_indexed = c;
    }
    return b;
}

// The first child of `scope` with this name and kind.
Indexed first_named(const Component* scope, const char* name, int kind) {
    if (indexed(scope)) {
        const Indexed* found = index_of(scope).first_named.find(NameKind{name, kind});
        return found ? *found : Indexed{};
    }
    for (Component* c = scope->first_child; c; c = c->next_sibling)
        if (c->kind == kind && c->name == name)
            return Indexed{c};
    return Indexed{};
}

// The child of `scope` matching one segment of a lookup, without climbing.
Component* find_local(const Component* scope, const RefSegment* segment, int wanted) {
    if (wanted != KIND_RUN_TARGET)
        return first_named(scope, segment->name, wanted).child;
    if (segment->next)  // only a TEST CLASS may stand before a dot
        return first_named(scope, segment->name, KIND_TEST_CLASS).child;
    Indexed best;
    for (int kind : {KIND_TEST_CLASS, KIND_TEST_SUITE, KIND_TEST_CASE}) {
        Indexed f = first_named(scope, segment->name, kind);
        if (f.child && (!best.child || stands_before(f.child, best.child)))
            best = f;
    }
    return best.child;
}

Component* resolved_base_of(const Component* c) {
    const TestClassDetail* d = test_class_detail(c);
    return d ? d->resolved_base : nullptr;
}

void set_resolved_base(TestClassDetail* d, Component* base) {
    d->resolved_base = base;
    if (base && session)
        ++session->base_generation;
}

// The base a lookup climbs into from `test_class`, resolving it first when needed.
// `complete` turns false when a resolution is refused (re-entered or too deep).
Component* base_for_lookup(Component* test_class, bool* complete) {
    TestClassDetail* d = test_class_detail(test_class);
    if (!d || !d->base)
        return nullptr;
    if (!d->resolved_base) {
        if (resolving.count(test_class) || resolving.size() >= MAX_RESOLVING) {
            *complete = false;
            return nullptr;
        }
        set_resolved_base(d, resolve_base_class(test_class, d->base));
        if (!d->resolved_base) {
            d->base = nullptr;
            // Raised by a lookup: reported with the untranslated words.
            report_error(MSG_UNRESOLVED, at(test_class), fixed_word("inheritance of"),
                         text_arg(test_class->name));
        }
    }
    return d->resolved_base;
}

// TEST CLASSes already searched by one lookup; most chains fit the inline array.
struct Searched {
    const Component* first[8] = {};
    std::size_t count = 0;
    std::vector<const Component*> rest;
    std::unordered_set<const Component*> rest_set;
    bool contains(const Component* c) const {
        for (std::size_t i = 0; i < count && i < 8; ++i)
            if (first[i] == c)
                return true;
        return rest_set.count(c) != 0;
    }
    void add(const Component* c) {
        if (count < 8) {
            first[count] = c;
        } else {
            rest.push_back(c);
            rest_set.insert(c);
        }
        ++count;
    }
};

void remember_climb(const Searched& searched, const char* name, int wanted, Component* found) {
    for (std::size_t i = 0; i < searched.count && i < 8; ++i)
        session->climbs.try_emplace(ClimbKey{searched.first[i], name, wanted}, found);
    for (const Component* c : searched.rest)
        session->climbs.try_emplace(ClimbKey{c, name, wanted}, found);
}

}  // namespace

void begin_lookup_session() {
    if (!session)
        session = new Session;
    ++session->depth;
}

void end_lookup_session() {
    if (session && --session->depth == 0) {
        delete session;
        session = nullptr;
    }
}

bool has_earlier_twin(const Component* c, int kind, const char* name) {
    if (!c || !c->parent)
        return false;
    if (!indexed(c->parent)) {
        for (const Component* s = c->parent->first_child; s && s != c; s = s->next_sibling)
            if (s->kind == kind && s->name == name)
                return true;
        return false;
    }
    const BlockIndex& b = index_of(c->parent);
    const Indexed* twin = b.first_named.find(NameKind{name, kind});
    return twin && stands_before(twin->child, c);
}

bool has_earlier_kind(const Component* c, int kind) {
    if (!c || !c->parent)
        return false;
    if (!indexed(c->parent)) {
        for (const Component* s = c->parent->first_child; s && s != c; s = s->next_sibling)
            if (s->kind == kind)
                return true;
        return false;
    }
    const BlockIndex& b = index_of(c->parent);
    auto first = b.first_of_kind.find(kind);
    return first != b.first_of_kind.end() && stands_before(first->second, c);
}

Component* find_in_scope(Component* scope, RefSegment* segment, int wanted_kind) {
    if (!segment)
        return nullptr;
    const bool remembering = session && session->frozen;
    const int wanted = wanted_kind != KIND_RUN_TARGET ? wanted_kind : segment->next ? -1 : -2;
    Component* found = nullptr;
    Searched searched;
    bool complete = true;
    for (Component* s = scope; s;) {
        if (s->kind == KIND_TEST_CLASS) {
            Component* const* known =
                remembering ? session->climbs.find(ClimbKey{s, segment->name, wanted}) : nullptr;
            if (known) {
                found = *known;
                break;
            }
            searched.add(s);
        }
        found = find_local(s, segment, wanted_kind);
        if (found || s->kind != KIND_TEST_CLASS)
            break;
        Component* base = base_for_lookup(s, &complete);
        s = (base && !searched.contains(base)) ? base : nullptr;
    }
    // A lookup that ended in its first class cost one indexed probe: remembering it
    // would only fill memory (a class of many RUN elements makes one per element).
    if (remembering && complete && searched.count > 1)
        remember_climb(searched, segment->name, wanted, found);
    segment->resolved = found;
    return found;
}

Component* resolve_base_class(Component* test_class, RefSegment* base) {
    if (!test_class || !base)
        return nullptr;
    if (base->name == test_class->name) {
        report_error(MSG_SELF_INHERITANCE, at(test_class), text_arg(test_class->name));
        return nullptr;
    }
    if (!test_class->parent)
        return nullptr;
    resolving.insert(test_class);
    Component* found = find_in_scope(test_class->parent, base, KIND_TEST_CLASS);
    resolving.erase(test_class);
    if (!found) {
        report_error(MSG_NOT_FOUND_RESOLVING, at(test_class), text_arg(base->name),
                     text_arg(test_class->name));
        return nullptr;
    }
    check_parameter_count(found, base, test_class->display_file, test_class->line);
    return found;
}

int check_parameter_count(Component* target, RefSegment* segment, const char* file, int line) {
    if (!target || !segment)
        return 0;
    ParamItem* formal = formals_of(target);
    ParamItem* actual = segment->actuals;
    for (; formal && actual; formal = formal->next, actual = actual->next)
        actual->bound = formal->text;
    if (!formal && !actual)
        return 0;
    report_error(MSG_PARAMETER_COUNT, Location{file, line}, fixed_word(actual ? "many" : "few"),
                 text_arg(segment->name));
    return -1;
}

// CALL and CHECK PROPERTY: the first enclosing block, innermost first, that has one.
static Component* resolve_outward(Component* user, RefSegment* segment, int wanted,
                                  const char* what) {
    if (!user || !segment)
        return nullptr;
    Component* hit = nullptr;
    for (Component* block = user->parent; block && !hit; block = block->parent)
        hit = find_in_scope(block, segment, wanted);
    if (!hit) {
        report_error(MSG_NOT_FOUND_RESOLVING, at(user), text_arg(segment->name), fixed_word(what));
        return nullptr;
    }
    check_parameter_count(hit, segment, user->display_file, user->line);
    return hit;
}

Component* resolve_call(Component* call, RefSegment* segment) {
    return resolve_outward(call, segment, KIND_PROC, "CALL");
}

Component* resolve_property_check(Component* check, RefSegment* segment) {
    return resolve_outward(check, segment, KIND_PROPERTY, "CHECK PROPERTY");
}

Component* resolve_run_path(Component* element, RefSegment* first) {
    if (!element || !element->parent || element->parent->kind != KIND_RUN)
        return nullptr;
    Component* scope = element->parent->parent;
    Component* hit = nullptr;
    for (RefSegment* segment = first; segment; segment = segment->next) {
        hit = find_in_scope(scope, segment, KIND_RUN_TARGET);
        if (!hit) {
            report_error(MSG_NOT_FOUND_RESOLVING, at(element), text_arg(segment->name),
                         fixed_word("RUN"));
            return nullptr;
        }
        check_parameter_count(hit, segment, element->display_file, element->line);
        scope = hit;
    }
    return hit;
}

Component* find_stub(Component* check_stub) {
    Component* root = root_of(check_stub);
    if (!root || !check_stub)
        return nullptr;
    // Only a STUB will do: later phases read the stub record of what is found here.
    return first_named(root, check_stub->name, KIND_STUB).child;
}

Component* find_bypass_target(Component* on_error, const char* name) {
    for (Component* a = on_error ? on_error->parent : nullptr; a; a = a->parent) {
        const bool block = a->kind == KIND_TEST_CLASS || a->kind == KIND_TEST_SUITE ||
                           a->kind == KIND_TEST_CASE || a->kind == KIND_PROC;
        if (block && a->name == name)
            return a;
    }
    return nullptr;
}

Component* find_state(Component* transition, const char* name) {
    if (!transition || !transition->parent)
        return nullptr;
    return first_named(transition->parent, name, KIND_UML_STATE).child;
}

namespace {

void report_cycle(Component* reporter, Component* repeated) {
    report_error(MSG_INHERITANCE_CYCLE, at(reporter), text_arg(reporter->name),
                 text_arg(repeated->name));
}

// The plain walk: the base chain is followed until it ends or repeats a class.
int check_cycle_plain(Component* test_class) {
    std::vector<Component*> list;
    std::unordered_map<const Component*, std::size_t> position;
    for (Component* current = test_class; current; current = resolved_base_of(current)) {
        auto seen = position.find(current);
        if (seen != position.end()) {
            const std::size_t p = seen->second;
            report_cycle(p > 0 ? list[p - 1] : list.back(), current);
            return -1;
        }
        position.emplace(current, list.size());
        list.push_back(current);
    }
    return 0;
}

void remember(const std::vector<Component*>& list, std::size_t from, std::size_t to,
              CycleMemo memo) {
    for (std::size_t i = from; i < to; ++i)
        session->cycles[list[i]] = memo;
}

// The chain in `list` repeats list[p]: everything from p is the cycle itself.
int close_cycle(const std::vector<Component*>& list, std::size_t p) {
    Component* reporter = p > 0 ? list[p - 1] : list.back();
    for (std::size_t i = p; i < list.size(); ++i)
        session->cycles[list[i]] =
            CycleMemo{CycleEnd::on_cycle, i == p ? list.back() : list[i - 1], nullptr, 0};
    remember(list, 0, p, CycleMemo{CycleEnd::into_cycle, reporter, list[p], 0});
    report_cycle(reporter, list[p]);
    return -1;
}

// The chain in `list` continues with `known`, whose fate is remembered in `memo`.
int join_known(const std::vector<Component*>& list, Component* known, const CycleMemo& memo) {
    if (memo.end == CycleEnd::none) {
        remember(list, 0, list.size(), memo);
        return 0;
    }
    Component* reporter = memo.reporter;
    Component* repeated = memo.repeated;
    if (memo.end == CycleEnd::on_cycle) {
        repeated = known;
        if (!list.empty())
            reporter = list.back();
    }
    remember(list, 0, list.size(), CycleMemo{CycleEnd::into_cycle, reporter, repeated, 0});
    report_cycle(reporter, repeated);
    return -1;
}

// The same result as the plain walk, but every class walked remembers where its chain
// leads, so a long chain of classes is walked once instead of once per class.
int check_cycle_remembered(Component* test_class) {
    std::vector<Component*> list;
    std::unordered_map<const Component*, std::size_t> position;
    for (Component* current = test_class; current; current = resolved_base_of(current)) {
        auto known = session->cycles.find(current);
        if (known != session->cycles.end() &&
            (known->second.end != CycleEnd::none ||
             known->second.generation == session->base_generation))
            return join_known(list, current, known->second);
        auto seen = position.find(current);
        if (seen != position.end())
            return close_cycle(list, seen->second);
        position.emplace(current, list.size());
        list.push_back(current);
    }
    remember(list, 0, list.size(),
             CycleMemo{CycleEnd::none, nullptr, nullptr, session->base_generation});
    return 0;
}

}  // namespace

int check_inheritance_cycle(Component* test_class) {
    try {
        if (session && session->frozen)
            return check_cycle_remembered(test_class);
        return check_cycle_plain(test_class);
    } catch (const std::bad_alloc&) {
        report_error(MSG_NO_FREE_MEMORY);
        return -1;
    }
}

namespace {

// Which earlier sibling makes a component a twin, and how it is reported.
struct TwinRule {
    int kind;
    int twin_kind;
    const char* word;    // kind word of the message, never translated
    bool names_count;    // false: any earlier one of that kind is a twin (CHECK EXCEPTION)
    bool name_in_text;   // message 29 (with the name) rather than 28
};

constexpr TwinRule TWIN_RULES[] = {
    {KIND_TEST_CLASS, KIND_TEST_CLASS, "TEST CLASS", true, true},
    {KIND_TEST_CLASS, KIND_TEST_SUITE, "TEST", true, true},
    {KIND_TEST_CLASS, KIND_TEST_CASE, "TEST", true, true},
    {KIND_TEST_SUITE, KIND_TEST_CLASS, "TEST", true, true},
    {KIND_TEST_SUITE, KIND_TEST_SUITE, "TEST SUITE", true, true},
    {KIND_TEST_SUITE, KIND_TEST_CASE, "TEST", true, true},
    {KIND_TEST_CASE, KIND_TEST_CLASS, "TEST", true, true},
    {KIND_TEST_CASE, KIND_TEST_SUITE, "TEST", true, true},
    {KIND_TEST_CASE, KIND_TEST_CASE, "TEST CASE", true, true},
    {KIND_CHECK_EXCEPTION, KIND_CHECK_EXCEPTION, "CHECK EXCEPTION", false, false},
    {KIND_CHECK_STUB, KIND_CHECK_STUB, "CHECK STUB", true, true},
    {KIND_ON_ERROR, KIND_ON_ERROR, "ON ERROR", true, false},
    {KIND_PROC, KIND_PROC, "PROC", true, true},
    {KIND_RUN, KIND_RUN, "RUN", true, false},
    {KIND_PROLOGUE, KIND_PROLOGUE, "PROLOGUE", true, false},
    {KIND_EPILOGUE, KIND_EPILOGUE, "EPILOGUE", true, false},
    {KIND_UML_STATE, KIND_UML_STATE, "UMLSTATE", true, true},
    {KIND_THREE_POINTS, KIND_THREE_POINTS, "...", true, false},
    {KIND_PROPERTY, KIND_PROPERTY, "PROPERTY", true, true},
    {KIND_STUB, KIND_STUB, "STUB", true, true},
};

void check_twins(const Component* c) {
    for (const TwinRule& rule : TWIN_RULES) {
        if (rule.kind != c->kind)
            continue;
        const bool twin = rule.names_count ? has_earlier_twin(c, rule.twin_kind, c->name)
                                           : has_earlier_kind(c, rule.twin_kind);
        if (!twin)
            continue;
        if (rule.name_in_text)
            report_error(MSG_ALREADY_DEFINED_NAMED, at(c), fixed_word(rule.word),
                         text_arg(c->name));
        else
            report_error(MSG_ALREADY_DEFINED, at(c), fixed_word(rule.word));
    }
}

void report_unresolved(const Component* c, const QString& what, const char* name) {
    report_error(MSG_UNRESOLVED, at(c), what, text_arg(name));
}

void check_base(Component* c) {
    TestClassDetail* d = test_class_detail(c);
    if (!d || !d->base || d->resolved_base)
        return;
    set_resolved_base(d, resolve_base_class(c, d->base));
    if (d->resolved_base)
        return;
    d->base = nullptr;
    report_unresolved(c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "inheritance of")),
                      c->name);
}

void check_property_use(Component* c) {
    CheckPropertyDetail* d = check_property_detail(c);
    if (!d || !d->property)
        return;
    d->resolved = resolve_property_check(c, d->property);
    if (!d->resolved)
        report_unresolved(
            c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "checking of")), c->name);
}

void check_stub_use(Component* c) {
    CheckStubDetail* d = check_stub_detail(c);
    if (!d)
        return;
    d->resolved = find_stub(c);
    if (!d->resolved)
        report_unresolved(c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "checking")),
                          c->name);
}

void check_bypass(Component* c) {
    OnErrorDetail* d = on_error_detail(c);
    if (!d || d->action != KIND_BYPASS || !d->bypass_name)
        return;
    d->resolved = find_bypass_target(c, d->bypass_name);
    if (!d->resolved)
        report_unresolved(c, fixed_word("bypass"), d->bypass_name);
}

void check_call(Component* c) {
    CallDetail* d = call_detail(c);
    if (!d || !d->callee)
        return;
    d->resolved = resolve_call(c, d->callee);
    if (!d->resolved)
        report_unresolved(c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "calling of")),
                          c->name);
}

void check_run_element(Component* c) {
    RunElementDetail* d = run_element_detail(c);
    if (!d || !d->path)
        return;
    d->resolved = resolve_run_path(c, d->path);
    if (!d->resolved)
        report_unresolved(
            c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "checking of")), c->name);
}

// Resolved (source, destination) pairs of the TRANSITIONs met so far in one block.
struct PairHash {
    std::size_t operator()(const std::pair<const Component*, const Component*>& p) const noexcept {
        return std::hash<const void*>()(p.first) * 31 + std::hash<const void*>()(p.second);
    }
};
using TransitionPairs = std::unordered_set<std::pair<const Component*, const Component*>, PairHash>;

void check_transition(Component* c, TransitionPairs& earlier) {
    TransitionDetail* d = transition_detail(c);
    if (!d)
        return;
    if (d->source) {
        d->resolved_source = find_state(c, d->source);
        if (!d->resolved_source)
            report_unresolved(
                c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "transition from")),
                d->source);
    }
    if (d->destination) {
        d->resolved_destination = find_state(c, d->destination);
        if (!d->resolved_destination)
            report_unresolved(
                c, parameter_word(QT_TRANSLATE_NOOP("VEX Error Parameter", "transition to")),
                d->destination);
    }
    if (!d->resolved_source || !d->resolved_destination)
        return;
    if (d->resolved_source == d->resolved_destination)
        report_error(MSG_REFLEXIVE_TRANSITION, at(c), text_arg(d->source));
    if (!earlier.emplace(d->resolved_source, d->resolved_destination).second)
        report_error(MSG_ALREADY_DEFINED, at(c), fixed_word("TRANSITION"));
}

// A chain that starts inside a block sees the TRANSITIONs before it as earlier siblings.
void seed_transitions(const Component* first, TransitionPairs& earlier) {
    if (!first->parent)
        return;
    for (const Component* s = first->parent->first_child; s && s != first; s = s->next_sibling) {
        const TransitionDetail* d = transition_detail(s);
        if (d && d->resolved_source && d->resolved_destination)
            earlier.emplace(d->resolved_source, d->resolved_destination);
    }
}

void check_one(Component* c, TransitionPairs& transitions) {
    check_twins(c);
    switch (c->kind) {
    case KIND_TEST_CLASS: check_base(c); break;
    case KIND_CHECK_PROPERTY: check_property_use(c); break;
    case KIND_CHECK_STUB: check_stub_use(c); break;
    case KIND_ON_ERROR: check_bypass(c); break;
    case KIND_CALL: check_call(c); break;
    case KIND_RUN_ELEMENT: check_run_element(c); break;
    case KIND_TRANSITION: check_transition(c, transitions); break;
    default: break;
    }
}

// Every component of the chain and its descendants, then the cycle checks of the
// chain's classes, so a class is checked for cycles after its whole block.
void check_chain(Component* first) {
    TransitionPairs transitions;
    seed_transitions(first, transitions);
    for (Component* c = first; c; c = c->next_sibling) {
        check_one(c, transitions);
        if (c->first_child)
            check_chain(c->first_child);
    }
    for (Component* c = first; c; c = c->next_sibling)
        if (c->kind == KIND_TEST_CLASS && resolved_base_of(c))
            check_inheritance_cycle(c);
}

}  // namespace

int check_components(Component* first) {
    if (!first)
        return 0;
    begin_lookup_session();
    const bool was_frozen = session->frozen;
    session->frozen = true;  // the checker adds no component: remembered chains stay true
    check_chain(first);
    session->frozen = was_frozen;
    if (!was_frozen) {
        session->cycles.clear();
        session->climbs = {};
    }
    end_lookup_session();
    return 0;
}
