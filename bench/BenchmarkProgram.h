#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

namespace bench {

// Lets the benchmarks that draw windows run without a display, unless the
// caller chose a platform.
inline void preferOffscreenPlatform() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Reads Google Benchmark's flags from the command line. False, once the
// library has named it, when an argument is not one of its flags.
inline bool readBenchmarkFlags(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    return !benchmark::ReportUnrecognizedArguments(argc, argv);
}

// Runs the benchmarks the flags select; the program's exit status.
inline int runSelectedBenchmarks() {
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench
