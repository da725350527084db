// analysis/expand.h: flattens TEST CLASS inheritance. Every derived class receives
// copies of what it inherits (keeping the copied component's id and file number), the
// base's formal parameters replaced by the derived class's actual texts, and forgets its
// base. Failures are reported where found (messages 31, 32, 46, 48, 50) and return -1.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "fi/component.h"

// One formal parameter of a base class with the text that replaces it in the copies.
struct ParamBinding {
    const char* formal = nullptr;  // interned, as bound by the checker
    const char* actual = nullptr;  // interned actual text
    std::uint32_t shadow_count = 0;  // enclosing copied PROC, PROPERTY or TEST CLASS
                                     // declaring the same formal; applied only at 0
};
using ParamBindings = std::vector<ParamBinding>;

// The whole tree, with the checker's lookup indexes open meanwhile.
int expand_tree(Component* root);

// Expands `c` and all its descendants (not its siblings). 0, or -1 after reporting.
int expand_components(Component* c);

int inherit_components(Component* derived, Component* base);
Component* copy_subtree(Component* parent, const Component* c);
Component* copy_component(Component* parent, const Component* c);

// Rewrites the texts of a copy and its descendants; 0 or -1 after reporting.
int substitute_parameters(Component* copy, ParamBindings& bindings);

// Every binding with shadow count 0, in order, applied to `text` (interned); the same
// pointer when nothing matched; nullptr after message 50.
const char* substitute_text(const char* text, const ParamBindings& bindings);
