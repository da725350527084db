// gen/instrumentation.cpp: the class sections of the instrumentation file: for every
// contract-check class its name, script line, checksum pair and id, its invariants and
// wrapped methods, and, when it has UML states, the state chart tables, the body that
// follows the transitions and the state-check switch.
#include <string>
#include <unordered_map>
#include <vector>

#include "driver/options.h"
#include "fi/files.h"
#include "fi/names.h"
#include "formats/instrumentation.h"
#include "formats/keys.h"
#include "gen/emitters.h"

namespace {

// The state-transition body after its marker; "%lx" is the class's state report id.
constexpr const char* STATE_BODY[] = {
    "     _vxk_StateType I;\n",
    "     _vxk_StateType FiredTransId=0L;\n",
    "     _vxk_StateType NbStateFound=0L;\n",
    "     _vxk_StateType OldState = _vxk_state;\n",
    "\n",
    "     if(OldState==-1L)\n",
    "     {\n",
    "       for(I=0L; I<_VEX_NbState; I++)\n",
    "          if(_vxk_check_state(I))\n",
    "          {\n",
    "            _vxk_state = I;\n",
    "            NbStateFound++;\n",
    "          }\n",
    "     }\n",
    "     else\n",
    "     {\n",
    "       for(I=0L; I<StateChart[OldState].TransNb; I++)\n",
    "          if(_vxk_check_state(StateChart[OldState].Trans[I].DestStateNo))\n",
    "          {\n",
    "            _vxk_state = StateChart[OldState].Trans[I].DestStateNo;\n",
    "            FiredTransId = StateChart[OldState].Trans[I].Id;\n",
    "            NbStateFound++;\n",
    "          }\n",
    "     }\n",
    "\n",
    "     if(NbStateFound==1L)\n",
    "     {\n",
    "       if(OldState!=-1L && OldState!=_vxk_state)\n",
    "         _vxk_transition(FiredTransId);\n",
    "#if VEX_REPORT_REFLEXIVE_STATES\n",
    "       _vxk_current_state(StateChart[_vxk_state].Id, _VXK_CLASS_FILE_CLS);\n",
    "#else\n",
    "       if(OldState!=_vxk_state)\n",
    "         _vxk_current_state(StateChart[_vxk_state].Id, _VXK_CLASS_FILE_CLS);\n",
    "#endif /* VEX_REPORT_REFLEXIVE_STATES */\n",
    "     }\n",
    "     else\n",
    "     {\n",
    "       if(NbStateFound==0L)\n",
    "       {\n",
    "         if(OldState==-1L)\n",
    "           _vxk_illegal_transition(0x%lx, _VXK_CLASS_FILE_CLS);\n",
    "         else\n",
    "           _vxk_illegal_transition(StateChart[OldState].Id, _VXK_CLASS_FILE_CLS);\n",
    "       }\n",
    "       else\n",
    "       {\n",
    "         if(OldState==-1L)\n",
    "           _vxk_multiple_transitions(0x%lx, _VXK_CLASS_FILE_CLS);\n",
    "         else\n",
    "           _vxk_multiple_transitions(StateChart[OldState].Id, _VXK_CLASS_FILE_CLS);\n",
    "       }\n",
    "\n",
    "       _vxk_state = -1L;\n",
    "     }\n",
    "\n",
};
static_assert(std::size(STATE_BODY) == 56);

const char* expression_closer() { return the_options->no_line_directives ? ") , " : "\n) , "; }

void checksum_section(const Component* x) {
    const FileRecord* r = find_file_record(*the_options, x->file_no);
    emit_instrumentation(oti::CHECKSUM.line);
    emit_instrumentationf("0x%x 0x%x\n", r ? r->sum_a : 0u, r ? r->sum_b : 0u);
}

// "<call>( (" directive expression closer "0x<id>, <file macro>);".
void emit_assertion(const char* call, const Component* c, const char* file_macro) {
    emit_instrumentation(call);
    emit_instrumentation("( (");
    instrumentation_line_to_source(c);
    emit_instrumentation(interned_view(c->name));
    emit_instrumentation(expression_closer());
    emit_instrumentationf("0x%lx, %s);\n", id_of(c), file_macro);
    emit_instrumentation("\n");
}

int emit_wrap(const Component* w) {
    emit_instrumentation(oti::WRAP.line);
    emit_instrumentation(interned_view(w->name));
    emit_instrumentation("\n");
    source_line_section(w);
    emit_instrumentation("\n");
    for (const Component* c = w->first_child; c; c = c->next_sibling) {
        if (c->kind == KIND_REQUIRE) {
            emit_instrumentation(oti::PRECONDITION.line);
            emit_assertion("_vxk_assert_pre_cond", c, "_VXK_CLASS_FILE_ACM");
        } else if (c->kind == KIND_ENSURE) {
            emit_instrumentation(oti::POSTCONDITION.line);
            emit_assertion("_vxk_assert_post_cond", c, "_VXK_CLASS_FILE_ACM");
        } else {
            return unknown_component(c);
        }
    }
    return 0;
}

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

// @SCF@: one transition table per state (the state itself first), then the chart.
void emit_state_tables(const Component* c, const std::vector<const Component*>& states) {
    std::unordered_map<const char*, std::vector<const Component*>> leaving;  // by source name
    for (const Component* t = c->first_child; t; t = t->next_sibling)
        if (const TransitionDetail* d = transition_detail(t))
            leaving[d->source].push_back(t);
    emit_instrumentation(oti::STATE_TABLES.line);
    for (const Component* s : states) {
        const UmlStateDetail* d = uml_state_detail(s);
        emit_instrumentationf(
            "     _VXK_STATIC_CONST vxk_TransDesc Trans_%s[%ld] = { {0x%lx, %ldL}", s->name,
            static_cast<long>(d->transition_count) + 1, id_of(s), static_cast<long>(d->state_number));
        auto it = leaving.find(s->name);
        for (const Component* t : it != leaving.end() ? it->second : std::vector<const Component*>{}) {
            const Component* to = transition_detail(t)->resolved_destination;
            emit_instrumentationf(", {0x%lx, %ldL}", id_of(t),
                                  to ? static_cast<long>(uml_state_detail(to)->state_number) : -1L);
        }
        emit_instrumentation(" };\n");
    }
    const long count = static_cast<long>(states.size());
    emit_instrumentation("\n");
    emit_instrumentationf("     _VXK_STATIC_CONST _vxk_StateType _VEX_NbState = %ldL;\n", count);
    emit_instrumentationf("     _VXK_STATIC_CONST vxk_StateDesc StateChart[%ldL] = {", count);
    for (const Component* s : states) {
        emit_instrumentation(s == states.front() ? "\n" : ",\n");
        emit_instrumentation(blanks(56));
        emit_instrumentationf("{(_vxk_Car*)\"%s\", 0x%lx, %ld, Trans_%s}", s->name, id_of(s),
                              static_cast<long>(uml_state_detail(s)->transition_count) + 1,
                              s->name);
    }
    emit_instrumentation("\n" + blanks(54) + "};\n");
    emit_instrumentation("\n");
}

// @SCK@: the switch that tells whether the object is in a given state.
int emit_state_check(const std::vector<const Component*>& states) {
    const bool directives_off = the_options->no_line_directives;
    emit_instrumentation(oti::STATE_CHECK.line);
    emit_instrumentation("     _vxk_Boolean Res = _xrl_false;\n");
    emit_instrumentation("\n");
    emit_instrumentation("     switch(State)\n");
    emit_instrumentation("     {\n");
    for (const Component* s : states) {
        emit_instrumentationf("           case %ldL : if( ",
                              static_cast<long>(uml_state_detail(s)->state_number));
        for (const Component* e = s->first_child; e; e = e->next_sibling) {
            if (e->kind != KIND_EXPRESSION)
                return unknown_component(e);
            emit_instrumentation(e == s->first_child ? "( " : "\n                       && ( ");
            instrumentation_line_to_source(e);
            emit_instrumentation(interned_view(e->name));
            emit_instrumentation(directives_off ? " )" : "\n)");
        }
        emit_instrumentation(" )\n");
        emit_instrumentation("                       Res=_xrl_true;\n");
        emit_instrumentation("                     break;\n");
    }
    emit_instrumentation("     }\n");
    emit_instrumentation("     return(Res);\n");
    emit_instrumentation("\n");
    return 0;
}

int emit_state_chart(const Component* c, const std::vector<const Component*>& states) {
    emit_state_tables(c, states);
    const unsigned long report_id = id_of(c) + keys::STATE_REPORT_OFFSET;
    emit_instrumentation(oti::STATE_BODY.line);
    for (const char* line : STATE_BODY) {
        if (std::string_view(line).find("%lx") != std::string_view::npos)
            emit_instrumentationf(line, report_id);
        else
            emit_instrumentation(line);
    }
    return emit_state_check(states);
}

}  // namespace

void source_line_section(const Component* x) {
    emit_instrumentation(oti::SOURCE_LINE.line);
    emit_instrumentationf("%s:%lu\n", x->file ? x->file : "",
                          static_cast<unsigned long>(x->first_line));
}

int gen_class_section(Component* c) {
    if (!c)
        return null_component(nullptr);
    emit_instrumentation(c->kind == KIND_SINGLE_CLASS ? oti::SINGLE_CLASS.line : oti::CLASS.line);
    emit_instrumentation(interned_view(c->name));
    emit_instrumentation("\n");
    source_line_section(c);
    checksum_section(c);
    emit_instrumentation(oti::CLASS_ID.line);
    emit_instrumentationf("0x%lx\n", id_of(c));
    emit_instrumentation("\n");
    std::vector<const Component*> states;
    for (Component* child = c->first_child; child; child = child->next_sibling) {
        switch (child->kind) {
        case KIND_INVARIANT:
            emit_instrumentation(oti::INVARIANT.line);
            emit_assertion("_vxk_assert_invariant", child, "_VXK_CLASS_FILE_CLS");
            break;
        case KIND_WRAP:
            if (emit_wrap(child) < 0)
                return -1;
            break;
        case KIND_UML_STATE:
            uml_state_detail(child)->state_number = static_cast<int>(states.size());
            states.push_back(child);
            break;
        case KIND_TRANSITION:
            if (Component* from = transition_detail(child)->resolved_source)
                ++uml_state_detail(from)->transition_count;
            break;
        default:
            return unknown_component(child);
        }
    }
    return states.empty() ? 0 : emit_state_chart(c, states);
}
