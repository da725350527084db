// analysis/checker.h: duplicate detection, resolution of every reference, parameter
// counts and inheritance cycles. Reports semantic errors and always walks the whole tree.
#pragma once
#include "fi/component.h"

// Checks `first`, its following siblings and all their descendants. Always 0.
int check_components(Component* first);

bool has_earlier_twin(const Component* c, int kind, const char* name);
bool has_earlier_kind(const Component* c, int kind);

Component* find_in_scope(Component* scope, RefSegment* segment, int wanted_kind);
Component* resolve_base_class(Component* test_class, RefSegment* base);
int check_parameter_count(Component* target, RefSegment* segment, const char* file, int line);
Component* resolve_call(Component* call, RefSegment* segment);
Component* resolve_property_check(Component* check, RefSegment* segment);
Component* resolve_run_path(Component* element, RefSegment* first);
Component* find_stub(Component* check_stub);
Component* find_bypass_target(Component* on_error, const char* name);
Component* find_state(Component* transition, const char* name);
int check_inheritance_cycle(Component* test_class);

// Lookups (twins, find_in_scope, stubs, states) made while a session is open share
// per-block indexes instead of scanning siblings; check_components opens its own.
// Open one around many such calls made elsewhere (the indexes follow children
// appended at the end of a block meanwhile; nothing may be unlinked or freed).
// Sessions nest; outside any session every lookup is a plain scan.
void begin_lookup_session();
void end_lookup_session();
