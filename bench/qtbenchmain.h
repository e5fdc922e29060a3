#pragma once
// The main of a benchmark program that needs a Qt application: headless unless told otherwise.

#include "benchmain.h"

#include <QApplication>

inline int runQtBenchmarks(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarksIn<QApplication>(argc, argv);
}
