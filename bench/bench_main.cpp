// The benchmark program: every benchmark of bench/, on full-size inputs or,
// with --tiny, on tiny ones. The views are painted offscreen.

#include "bench_inputs.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <exception>

namespace {

// The offscreen platform says for every dialog shown that it cannot raise
// windows; that says nothing about the benchmarks.
void DropPlatformNotes(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text.startsWith("This plugin does not support")) {
        return;
    }
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

} // namespace

int main(int argc, char** argv) {
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
