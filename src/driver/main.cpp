// driver/main.cpp: the process entry; builds the console application and runs.
#include <QCoreApplication>

#include "driver/run.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return run(app, argc, argv);
}
