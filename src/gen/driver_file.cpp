// gen/driver_file.cpp: the order of generation and the fixed parts of the driver file:
// header, the test class with its run method, the state machine blocks and `main`.
#include "gen/generator.h"

#include <new>

#include "errors/report.h"
#include "fi/files.h"
#include "fi/names.h"
#include "formats/instrumentation.h"
#include "formats/keys.h"
#include "gen/component_emitters.h"
#include "utils/paths.h"

namespace {

constexpr Row HEADER_TOP[] = {
    {0, "\n"},
    {0, "#define _VEX_GENERATED_FILE       (1)\n"},
    {0, "#define USE_VEX                   (1)\n"},
    {0, "\n"},
    {0, "#pragma zentor vex_generated\n"},
    {0, "\n"},
};

constexpr Row HEADER_STATES[] = {
    {0, "\n"},
    {0, "#define _VEX_St_Begin              (0L)\n"},
    {0, "#define _VEX_St_OnError            (1L)\n"},
    {0, "#define _VEX_St_GoToNextComponent  (2L)\n"},
    {0, "#define _VEX_St_End                (3L)\n"},
    {0, "\n"},
};

constexpr Row CLASS_HEAD[] = {
    {0, "\n\n"},
    {0, "class _VEX_TestClass\n"},
    {0, "{\n"},
    {1, "private: _vex_Int  argc;\n"},
    {1, "         _vex_Car **argv;\n"},
    {0, "\n"},
    {1, "public : _VEX_TestClass(_vex_Int p_argc, _vex_Car *p_argv[]) "
        "{this->argc = p_argc; this->argv = p_argv;}\n"},
    {1, "         _vex_Int _VEX_Run();\n"},
    {0, "};\n"},
    {0, "\n\n"},
    {0, "_vex_Int _VEX_TestClass::_VEX_Run()\n"},
    {0, "{\n"},
    {1, "_vex_Int _VEX_OnErrorEngaged = 0;\n"},
    {1, "_vex_Id _VEX_BypassComponent = 0L;\n"},
    {1, "_vex_Int _VEX_DumpAuthorization = 0;\n"},
    {0, "\n\n"},
};

constexpr Row CLASS_TAIL_MAIN_HEAD[] = {
    {0, "\n\n"},
    {0, "   _VEX_DODEVURA_DUMP;\n"},
    {0, "   return(0);\n"},
    {0, "}\n"},
    {0, "\n\n"},
    {0, "#ifndef TRVO_MAIN_HEADER\n"},
    {0, "_vex_Int main(_vex_Int argc, _vex_Car *argv[])\n"},
    {0, "{\n"},
    {0, "#else\n"},
    {0, "TRVO_MAIN_HEADER\n"},
    {0, "#endif\n\n"},
    {1, "_VEX_TestClass _VEX_TCL(argc, argv);\n"},
    {0, "\n"},
};

constexpr Row MAIN_TAIL[] = {
    {1, "_VEX_TCL._VEX_Run();\n"},
    {0, "\n"},
    {1, "_vex_term();\n\n"},
    {0, "#ifdef TRVO_MAIN_RETURN\n"},
    {1, "TRVO_MAIN_RETURN\n"},
    {0, "#else\n"},
    {1, "return(0);\n"},
    {0, "#endif\n\n"},
    {0, "}\n"},
    {0, "\n\n"},
};

constexpr Row BLOCK_OPEN[] = {
    {0, "{\n"},
    {0, "_vex_Int _VEX_Finish=0;\n"},
    {0, "_vex_Ulong _VEX_NextState=_VEX_St_Begin;\n"},
    {0, "_vex_Ulong _VEX_CurrentState=_VEX_NextState;\n"},
    {0, "while(!_VEX_Finish)\n"},
    {0, "{\n"},
    {0, "switch(_VEX_CurrentState)\n"},
    {0, "{\n"},
    {0, "case _VEX_St_Begin : { /* BEGIN */\n"},
};

constexpr Row BEGIN_TAIL[] = {
    {1, "_VEX_CurrentState=_VEX_NextState;\n"},
    {1, "} break; /* BEGIN */\n\n"},
};

// The GoToNextComponent case around its two lines that depend on the owner.
constexpr Row GO_TO_NEXT_HEAD[] = {
    {0, "case _VEX_St_GoToNextComponent : {\n"},
    {1, "if(_VEX_OnErrorEngaged)\n"},
    {1, "{\n"},
    {2, "if(!_VEX_BypassComponent)\n"},
    {2, "{\n"},
    {3, "_VEX_OnErrorEngaged=0;\n"},
};
constexpr Row GO_TO_NEXT_MIDDLE[] = {
    {2, "}\n"},
    {2, "else\n"},
    {2, "{\n"},
};
constexpr Row GO_TO_NEXT_TAIL[] = {
    {4, "_VEX_NextState = _VEX_St_End;\n"},
    {3, "}\n"},
    {3, "else\n"},
    {3, "{\n"},
    {4, "_VEX_NextState = _VEX_St_End;\n"},
    {3, "}\n"},
    {2, "}\n"},
    {1, "}\n"},
    {1, "_VEX_CurrentState = _VEX_NextState;\n"},
    {1, "} break;\n\n"},
};

constexpr Row FINAL_CASE_TAIL[] = {
    {1, "_VEX_NextState=_VEX_St_End;\n"},
    {1, "_VEX_CurrentState=_VEX_NextState;\n"},
    {1, "} break;\n\n"},
    {0, "case _VEX_St_End : { /* END */\n"},
    {1, "_VEX_Finish=1;\n"},
    {1, "} break; /* END */\n"},
    {0, "} /* end of switch */\n"},
    {0, "} /* end of while*/\n"},
    {0, "} /* end of bloc */\n\n"},
};

void emit_include_line(Generation& g) {
    const Options& o = *g.options;
    const std::string tp = std::string("lib") + PATH_SEPARATOR + "TP.h";
    if (o.no_path) {
        emitf(g, 0, "#include \"%s\" /* %s Target Package */\n", "TP.h", o.feature_name);
    } else if (!o.target_dir) {
        emitf(g, 0, "#include \"%s\" /* %s Target Package */\n", tp.c_str(), o.feature_name);
    } else {
        const std::string_view dir = interned_view(o.target_dir);
        const char* between = !dir.empty() && dir.back() == PATH_SEPARATOR ? "" : "/";
        emitf(g, 0, "#include \"%s%s%s\" /* %s Target Package */\n", o.target_dir, between,
              tp.c_str(), o.feature_name);
    }
}

void emit_header(Generation& g) {
    g.driver_line = 1;
    g.driver_counted = g.driver_text.size();
    emit_rows(g, 0, HEADER_TOP);
    emit_include_line(g);
    emit_rows(g, 0, HEADER_STATES);
    emitf(g, 0, "_vex_Int _VEX_FileIdList[%u];\n", static_cast<unsigned>(g.options->file_count));
    emit(g, 0, "\n\n");
}

// _vex_init with the -TDF name and the three identifier offsets, then every script's
// registration with the checksum pair its listings left.
void emit_runtime_init(Generation& g) {
    emitf(g, 1, "_vex_init((_vex_Car*)\"%s\", 0x%lx, 0x%lx, 0x%lx);\n",
          literal_text(g.options->tdf_name ? g.options->tdf_name : "").c_str(),
          keys::ITEM_OFFSET, keys::MESSAGE_OFFSET, keys::TEXT_OFFSET);
    for (const FileRecord* r = g.options->file_table; r; r = r->next)
        emitf(g, 1, "_VEX_FileIdList[0x%x] = _vex_add_source_file(0x%x, 0x%x);\n",
              static_cast<unsigned>(r->file_no - 1), r->sum_a, r->sum_b);
    emit(g, 0, "\n");
    emit(g, 0, "#pragma zentor testing_tool_call_place\n");
    emit(g, 0, "\n");
}

int top_level_component(Generation& g, const Component* c, bool* stubs_met) {
    switch (c->kind) {
    case KIND_TEST_CLASS: case KIND_TEST_SUITE: case KIND_INCLUDE: case KIND_ON_ERROR:
    case KIND_CPP_COMMENT: case KIND_C_COMMENT:
        return 0;  // test components are reached through the RUN
    case KIND_RUN:
        return gen_main_program(g, c);
    case KIND_CLASS: case KIND_SINGLE_CLASS:
        return gen_class_section(g, c);
    case KIND_STUB:
        *stubs_met = true;
        return 0;
    default:
        return is_native(c->kind) ? gen_native(g, c, 0) : unknown_component(c);
    }
}

int generate_everything(Generation& g, const Component* root) {
    const Options& o = *g.options;
    if (open_generated_file(g.driver, o.output_name, MODE_DRIVER) < 0) {
        report_error(MSG_CANNOT_CREATE, {}, arg_text(o.output_name));
        return -1;
    }
    if (open_generated_file(g.instrumentation, o.oti_name, MODE_OTI) < 0) {
        report_error(MSG_CANNOT_CREATE, {}, arg_text(o.oti_name));
        return -1;
    }
    if (!o.no_line_directives) {
        emit_instrumentation(g, oti::LINE_DIRECTIVES.line);
        emit_instrumentation(g, "\n");
    }
    emit_header(g);
    gen_declarations(g, root);
    for (const Component* c = root->first_child; c; c = c->next_sibling)
        if (c->kind == KIND_STUB && gen_stub_body(g, c) < 0)
            return -1;
    bool stubs_met = false;
    for (const Component* c = root->first_child; c; c = c->next_sibling)
        if (top_level_component(g, c, &stubs_met) < 0)
            return -1;
    if (stubs_met)
        for (const Component* c = root->first_child; c; c = c->next_sibling)
            if (c->kind == KIND_STUB)
                write_stub_texts(g, c);
    return 0;
}

// Closes both files: with `keep`, each takes its final name (write errors are reported
// with 43/44 and count as failure); otherwise neither is left behind. 0 or -1.
int finish_generated_files(Generation& g, bool keep) {
    if (keep)
        flush_generated_text(g, true);
    // Both are closed first, so that neither takes its final name unless both were
    // written completely.
    const bool driver_closed = close_generated_file(g.driver) == 0;
    const bool instrumentation_closed = close_generated_file(g.instrumentation) == 0;
    bool kept = keep && driver_closed && instrumentation_closed;
    kept = commit_generated_file(g.driver, kept) == 0 && kept;
    kept = commit_generated_file(g.instrumentation, kept) == 0 && kept;
    return kept || !keep ? 0 : -1;
}

}  // namespace

int generate_files(const Options& options, const Component* root) {
    if (!root)
        return -1;
    Generation g;
    g.options = &options;
    try {
        const int generated = generate_everything(g, root);
        const bool keep = generated == 0 && error_count == 0;
        return finish_generated_files(g, keep) == 0 && keep ? 0 : -1;
    } catch (const std::bad_alloc&) {
        g.capture = nullptr;
        finish_generated_files(g, false);
        report_error(MSG_NO_FREE_MEMORY);
        return -1;
    }
}

int gen_main_program(Generation& g, const Component* run) {
    emit_rows(g, 0, CLASS_HEAD);
    const unsigned long saved_index = g.state_index;
    g.state_index = 0;
    if (const Component* on_error = first_children(g, run->parent).on_error)
        g.active_on_error = on_error;
    open_block(g, 1);
    for (const Component* e = run->first_child; e; e = e->next_sibling) {
        if (e->kind != KIND_RUN_ELEMENT)
            return unknown_component(e);
        if (gen_run_element(g, e, 1) < 0)
            return -1;
    }
    close_block(g, run->parent, 1);
    g.state_index = saved_index;
    emit_rows(g, 0, CLASS_TAIL_MAIN_HEAD);
    emit_runtime_init(g);
    emit_rows(g, 0, MAIN_TAIL);
    g.active_on_error = nullptr;
    return 0;
}

void open_block(Generation& g, int depth) {
    emit_rows(g, depth, BLOCK_OPEN);
    emitf(g, depth + 1, "_VEX_NextState=0x%lx;\n", 0x100 + g.state_index);
    emit_rows(g, depth, BEGIN_TAIL);
}

void open_component_case(Generation& g, const Component* c, int depth) {
    emitf(g, depth, "case 0x%lx : { /* OTL Elem 0x%lx */\n", 0x100 + g.state_index,
          0x100 + id_of(c));
    ++g.state_index;
    emitf(g, depth + 1, "_VEX_NextState=0x%lx;\n", 0x100 + g.state_index);
    emit(g, depth + 1, "_VEX_CurrentState=_VEX_St_GoToNextComponent;\n");
}

void close_component_case(Generation& g, int depth) {
    emitf(g, depth + 1, "} break; /* case 0x%lx */\n\n", 0x100 + g.state_index - 1);
}

// GoToNextComponent for the block's owner (the root for the main program), then the
// case after the last component, the END case and the block's closing braces.
void close_block(Generation& g, const Component* owner, int depth) {
    const bool root = owner->kind == KIND_ROOT;
    emit_rows(g, depth, GO_TO_NEXT_HEAD);
    if (root)
        emit(g, depth + 3, "_vex_exit_error(0x0);\n");
    else
        emitf(g, depth + 3, "_vex_exit_error(0x%lx);\n", id_of(owner));
    emit_rows(g, depth, GO_TO_NEXT_MIDDLE);
    emitf(g, depth + 3, "if(_VEX_BypassComponent==0x%lx)\n", id_of(owner));
    emit(g, depth + 3, "{\n");
    if (root) {
        emit(g, depth + 4, "_VEX_OnErrorEngaged=0;\n");
        emit(g, depth + 4, "_vex_exit_error(0x0);\n");
    } else {
        emit(g, depth + 4, "_VEX_BypassComponent=0x0;\n");
    }
    emit_rows(g, depth, GO_TO_NEXT_TAIL);
    emitf(g, depth, "case 0x%lx : {\n", 0x100 + g.state_index);
    emit_rows(g, depth, FINAL_CASE_TAIL);
}

namespace {

// Blocks this small are scanned each time: remembering them would cost a map entry per
// TEST CASE, more than the scan.
constexpr int SMALL_BLOCK = 8;

void find_first_children(const Component* c, FirstChildren* f) {
    for (const Component* child = c->first_child; child; child = child->next_sibling) {
        const Component** slot = child->kind == KIND_ON_ERROR   ? &f->on_error
                           : child->kind == KIND_PROLOGUE ? &f->prologue
                           : child->kind == KIND_EPILOGUE ? &f->epilogue
                           : child->kind == KIND_RUN      ? &f->run
                                                          : nullptr;
        if (slot && !*slot)
            *slot = child;
    }
}

}  // namespace

FirstChildren first_children(Generation& g, const Component* c) {
    int children = 0;
    for (const Component* s = c->first_child; s && children <= SMALL_BLOCK; s = s->next_sibling)
        ++children;
    FirstChildren f;
    if (children <= SMALL_BLOCK) {
        find_first_children(c, &f);
        return f;
    }
    auto [it, inserted] = g.first_children.try_emplace(c);
    if (inserted)
        find_first_children(c, &it->second);
    return it->second;
}
