// gen/driver_file.cpp: the order of generation and the fixed parts of the driver file:
// header, the test class with its run method, the state machine blocks and `main`.
#include <new>

#include "driver/options.h"
#include "errors/report.h"
#include "fi/files.h"
#include "fi/names.h"
#include "formats/instrumentation.h"
#include "formats/keys.h"
#include "gen/emitters.h"
#include "gen/generator.h"
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

void emit_include_line() {
    const Options& o = *the_options;
    const std::string tp = std::string("lib") + PATH_SEPARATOR + "TP.h";
    if (o.no_path) {
        emitf(0, "#include \"%s\" /* %s Target Package */\n", "TP.h", o.feature_name);
    } else if (!o.target_dir) {
        emitf(0, "#include \"%s\" /* %s Target Package */\n", tp.c_str(), o.feature_name);
    } else {
        const std::string_view dir = interned_view(o.target_dir);
        const char* between = !dir.empty() && dir.back() == PATH_SEPARATOR ? "" : "/";
        emitf(0, "#include \"%s%s%s\" /* %s Target Package */\n", o.target_dir, between,
              tp.c_str(), o.feature_name);
    }
}

void emit_header() {
    gen().driver_line = 1;
    gen().driver_counted = gen().driver_text.size();
    emit_rows(0, HEADER_TOP);
    emit_include_line();
    emit_rows(0, HEADER_STATES);
    emitf(0, "_vex_Int _VEX_FileIdList[%u];\n", static_cast<unsigned>(the_options->file_count));
    emit(0, "\n\n");
}

// _vex_init with the -TDF name and the three identifier offsets, then every script's
// registration with the checksum pair its listings left.
void emit_runtime_init() {
    emitf(1, "_vex_init((_vex_Car*)\"%s\", 0x%lx, 0x%lx, 0x%lx);\n",
          literal_text(the_options->tdf_name ? the_options->tdf_name : "").c_str(),
          keys::ITEM_OFFSET, keys::MESSAGE_OFFSET, keys::TEXT_OFFSET);
    for (const FileRecord* r = the_options->file_table; r; r = r->next)
        emitf(1, "_VEX_FileIdList[0x%x] = _vex_add_source_file(0x%x, 0x%x);\n",
              static_cast<unsigned>(r->file_no - 1), r->sum_a, r->sum_b);
    emit(0, "\n");
    emit(0, "#pragma zentor testing_tool_call_place\n");
    emit(0, "\n");
}

int top_level_component(Component* c, bool* stubs_met) {
    switch (c->kind) {
    case KIND_TEST_CLASS: case KIND_TEST_SUITE: case KIND_INCLUDE: case KIND_ON_ERROR:
    case KIND_CPP_COMMENT: case KIND_C_COMMENT:
        return 0;  // test components are reached through the RUN
    case KIND_RUN:
        return gen_main_program(c);
    case KIND_CLASS: case KIND_SINGLE_CLASS:
        return gen_class_section(c);
    case KIND_STUB:
        *stubs_met = true;
        return 0;
    default:
        return is_native(c->kind) ? gen_native(c, 0) : unknown_component(c);
    }
}

int generate_everything(Component* root) {
    Options& o = *the_options;
    Generation& g = gen();
    if (open_generated_file(g.driver, o.output_name, MODE_DRIVER) < 0) {
        report_error(MSG_CANNOT_CREATE, {}, arg_text(o.output_name));
        return -1;
    }
    if (open_generated_file(g.instrumentation, o.oti_name, MODE_OTI) < 0) {
        report_error(MSG_CANNOT_CREATE, {}, arg_text(o.oti_name));
        return -1;
    }
    if (!o.no_line_directives) {
        emit_instrumentation(oti::LINE_DIRECTIVES.line);
        emit_instrumentation("\n");
    }
    emit_header();
    gen_declarations(root);
    for (Component* c = root->first_child; c; c = c->next_sibling) {
        if (c->kind == KIND_STUB && gen_stub_body(c) < 0) {
            o.capture_text = nullptr;
            return -1;
        }
    }
    bool stubs_met = false;
    for (Component* c = root->first_child; c; c = c->next_sibling)
        if (top_level_component(c, &stubs_met) < 0)
            return -1;
    if (stubs_met)
        for (const Component* c = root->first_child; c; c = c->next_sibling)
            if (c->kind == KIND_STUB)
                write_stub_texts(c);
    return 0;
}

}  // namespace

int generate_driver(Component* root) {
    if (!the_options || !root)
        return -1;
    reset_generation();
    try {
        return generate_everything(root);
    } catch (const std::bad_alloc&) {
        the_options->capture_text = nullptr;
        report_error(MSG_NO_FREE_MEMORY);
        return -1;
    }
}

int finish_generated_files(bool keep) {
    Generation& g = gen();
    if (keep)
        flush_generated_text(true);
    // Both are closed first, so that neither takes its final name unless both were
    // written completely.
    const bool driver_closed = close_generated_file(g.driver) == 0;
    const bool instrumentation_closed = close_generated_file(g.instrumentation) == 0;
    bool kept = keep && driver_closed && instrumentation_closed;
    kept = commit_generated_file(g.driver, kept) == 0 && kept;
    kept = commit_generated_file(g.instrumentation, kept) == 0 && kept;
    reset_generation();
    return kept || !keep ? 0 : -1;
}

int gen_main_program(Component* run) {
    Generation& g = gen();
    emit_rows(0, CLASS_HEAD);
    const unsigned long saved_index = g.state_index;
    g.state_index = 0;
    if (Component* on_error = first_children(run->parent).on_error)
        g.active_on_error = on_error;
    open_block(1);
    for (Component* e = run->first_child; e; e = e->next_sibling) {
        if (e->kind != KIND_RUN_ELEMENT)
            return unknown_component(e);
        if (gen_run_element(e, 1) < 0)
            return -1;
    }
    close_block(run->parent, 1);
    g.state_index = saved_index;
    emit_rows(0, CLASS_TAIL_MAIN_HEAD);
    emit_runtime_init();
    emit_rows(0, MAIN_TAIL);
    g.active_on_error = nullptr;
    return 0;
}

void open_block(int depth) {
    emit_rows(depth, BLOCK_OPEN);
    emitf(depth + 1, "_VEX_NextState=0x%lx;\n", 0x100 + gen().state_index);
    emit_rows(depth, BEGIN_TAIL);
}

void open_component_case(const Component* c, int depth) {
    Generation& g = gen();
    emitf(depth, "case 0x%lx : { /* OTL Elem 0x%lx */\n", 0x100 + g.state_index,
          0x100 + id_of(c));
    ++g.state_index;
    emitf(depth + 1, "_VEX_NextState=0x%lx;\n", 0x100 + g.state_index);
    emit(depth + 1, "_VEX_CurrentState=_VEX_St_GoToNextComponent;\n");
}

void close_component_case(int depth) {
    emitf(depth + 1, "} break; /* case 0x%lx */\n\n", 0x100 + gen().state_index - 1);
}

// GoToNextComponent for the block's owner (the root for the main program), then the
// case after the last component, the END case and the block's closing braces.
void close_block(const Component* owner, int depth) {
    const bool root = owner->kind == KIND_ROOT;
    emit_rows(depth, GO_TO_NEXT_HEAD);
    if (root)
        emit(depth + 3, "_vex_exit_error(0x0);\n");
    else
        emitf(depth + 3, "_vex_exit_error(0x%lx);\n", id_of(owner));
    emit_rows(depth, GO_TO_NEXT_MIDDLE);
    emitf(depth + 3, "if(_VEX_BypassComponent==0x%lx)\n", id_of(owner));
    emit(depth + 3, "{\n");
    if (root) {
        emit(depth + 4, "_VEX_OnErrorEngaged=0;\n");
        emit(depth + 4, "_vex_exit_error(0x0);\n");
    } else {
        emit(depth + 4, "_VEX_BypassComponent=0x0;\n");
    }
    emit_rows(depth, GO_TO_NEXT_TAIL);
    emitf(depth, "case 0x%lx : {\n", 0x100 + gen().state_index);
    emit_rows(depth, FINAL_CASE_TAIL);
}

namespace {

// Blocks this small are scanned each time: remembering them would cost a map entry per
// TEST CASE, more than the scan.
constexpr int SMALL_BLOCK = 8;

void find_first_children(const Component* c, FirstChildren* f) {
    for (Component* child = c->first_child; child; child = child->next_sibling) {
        Component** slot = child->kind == KIND_ON_ERROR   ? &f->on_error
                           : child->kind == KIND_PROLOGUE ? &f->prologue
                           : child->kind == KIND_EPILOGUE ? &f->epilogue
                           : child->kind == KIND_RUN      ? &f->run
                                                          : nullptr;
        if (slot && !*slot)
            *slot = child;
    }
}

}  // namespace

FirstChildren first_children(Component* c) {
    int children = 0;
    for (const Component* s = c->first_child; s && children <= SMALL_BLOCK; s = s->next_sibling)
        ++children;
    FirstChildren f;
    if (children <= SMALL_BLOCK) {
        find_first_children(c, &f);
        return f;
    }
    auto [it, inserted] = gen().first_children.try_emplace(c);
    if (inserted)
        find_first_children(c, &it->second);
    return it->second;
}
