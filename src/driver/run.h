// driver/run.h: the whole run of the compiler, start-up to exit status.
#pragma once

class QCoreApplication;
struct Component;

// Installs the translators found under $TARVELODIR/lib/locale; returns 0, or 1 after
// printing a fatal set-up message (the caller then exits with 1).
int setup_translation(QCoreApplication& app);

// Runs every phase and returns the exit status: 0, -1 (errors) or 1 (set-up).
int run(QCoreApplication& app, int argc, char** argv);

// The phases over the scripts of the options' source list: reading and the first
// check, then the listings, expansion, the second check and generation, each only
// while no error was reported. Also driven by the fuzz target.
void run_phases(Component* root);
