#pragma once

// The one table scripts/bench.sh prints: every benchmark's median beside its
// physical reference and its target, from the JSON the benchmark program
// writes and the one the peak-memory program prints.

#include <QByteArray>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kmission::bench {

// One benchmark's result: its median over the repetitions, or its only run
// when it ran once. Times in seconds.
struct Measurement {
    double cpuSeconds = 0.0;
    double wallSeconds = 0.0;
    std::optional<double> bytesPerSecond; // by CPU time
    std::string error;                    // why the benchmark skipped itself
};

// By run name ("BM_Open", "BM_Repaint/ratio:2").
using Measurements = std::map<std::string, Measurement>;

// Reads Google Benchmark's JSON output. Nothing when it is not such a file.
std::optional<Measurements> ReadBenchmarkJson(const QByteArray& json);

// Peak resident sizes in bytes, of whole processes: the mission opened by a
// program that does nothing else, the tool's resave and dump of it, and the
// editor after start-up with no mission and with the mission opened.
struct MemoryResult {
    double fileBytes = 0.0;
    double peakBytes = 0.0;
    std::optional<double> resavePeakBytes;
    std::optional<double> dumpPeakBytes;
    std::optional<double> editorStartUpBytes;
    std::optional<double> editorPeakBytes;
};

// Reads what kmission_peak_memory and kmission_editor_memory print, one JSON
// object per text. Nothing when the mission's own open is not among them.
std::optional<MemoryResult> ReadMemoryJson(const std::vector<QByteArray>& jsons);

// A row of the table, its cells as text.
struct ReportRow {
    std::string number;
    std::string what;
    std::string cpu;
    std::string wall;
    std::string throughput;
    std::string reference;
    std::string ratio;
    std::string target;
    std::string verdict; // "met", "MISSED", "not run", "failed: ..." or "-" (no target)
};

// Every row in order, judged against its target: throughput and time rows by
// CPU time (the work, which other processes on the machine do not lengthen),
// the event-loop gap by wall-clock time, peak memory by its ratio to the file.
std::vector<ReportRow> BuildReport(const Measurements& runs,
                                   const std::optional<MemoryResult>& memory);

// The rows as a Markdown table.
std::string FormatTable(const std::vector<ReportRow>& rows);

} // namespace kmission::bench
