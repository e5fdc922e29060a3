#pragma once
// The main of a benchmark program whose code needs a Qt application of type App.

#include <benchmark/benchmark.h>

template <typename App> int runBenchmarksIn(int argc, char **argv)
{
    App app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
