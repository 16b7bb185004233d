// The benchmark program: every benchmark of bench/, on full-size inputs or,
// with --tiny, on tiny ones. The views are painted offscreen.

#include "bench_inputs.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <exception>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The offscreen platform says for every dialog shown that it cannot raise
// windows; that says nothing about the benchmarks.
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("This plugin does not support")) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

// Each open and save is measured into memory that the process has used
// before, freed by the run before it. Left to itself, glibc gives a freed heap
// top back to the system or not depending on what small blocks happen to lie
// above it, and a run then pays or does not pay for touching fresh pages: for
// a model of 50 MB that is 30 ms or more on a machine with slow memory, a
// difference that follows the heap's layout, not the code measured.
void KeepFreedMemory() {
#ifdef __GLIBC__
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 1024 * 1024 * 1024);
#endif
}

} // namespace

int main(int argc, char** argv) {
    KeepFreedMemory();
    kmission::bench::UseTinyInputs(kmission::bench::TakeTinySwitch(argc, argv));
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    qInstallMessageHandler(DropPlatformNotes);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    int status = 0;
    try {
        benchmark::RunSpecifiedBenchmarks();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        status = 1;
    }
    benchmark::Shutdown();
    kmission::bench::RemoveTemporaryFiles();
    return status;
}
