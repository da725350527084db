// gen/instrumentation.cpp: the class sections of the instrumentation file: for every
// contract-check class its name, script line, checksum pair and id, its invariants and
// wrapped methods, and, when it has UML states, the state chart tables, the body that
// follows the transitions and the state-check switch.
#include <string>
#include <unordered_map>
#include <vector>

#include "fi/files.h"
#include "fi/names.h"
#include "formats/instrumentation.h"
#include "formats/keys.h"
#include "gen/component_emitters.h"

namespace {

// The state-transition body after its marker, around the two lines that name the class's state
// report id (the report when no state was known before).
constexpr const char* STATE_BODY_HEAD[] = {
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
};
constexpr const char* STATE_BODY_MIDDLE[] = {
    "         else\n",
    "           _vxk_illegal_transition(StateChart[OldState].Id, _VXK_CLASS_FILE_CLS);\n",
    "       }\n",
    "       else\n",
    "       {\n",
    "         if(OldState==-1L)\n",
};
constexpr const char* STATE_BODY_TAIL[] = {
    "         else\n",
    "           _vxk_multiple_transitions(StateChart[OldState].Id, _VXK_CLASS_FILE_CLS);\n",
    "       }\n",
    "\n",
    "       _vxk_state = -1L;\n",
    "     }\n",
    "\n",
};

// The state-check switch around its cases, and the end of each case.
constexpr const char* STATE_CHECK_HEAD[] = {
    "     _vxk_Boolean Res = _xrl_false;\n",
    "\n",
    "     switch(State)\n",
    "     {\n",
};
constexpr const char* STATE_CASE_TAIL[] = {
    " )\n",
    "                       Res=_xrl_true;\n",
    "                     break;\n",
};
constexpr const char* STATE_CHECK_TAIL[] = {
    "     }\n",
    "     return(Res);\n",
    "\n",
};

template <std::size_t N>
void emit_instrumentation_lines(Generation& g, const char* const (&lines)[N]) {
    for (const char* line : lines)
        emit_instrumentation(g, line);
}

const char* expression_closer(const Generation& g) { return directives_off(g) ? ") , " : "\n) , "; }

void checksum_section(Generation& g, const Component* x) {
    const FileRecord* r = find_file_record(*g.options, x->file_no);
    emit_instrumentation(g, oti::CHECKSUM.line);
    emit_instrumentationf(g, "0x%x 0x%x\n", r ? r->sum_a : 0u, r ? r->sum_b : 0u);
}

// "<call>( (" directive expression closer "0x<id>, <file macro>);".
void emit_assertion(Generation& g, const char* call, const Component* c, const char* file_macro) {
    emit_instrumentation(g, call);
    emit_instrumentation(g, "( (");
    instrumentation_line_to_source(g, c);
    emit_instrumentation(g, interned_view(c->name));
    emit_instrumentation(g, expression_closer(g));
    emit_instrumentationf(g, "0x%lx, %s);\n", id_of(c), file_macro);
    emit_instrumentation(g, "\n");
}

int emit_wrap(Generation& g, const Component* w) {
    emit_instrumentation(g, oti::WRAP.line);
    emit_instrumentation(g, interned_view(w->name));
    emit_instrumentation(g, "\n");
    source_line_section(g, w);
    emit_instrumentation(g, "\n");
    for (const Component* c = w->first_child; c; c = c->next_sibling) {
        if (c->kind == KIND_REQUIRE) {
            emit_instrumentation(g, oti::PRECONDITION.line);
            emit_assertion(g, "_vxk_assert_pre_cond", c, "_VXK_CLASS_FILE_ACM");
        } else if (c->kind == KIND_ENSURE) {
            emit_instrumentation(g, oti::POSTCONDITION.line);
            emit_assertion(g, "_vxk_assert_post_cond", c, "_VXK_CLASS_FILE_ACM");
        } else {
            return unknown_component(c);
        }
    }
    return 0;
}

// A class's UML states in order, each with its number and its transitions counted:
// numbered here, never written into the tree.
struct StateInfo {
    long number = 0;
    long transitions = 0;  // leaving it
};
struct Chart {
    std::vector<const Component*> states;
    std::unordered_map<const Component*, StateInfo> info;
};

std::string blanks(int count) { return std::string(static_cast<std::size_t>(count), ' '); }

// @SCF@: one transition table per state (the state itself first), then the chart.
void emit_state_tables(Generation& g, const Component* c, Chart& chart) {
    const std::vector<const Component*>& states = chart.states;
    std::unordered_map<const char*, std::vector<const Component*>> leaving;  // by source name
    for (const Component* t = c->first_child; t; t = t->next_sibling)
        if (const TransitionDetail* d = transition_detail(t))
            leaving[d->source].push_back(t);
    emit_instrumentation(g, oti::STATE_TABLES.line);
    for (const Component* s : states) {
        const StateInfo& d = chart.info[s];
        emit_instrumentationf(
            g, "     _VXK_STATIC_CONST vxk_TransDesc Trans_%s[%ld] = { {0x%lx, %ldL}", s->name,
            d.transitions + 1, id_of(s), d.number);
        auto it = leaving.find(s->name);
        for (const Component* t :
             it != leaving.end() ? it->second : std::vector<const Component*>{}) {
            const Component* to = transition_detail(t)->resolved_destination;
            emit_instrumentationf(g, ", {0x%lx, %ldL}", id_of(t), to ? chart.info[to].number : -1L);
        }
        emit_instrumentation(g, " };\n");
    }
    const long count = static_cast<long>(states.size());
    emit_instrumentation(g, "\n");
    emit_instrumentationf(g, "     _VXK_STATIC_CONST _vxk_StateType _VEX_NbState = %ldL;\n", count);
    emit_instrumentationf(g, "     _VXK_STATIC_CONST vxk_StateDesc StateChart[%ldL] = {", count);
    for (const Component* s : states) {
        emit_instrumentation(g, s == states.front() ? "\n" : ",\n");
        emit_instrumentation(g, blanks(56));
        emit_instrumentationf(g, "{(_vxk_Car*)\"%s\", 0x%lx, %ld, Trans_%s}", s->name, id_of(s),
                              chart.info[s].transitions + 1, s->name);
    }
    emit_instrumentation(g, "\n" + blanks(54) + "};\n");
    emit_instrumentation(g, "\n");
}

// @SCK@: the switch that tells whether the object is in a given state.
int emit_state_check(Generation& g, Chart& chart) {
    emit_instrumentation(g, oti::STATE_CHECK.line);
    emit_instrumentation_lines(g, STATE_CHECK_HEAD);
    for (const Component* s : chart.states) {
        emit_instrumentationf(g, "           case %ldL : if( ", chart.info[s].number);
        for (const Component* e = s->first_child; e; e = e->next_sibling) {
            if (e->kind != KIND_EXPRESSION)
                return unknown_component(e);
            emit_instrumentation(g, e == s->first_child ? "( " : "\n                       && ( ");
            instrumentation_line_to_source(g, e);
            emit_instrumentation(g, interned_view(e->name));
            emit_instrumentation(g, directives_off(g) ? " )" : "\n)");
        }
        emit_instrumentation_lines(g, STATE_CASE_TAIL);
    }
    emit_instrumentation_lines(g, STATE_CHECK_TAIL);
    return 0;
}

int emit_state_chart(Generation& g, const Component* c, Chart& chart) {
    emit_state_tables(g, c, chart);
    const unsigned long report_id = id_of(c) + keys::STATE_REPORT_OFFSET;
    emit_instrumentation(g, oti::STATE_BODY.line);
    emit_instrumentation_lines(g, STATE_BODY_HEAD);
    emit_instrumentationf(g, "           _vxk_illegal_transition(0x%lx, _VXK_CLASS_FILE_CLS);\n",
                          report_id);
    emit_instrumentation_lines(g, STATE_BODY_MIDDLE);
    emit_instrumentationf(g, "           _vxk_multiple_transitions(0x%lx, _VXK_CLASS_FILE_CLS);\n",
                          report_id);
    emit_instrumentation_lines(g, STATE_BODY_TAIL);
    return emit_state_check(g, chart);
}

}  // namespace

void source_line_section(Generation& g, const Component* x) {
    emit_instrumentation(g, oti::SOURCE_LINE.line);
    emit_instrumentationf(g, "%s:%lu\n", x->file ? x->file : "",
                          static_cast<unsigned long>(x->first_line));
}

int gen_class_section(Generation& g, const Component* c) {
    if (!c)
        return null_component(nullptr);
    emit_instrumentation(g,
                         c->kind == KIND_SINGLE_CLASS ? oti::SINGLE_CLASS.line : oti::CLASS.line);
    emit_instrumentation(g, interned_view(c->name));
    emit_instrumentation(g, "\n");
    source_line_section(g, c);
    checksum_section(g, c);
    emit_instrumentation(g, oti::CLASS_ID.line);
    emit_instrumentationf(g, "0x%lx\n", id_of(c));
    emit_instrumentation(g, "\n");
    Chart chart;
    for (const Component* child = c->first_child; child; child = child->next_sibling) {
        switch (child->kind) {
        case KIND_INVARIANT:
            emit_instrumentation(g, oti::INVARIANT.line);
            emit_assertion(g, "_vxk_assert_invariant", child, "_VXK_CLASS_FILE_CLS");
            break;
        case KIND_WRAP:
            if (emit_wrap(g, child) < 0)
                return -1;
            break;
        case KIND_UML_STATE:
            chart.info[child].number = static_cast<long>(chart.states.size());
            chart.states.push_back(child);
            break;
        case KIND_TRANSITION:
            if (const Component* from = transition_detail(child)->resolved_source)
                ++chart.info[from].transitions;
            break;
        default:
            return unknown_component(child);
        }
    }
    return chart.states.empty() ? 0 : emit_state_chart(g, c, chart);
}
