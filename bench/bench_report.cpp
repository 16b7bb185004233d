#include "bench_report.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace kmission::bench {

namespace {

enum class Goal {
    None,              // shown for information
    MinMegabytesPerS,  // throughput by CPU time
    MaxMilliseconds,   // CPU time
    MaxWallMillis,     // wall-clock time
    MaxTimesFileBytes, // peak memory
    MaxTimesReference, // CPU time against the reference's CPU time
};

struct RowSpec {
    const char* number;
    const char* what;
    const char* run;
    const char* reference; // run name, or nullptr
    const char* referenceWhat;
    Goal goal;
    double limit;
    const char* alsoReference = nullptr; // shown beside the reference, not judged
    const char* alsoReferenceWhat = "";
};

constexpr const char* kGapRun = "BM_EventLoopGap/iterations:1/manual_time";

constexpr RowSpec kRows[] = {
    {"1a", "Open the 32 MiB mission, usual mix: bytes in memory to model", "BM_Open/usual",
     "BM_OpenTextFloor/usual", "numbers to text", Goal::MaxTimesReference, 1.5, "BM_CopyReference",
     "memcpy"},
    {"1b", "Open the 32 MiB mission, wide floats: bytes in memory to model", "BM_Open/wide",
     "BM_OpenTextFloor/wide", "numbers to text", Goal::MaxTimesReference, 1.5, "BM_CopyReference",
     "memcpy"},
    {"2a", "Save the model in the file writer's chunks, usual mix", "BM_Save/usual",
     "BM_SaveTextFloor/usual", "texts to numbers", Goal::MaxTimesReference, 1.5, "BM_CopyReference",
     "memcpy"},
    {"2b", "Save the model in the file writer's chunks, wide floats", "BM_Save/wide",
     "BM_SaveTextFloor/wide", "texts to numbers", Goal::MaxTimesReference, 1.5, "BM_CopyReference",
     "memcpy"},
    {"3", "Open from disk through the file path (warm cache)", "BM_OpenFromDisk",
     "BM_ReadFileReference", "reading the file into memory", Goal::MinMegabytesPerS, 250},
    {"4", "Decode a 640 x 480 picture", "BM_PictureDecode", "BM_PictureCopyReference",
     "memcpy of its bytes", Goal::MaxMilliseconds, 1},
    {"5a", "Repaint 10,000 units, 1,000 regions, ratio 1", "BM_Repaint/ratio:1",
     "BM_FillReference/ratio:1", "filling the image", Goal::MaxMilliseconds, 16},
    {"5b", "Repaint 10,000 units, 1,000 regions, ratio 2", "BM_Repaint/ratio:2",
     "BM_FillReference/ratio:2", "filling the image", Goal::MaxMilliseconds, 30},
    {"5c", "Repaint 10,000 units, 1,000 regions, 1920 x 1080, ratio 2", "BM_RepaintLarge", nullptr,
     "", Goal::MaxMilliseconds, 8},
    {"5d", "Drag step: a unit moved and its old and new box repainted, 1920 x 1080, ratio 2",
     "BM_DragStepLarge", nullptr, "", Goal::MaxMilliseconds, 8},
    {"5e",
     "Full paint, no layer kept (as after a change of the view or a region), 1920 x 1080, ratio 2",
     "BM_FullPaintLarge", nullptr, "", Goal::None, 0},
    {"6a", "Hover pick over 10,000 units, hitting none", "BM_HoverPickMiss", "BM_UnitScanReference",
     "one look at every node", Goal::MaxMilliseconds, 1},
    {"6b", "Hover pick over 10,000 units, hitting the last", "BM_HoverPickLast",
     "BM_UnitScanReference", "one look at every node", Goal::MaxMilliseconds, 1},
    {"7a", "Environment load, info entry of 30,000 nodes", "BM_EnvironmentLoad",
     "BM_InfoScanReference", "one look at every node", Goal::MaxMilliseconds, 5},
    {"7b", "Environment OK write-back, same entry", "BM_EnvironmentWriteBack",
     "BM_InfoScanReference", "one look at every node", Goal::MaxMilliseconds, 5},
    {"7c", "Environment dialogs opened and OK, real windows", "BM_EnvironmentDialog", nullptr, "",
     Goal::None, 0},
    {"9", "Longest event-loop gap while File > Open reads it", kGapRun, nullptr, "",
     Goal::MaxWallMillis, 50},
};

double Seconds(double value, const QString& unit) {
    if (unit == "ns") {
        return value * 1e-9;
    }
    if (unit == "us") {
        return value * 1e-6;
    }
    if (unit == "ms") {
        return value * 1e-3;
    }
    return value;
}

std::string Printf(const char* format, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

std::string TimeText(double seconds) {
    const double ms = seconds * 1e3;
    if (ms < 0.1) {
        return Printf("%.2f µs", ms * 1e3);
    }
    if (ms < 1.0) {
        return Printf("%.3f ms", ms);
    }
    if (ms < 100.0) {
        return Printf("%.1f ms", ms);
    }
    return Printf("%.0f ms", ms);
}

std::string RateText(double bytesPerSecond) {
    const double mb = bytesPerSecond / 1e6;
    return mb < 1000.0 ? Printf("%.0f MB/s", mb) : Printf("%.1f GB/s", mb / 1000.0);
}

std::string LimitText(Goal goal, double limit) {
    switch (goal) {
    case Goal::MinMegabytesPerS:
        return Printf(">= %.0f MB/s", limit);
    case Goal::MaxMilliseconds:
        return Printf("<= %.0f ms", limit);
    case Goal::MaxWallMillis:
        return Printf("<= %.0f ms (wall)", limit);
    case Goal::MaxTimesFileBytes:
        return Printf("<= %g x file", limit);
    case Goal::MaxTimesReference:
        return Printf("<= x%.1f reference", limit);
    case Goal::None:
        break;
    }
    return "-";
}

bool Meets(Goal goal, double limit, const Measurement& run,
           const std::optional<Measurement>& reference) {
    switch (goal) {
    case Goal::MaxTimesReference:
        return reference && run.cpuSeconds <= limit * reference->cpuSeconds;
    case Goal::MinMegabytesPerS:
        return run.bytesPerSecond && *run.bytesPerSecond >= limit * 1e6;
    case Goal::MaxMilliseconds:
        return run.cpuSeconds * 1e3 <= limit;
    case Goal::MaxWallMillis:
        return run.wallSeconds * 1e3 <= limit;
    case Goal::MaxTimesFileBytes:
    case Goal::None:
        break;
    }
    return true;
}

ReportRow Row(const RowSpec& plan, const Measurements& runs) {
    ReportRow row{plan.number, plan.what, "-", "-", "-", "-", "-", LimitText(plan.goal, plan.limit),
                  "not run"};
    const auto found = runs.find(plan.run);
    if (found == runs.end()) {
        return row;
    }
    const Measurement& run = found->second;
    if (!run.error.empty()) {
        row.verdict = "failed: " + run.error;
        return row;
    }
    const bool wallClock = plan.goal == Goal::MaxWallMillis;
    // The CPU time of a wall-clock measurement is that of everything around it.
    row.cpu = wallClock ? "-" : TimeText(run.cpuSeconds);
    row.wall = TimeText(run.wallSeconds);
    if (run.bytesPerSecond) {
        row.throughput = RateText(*run.bytesPerSecond);
    }
    std::optional<Measurement> judgedReference;
    if (plan.reference != nullptr) {
        const auto reference = runs.find(plan.reference);
        if (reference != runs.end() && reference->second.error.empty()) {
            const Measurement& ref = reference->second;
            judgedReference = ref;
            row.reference = std::string(plan.referenceWhat) + ": " + TimeText(ref.cpuSeconds);
            if (ref.bytesPerSecond) {
                row.reference += " (" + RateText(*ref.bytesPerSecond) + ")";
            }
            const auto also = plan.alsoReference ? runs.find(plan.alsoReference) : runs.end();
            if (also != runs.end() && also->second.error.empty()) {
                row.reference += "; " + std::string(plan.alsoReferenceWhat) + ": " +
                                 TimeText(also->second.cpuSeconds);
            }
            const double own = wallClock ? run.wallSeconds : run.cpuSeconds;
            const double base = wallClock ? ref.wallSeconds : ref.cpuSeconds;
            if (base > 0.0) {
                row.ratio = Printf("x%.1f", own / base);
            }
        }
    }
    row.verdict = plan.goal == Goal::None                              ? "-"
                  : Meets(plan.goal, plan.limit, run, judgedReference) ? "met"
                                                                       : "MISSED";
    return row;
}

std::string MiB(double bytes) {
    return Printf("%.1f MiB", bytes / (1024.0 * 1024.0));
}

// A peak against the file's size, less a base the target leaves out.
ReportRow MemoryRow(const char* number, const char* what, double limit,
                    const std::optional<MemoryResult>& memory, std::optional<double> peak,
                    std::optional<double> base = 0.0) {
    ReportRow row{number,   what, "-", "-",
                  "-",      "-",  "-", LimitText(Goal::MaxTimesFileBytes, limit),
                  "not run"};
    if (!memory || memory->fileBytes <= 0.0 || !peak || !base) {
        return row;
    }
    const double ratio = (*peak - *base) / memory->fileBytes;
    row.cpu = MiB(*peak);
    row.reference = "file size: " + MiB(memory->fileBytes);
    if (*base > 0.0) {
        row.reference += "; start-up, no mission open: " + MiB(*base);
    }
    row.ratio = Printf("x%.2f", ratio);
    row.verdict = ratio <= limit ? "met" : "MISSED";
    return row;
}

std::vector<ReportRow> MemoryRows(const std::optional<MemoryResult>& memory) {
    const auto field = [&memory](std::optional<double> MemoryResult::*member) {
        return memory ? (*memory).*member : std::nullopt;
    };
    return {
        MemoryRow("8a", "Peak resident memory, the mission opened by a program doing nothing else",
                  3.0, memory, memory ? std::optional(memory->peakBytes) : std::nullopt),
        MemoryRow("8b", "Peak resident memory of kmission-tool resave of the mission", 2.5, memory,
                  field(&MemoryResult::resavePeakBytes)),
        MemoryRow("8c", "Peak resident memory of kmission-tool dump of the mission", 2.5, memory,
                  field(&MemoryResult::dumpPeakBytes)),
        MemoryRow("8d",
                  "Peak resident memory of the editor, the mission opened by File > Open, "
                  "less its start-up size",
                  3.0, memory, field(&MemoryResult::editorPeakBytes),
                  field(&MemoryResult::editorStartUpBytes)),
    };
}

} // namespace

std::optional<Measurements> ReadBenchmarkJson(const QByteArray& json) {
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject() || !document.object().value("benchmarks").isArray()) {
        return std::nullopt;
    }
    Measurements medians;
    Measurements singles;
    for (const QJsonValue& value : document.object().value("benchmarks").toArray()) {
        const QJsonObject entry = value.toObject();
        const std::string run = entry.value("run_name").toString().toStdString();
        const QString type = entry.value("run_type").toString();
        const bool median = type == "aggregate" && entry.value("aggregate_name") == "median";
        if (run.empty() || (type == "aggregate" && !median)) {
            continue;
        }
        Measurement m;
        const QString unit = entry.value("time_unit").toString();
        m.cpuSeconds = Seconds(entry.value("cpu_time").toDouble(), unit);
        m.wallSeconds = Seconds(entry.value("real_time").toDouble(), unit);
        if (entry.contains("bytes_per_second")) {
            m.bytesPerSecond = entry.value("bytes_per_second").toDouble();
        }
        if (entry.value("error_occurred").toBool()) {
            m.error = entry.value("error_message").toString().toStdString();
            if (m.error.empty()) {
                m.error = "skipped";
            }
        }
        if (median) {
            medians[run] = m;
        } else if (!singles.contains(run) || !m.error.empty()) {
            singles[run] = m;
        }
    }
    // A median where there are repetitions; a benchmark that ran once, or
    // that failed before its repetitions were summed up, counts as it ran.
    for (auto& [run, m] : singles) {
        if (!medians.contains(run) || !m.error.empty()) {
            medians[run] = m;
        }
    }
    return medians;
}

std::optional<MemoryResult> ReadMemoryJson(const std::vector<QByteArray>& jsons) {
    QJsonObject all;
    for (const QByteArray& json : jsons) {
        const QJsonObject object = QJsonDocument::fromJson(json).object();
        for (auto field = object.begin(); field != object.end(); ++field) {
            all.insert(field.key(), field.value());
        }
    }
    if (!all.contains("file_bytes") || !all.contains("peak_rss_bytes")) {
        return std::nullopt;
    }
    const auto optional = [&all](const char* key) {
        return all.contains(key) ? std::optional(all.value(key).toDouble()) : std::nullopt;
    };
    return MemoryResult{all.value("file_bytes").toDouble(), all.value("peak_rss_bytes").toDouble(),
                        optional("resave_peak_bytes"),      optional("dump_peak_bytes"),
                        optional("editor_start_up_bytes"),  optional("editor_peak_bytes")};
}

std::vector<ReportRow> BuildReport(const Measurements& runs,
                                   const std::optional<MemoryResult>& memory) {
    std::vector<ReportRow> rows;
    for (const RowSpec& plan : kRows) {
        if (plan.goal == Goal::MaxWallMillis) {
            const std::vector<ReportRow> memoryRows = MemoryRows(memory);
            rows.insert(rows.end(), memoryRows.begin(), memoryRows.end());
        }
        rows.push_back(Row(plan, runs));
    }
    return rows;
}

std::string FormatTable(const std::vector<ReportRow>& rows) {
    std::string table = "| # | Benchmark | Median | Wall clock | Throughput | Reference "
                        "(median) | vs. reference | Target | Verdict |\n"
                        "|---|---|---:|---:|---:|---|---:|---|---|\n";
    for (const ReportRow& row : rows) {
        for (const std::string* cell :
             {&row.number, &row.what, &row.cpu, &row.wall, &row.throughput, &row.reference,
              &row.ratio, &row.target, &row.verdict}) {
            table += "| " + *cell + " ";
        }
        table += "|\n";
    }
    return table;
}

} // namespace kmission::bench
