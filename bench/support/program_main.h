#pragma once

// The main() of a benchmark that needs a whole program (the Qt application, its folders) for
// the run: the program is made once after the benchmark library has read its arguments, is
// reachable through `current` while the benchmarks run, and is destroyed before the library
// shuts down, while Qt is still whole.

#include <benchmark/benchmark.h>

namespace hc::bench {

template <class Program> int runWithProgram(int argc, char** argv, Program*& current) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    {
        Program instance;
        current = &instance;
        benchmark::RunSpecifiedBenchmarks();
        current = nullptr;
    }
    benchmark::Shutdown();
    return 0;
}

} // namespace hc::bench
