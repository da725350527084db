// fi/component.h: the internal form, a tree of components under one root,
// with the kind-specific detail records, reference segments and parameter lists.
// Builders return nullptr on failure; callers report message 46 (or 24/26).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "fi/kinds.h"

// The numbers first, then the pointers: no padding, 120 bytes (a large script has
// millions of these).
struct Component {
    int kind = 0;
    std::uint32_t id = 0;                // shared by a copy and what it copies
    std::uint32_t sid = 0;               // unique serial number
    int file_no = 0;
    int first_line = 0, last_line = 0, first_column = 0, last_column = 0;
    int line = 0;                        // location of every diagnostic about it
    int depth = 0;                       // 0 at file level, at most MAX_NESTING_DEPTH
    const char* name = nullptr;          // interned; meaning per kind; nullptr for CHECK
    const char* dir = nullptr;           // interned script directory (absolute, ends with '/')
    const char* file = nullptr;          // interned script base name
    const char* display_file = nullptr;  // interned: dir minus the current directory, then file
    void* detail = nullptr;              // owned; type per kind (see details below)
    Component* parent = nullptr;
    Component* first_child = nullptr;
    Component* last_child = nullptr;
    Component* prev_sibling = nullptr;
    Component* next_sibling = nullptr;
};

struct ParamItem {
    const char* text = nullptr;   // interned
    int item_kind = 0;            // PARAM_FORMAL or PARAM_ACTUAL
    const char* bound = nullptr;  // actual items: text of the formal bound by the checker
    const char* shown = nullptr;  // PRINT items: the text as written, before a copied
                                  // class's actuals replaced its formals; null: text
    ParamItem* next = nullptr;
};

struct RefSegment {
    const char* name = nullptr;      // interned
    ParamItem* actuals = nullptr;
    Component* resolved = nullptr;   // set by the checker's lookup
    RefSegment* next = nullptr;
};

struct Span {
    int first_line = 0, last_line = 0, first_column = 0, last_column = 0;
};

struct TestClassDetail {
    ParamItem* formals = nullptr;
    RefSegment* base = nullptr;        // cleared when the base cannot be resolved
    Component* resolved_base = nullptr;
};
struct CallDetail {
    RefSegment* callee = nullptr;
    ParamItem* actuals = nullptr;
    Component* resolved = nullptr;     // the PROC
};
struct CheckPropertyDetail {
    RefSegment* property = nullptr;
    ParamItem* actuals = nullptr;
    const char* label = nullptr;       // nullptr when no quoted label
    Component* resolved = nullptr;     // the PROPERTY
    Span text_span;                    // label (or name) to end of name or parameters
    std::uint32_t spare = 0;           // copied unchanged, read by nobody
};
struct CheckDetail {
    const char* label = nullptr;
    const char* expression = nullptr;
    Span text_span;
    std::uint32_t spare = 0;
};
struct ConditionDetail {  // REQUIRE, ENSURE, INVARIANT
    Span span;            // of the condition expression token
    std::uint32_t spare = 0;
};
struct ParamListDetail {  // PROC, PROPERTY (formals), PRINT (actuals)
    ParamItem* params = nullptr;
};
struct CheckStubDetail {
    Component* resolved = nullptr;     // the STUB
};
struct OnErrorDetail {
    int action = KIND_CONTINUE;        // KIND_BYPASS, KIND_CONTINUE or KIND_EXIT
    const char* bypass_name = nullptr;
    Component* resolved = nullptr;     // BYPASS target
};
struct RunElementDetail {
    RefSegment* path = nullptr;
    Component* resolved = nullptr;
};
struct StubDetail {
    const char* signature = nullptr;
};
struct UmlStateDetail {};  // nothing beyond the component yet: the generator numbers states
struct TransitionDetail {
    const char* source = nullptr;
    const char* destination = nullptr;
    Component* resolved_source = nullptr;
    Component* resolved_destination = nullptr;
};

// Blocks nested deeper than this are refused (message 27) so that no phase can run
// out of stack on a hostile script: the readers refuse them, the generator bounds its
// inline calls by it.
constexpr int MAX_NESTING_DEPTH = 256;

// Process-wide counters (set by the driver, maintained by the readers).
extern int next_component_id;    // 2 before the first script; the root holds 1
extern int current_file_number;  // file_no given to new components

// Typed access to a component's detail; nullptr when the kind does not match.
TestClassDetail* test_class_detail(const Component* c);
CallDetail* call_detail(const Component* c);
CheckPropertyDetail* check_property_detail(const Component* c);
CheckDetail* check_detail(const Component* c);
ConditionDetail* condition_detail(const Component* c);
ParamListDetail* param_list_detail(const Component* c);
CheckStubDetail* check_stub_detail(const Component* c);
OnErrorDetail* on_error_detail(const Component* c);
RunElementDetail* run_element_detail(const Component* c);
StubDetail* stub_detail(const Component* c);
UmlStateDetail* uml_state_detail(const Component* c);
TransitionDetail* transition_detail(const Component* c);
// The formal parameters of a TEST CLASS, PROC or PROPERTY; nullptr for other kinds.
ParamItem* formals_of(const Component* c);

// The root: id 1, sid 0, line 1, everything else empty.
Component* create_root();

// Appends a new component to `parent` (nullptr parent: nothing made, no id used).
// Takes id = sid = next_component_id++, file_no = current_file_number and
// computes display_file from dir and file.
Component* create_component(Component* parent, int kind, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth);

// Builders: create_component plus the detail record.
Component* build_test_class(Component* parent, const char* name, const char* dir, const char* file,
                            Span span, int line, int depth, ParamItem* formals, RefSegment* base);
Component* build_param_list(Component* parent, int kind, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth, ParamItem* params);
Component* build_call(Component* parent, const char* name, const char* dir, const char* file,
                      Span span, int line, int depth, RefSegment* callee, ParamItem* actuals);
Component* build_check_property(Component* parent, const char* label, const char* name,
                                const char* dir, const char* file, Span span, int line, int depth,
                                RefSegment* property, ParamItem* actuals, Span text_span);
Component* build_check(Component* parent, const char* label, const char* expression,
                       const char* dir, const char* file, Span span, int line, int depth,
                       Span text_span);
Component* build_condition(Component* parent, int kind, const char* name, const char* dir,
                           const char* file, Span span, int line, int depth, Span condition_span);
Component* build_run_element(Component* parent, const char* name, const char* dir,
                             const char* file, Span span, int line, int depth, RefSegment* path);
Component* build_stub(Component* parent, const char* name, const char* dir, const char* file,
                      Span span, int line, int depth, const char* signature);
Component* build_check_stub(Component* parent, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth);
Component* build_on_error(Component* parent, const char* name, const char* dir, const char* file,
                          Span span, int line, int depth);
Component* build_transition(Component* parent, const char* name, const char* dir,
                            const char* file, Span span, int line, int depth, const char* source,
                            const char* destination);
Component* build_uml_state(Component* parent, const char* name, const char* dir,
                           const char* file, Span span, int line, int depth);

// Null-safe accessors.
Component* root_of(Component* c);

// Parameter lists; nullptr when the text does not split (see the rules in component.cpp).
// Items are owned by the parameter pool.
ParamItem* split_formal_params(std::string_view text);
ParamItem* split_actual_params(std::string_view text);

// Appends a segment (owned by the segment pool); returns the first segment, nullptr on failure.
RefSegment* append_segment(RefSegment* first, const char* name, ParamItem* actuals);

// "A.B.C": the segment names joined by dots (any length).
std::string reference_text(const RefSegment* first);

// Copies for the expansion phase: new items with the same texts and bindings, and new
// segments with the same names, copied actuals and no resolved component. A null list
// copies to null; *failed is set when memory runs out (the copy is then incomplete).
ParamItem* copy_params(const ParamItem* first, bool* failed);
RefSegment* copy_reference(const RefSegment* first, bool* failed);

// Releases a chain of components with their descendants and details; unknown kinds
// are reported with message 48. Iterative: any depth is safe.
void free_components(Component* first);

// Empty and release the pools of segments and parameter items.
void clear_pools();
void free_segment_pool();
void free_param_pool();

// Test aid: the tree below `root` (the root itself is not printed), one line per
// component in pre-order, indented two blanks per level (children of the root at 0):
//   <kind_name> '<name or ->' #<id> L<first_line>-<last_line> d<depth>[ details]
// details, each only when set, in this order:
//   TEST CLASS: formals=(x,y) base=A(1,2) base->#<id>
//   PROC, PROPERTY: formals=(a,b)        PRINT: actuals=(a,b)
//   CALL: actuals=(1,2) ->#<id>          CHECK PROPERTY: label="L" actuals=(1) ->#<id>
//   CHECK: label="L" expr="x>0"          CHECK STUB: ->#<id>
//   ON ERROR: action=CONTINUE|EXIT|BYPASS target=X ->#<id>
//   RUN ELEMENT: path=C(1).T ->#<id>     STUB: signature="int f(int)"
//   TRANSITION: from=S1 to=S2 ->#<id>,#<id>
// A parameter list prints as "(" items joined by "," ")"; texts are printed as stored.
// Each line ends with "\n".
std::string dump_tree(const Component* root);
