// driver/main.cpp: the process entry; builds the console application and runs.
// Running out of memory anywhere ends the run with message 50 and status 255; a driver or
// instrumentation file being written is removed, never left under its final name.
#include <QCoreApplication>
#include <new>

#include "driver/run.h"
#include "errors/report.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    try {
        return run(app, argc, argv);
    } catch (const std::bad_alloc&) {  // generation discards its own files first
        report_error(MSG_NO_FREE_MEMORY);
        return -1;
    }
}
