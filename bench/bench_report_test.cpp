#include "bench_report.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <initializer_list>

namespace kmission::bench {
namespace {

// Entries of Google Benchmark's JSON, built field by field.
QJsonObject Entry(const char* run, const char* type, const char* aggregate, double cpu, double wall,
                  const char* unit = "ms") {
    QJsonObject entry{{"name", QString(run) + (aggregate[0] ? QString("_") + aggregate : "")},
                      {"run_name", run},
                      {"run_type", type},
                      {"cpu_time", cpu},
                      {"real_time", wall},
                      {"time_unit", unit}};
    if (aggregate[0]) {
        entry["aggregate_name"] = aggregate;
    }
    return entry;
}
QJsonObject Median(const char* run, double cpuMs, double wallMs) {
    return Entry(run, "aggregate", "median", cpuMs, wallMs);
}
QJsonObject Mean(const char* run, double cpuMs, double wallMs) {
    return Entry(run, "aggregate", "mean", cpuMs, wallMs);
}
QJsonObject Once(const char* run, double cpuMs, double wallMs) {
    return Entry(run, "iteration", "", cpuMs, wallMs);
}
QJsonObject WithRate(QJsonObject entry, double bytesPerSecond) {
    entry["bytes_per_second"] = bytesPerSecond;
    return entry;
}
QJsonObject Skipped(const char* run, const char* message) {
    QJsonObject entry = Once(run, 0, 0);
    entry["error_occurred"] = true;
    entry["error_message"] = message;
    return entry;
}

QByteArray BenchmarkJson(std::initializer_list<QJsonObject> entries) {
    QJsonArray array;
    for (const QJsonObject& entry : entries) {
        array.append(entry);
    }
    return QJsonDocument(QJsonObject{{"context", QJsonObject{}}, {"benchmarks", array}}).toJson();
}

const ReportRow& RowNumbered(const std::vector<ReportRow>& rows, const std::string& number) {
    for (const ReportRow& row : rows) {
        if (row.number == number) {
            return row;
        }
    }
    throw std::runtime_error("no row " + number);
}

std::vector<ReportRow> Report(const QByteArray& json,
                              const std::optional<MemoryResult>& memory = std::nullopt) {
    const auto runs = ReadBenchmarkJson(json);
    EXPECT_TRUE(runs.has_value());
    return BuildReport(runs.value_or(Measurements{}), memory);
}

TEST(ReadBenchmarkJson, TakesTheMedianNotTheMean) {
    const auto runs =
        ReadBenchmarkJson(BenchmarkJson({Mean("BM_Save", 400, 800), Median("BM_Save", 100, 150)}));
    ASSERT_TRUE(runs.has_value());
    ASSERT_TRUE(runs->contains("BM_Save"));
    EXPECT_DOUBLE_EQ(runs->at("BM_Save").cpuSeconds, 0.1);
    EXPECT_DOUBLE_EQ(runs->at("BM_Save").wallSeconds, 0.15);
}

TEST(ReadBenchmarkJson, CountsARunWithoutRepetitionsAsItsMedian) {
    const auto runs =
        ReadBenchmarkJson(BenchmarkJson({Entry("BM_Open", "iteration", "", 7, 9, "us")}));
    ASSERT_TRUE(runs.has_value());
    EXPECT_DOUBLE_EQ(runs->at("BM_Open").cpuSeconds, 7e-6);
}

TEST(ReadBenchmarkJson, RefusesOtherFiles) {
    EXPECT_FALSE(ReadBenchmarkJson("not json").has_value());
    EXPECT_FALSE(ReadBenchmarkJson(R"({"file_bytes": 3})").has_value());
}

TEST(ReadMemoryJson, ReadsSizesAndRefusesOtherFiles) {
    const auto memory = ReadMemoryJson(R"({"file_bytes": 100, "peak_rss_bytes": 250})");
    ASSERT_TRUE(memory.has_value());
    EXPECT_DOUBLE_EQ(memory->peakBytes, 250);
    EXPECT_FALSE(ReadMemoryJson(R"({"benchmarks": []})").has_value());
}

// Each target by its own measure: throughput by rate, times by CPU time,
// the event-loop gap by wall-clock time.
TEST(BuildReport, JudgesEachRowByItsTarget) {
    struct Case {
        const char* what;
        QJsonObject run;
        QJsonObject reference;
        const char* row;
        const char* verdict;
    };
    const Case cases[] = {
        {"rate at the target",
         WithRate(Median("BM_OpenFromDisk", 100, 100), 250e6),
         {},
         "3",
         "met"},
        {"rate below the target",
         WithRate(Median("BM_OpenFromDisk", 100, 100), 249e6),
         {},
         "3",
         "MISSED"},
        {"at 1.5 times the floor", Median("BM_Open/wide", 150, 150),
         Median("BM_OpenTextFloor/wide", 100, 100), "1b", "met"},
        {"above 1.5 times the floor", Median("BM_Save/usual", 151, 100),
         Median("BM_SaveTextFloor/usual", 100, 100), "2a", "MISSED"},
        {"no floor measured", Median("BM_Save/wide", 1, 1), {}, "2b", "MISSED"},
        {"slow wall clock, quick CPU", Median("BM_Repaint/ratio:1", 15, 40), {}, "5a", "met"},
        {"CPU above the limit", Median("BM_Repaint/ratio:1", 16.5, 16.5), {}, "5a", "MISSED"},
        {"ratio 2 has its own limit", Median("BM_Repaint/ratio:2", 29, 29), {}, "5b", "met"},
        {"microseconds",
         Entry("BM_HoverPickMiss", "aggregate", "median", 999, 999, "us"),
         {},
         "6a",
         "met"},
        {"gap by wall clock",
         Median("BM_EventLoopGap/iterations:1/manual_time", 1, 51),
         {},
         "9",
         "MISSED"},
        {"gap within", Median("BM_EventLoopGap/iterations:1/manual_time", 300, 49), {}, "9", "met"},
        {"information only", Median("BM_EnvironmentDialog", 80, 90), {}, "7c", "-"},
        {"skipped itself",
         Skipped("BM_Save/usual", "the mission does not save"),
         {},
         "2a",
         "failed: the mission does not save"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(RowNumbered(Report(BenchmarkJson({c.run, c.reference})), c.row).verdict,
                  c.verdict);
    }
}

TEST(BuildReport, ShowsTheReferenceAndTheRatioToIt) {
    const auto rows = Report(BenchmarkJson({WithRate(Median("BM_Open/usual", 120, 130), 280e6),
                                            Median("BM_OpenTextFloor/usual", 100, 100),
                                            WithRate(Median("BM_CopyReference", 4, 5), 8.4e9)}));
    const ReportRow& open = RowNumbered(rows, "1a");
    EXPECT_EQ(open.cpu, "120 ms");
    EXPECT_EQ(open.wall, "130 ms");
    EXPECT_EQ(open.throughput, "280 MB/s");
    EXPECT_EQ(open.reference, "numbers to text: 100 ms; memcpy: 4.0 ms");
    EXPECT_EQ(open.ratio, "x1.2");
    EXPECT_EQ(RowNumbered(rows, "2a").verdict, "not run");
}

TEST(BuildReport, JudgesPeakMemoryAgainstTheFileSize) {
    const auto json = BenchmarkJson({});
    EXPECT_EQ(RowNumbered(Report(json, MemoryResult{100, 300}), "8").verdict, "met");
    const ReportRow over = RowNumbered(Report(json, MemoryResult{100, 301}), "8");
    EXPECT_EQ(over.verdict, "MISSED");
    EXPECT_EQ(over.ratio, "x3.01");
    EXPECT_EQ(RowNumbered(Report(json), "8").verdict, "not run");
}

TEST(FormatTable, OneLineOfNineCellsPerRow) {
    const auto rows = Report(BenchmarkJson({}), MemoryResult{1, 2});
    const std::string table = FormatTable(rows);
    std::size_t lines = 0;
    std::size_t start = 0;
    for (std::size_t end = table.find('\n'); end != std::string::npos;
         start = end + 1, end = table.find('\n', start)) {
        const std::string line = table.substr(start, end - start);
        EXPECT_EQ(std::count(line.begin(), line.end(), '|'), 10) << line;
        ++lines;
    }
    EXPECT_EQ(lines, rows.size() + 2);
    EXPECT_EQ(rows.size(), 17u);
}

} // namespace
} // namespace kmission::bench
