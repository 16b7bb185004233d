// What the README's benchmark table rests on: the verdict and the ratio of
// each row, and inputs of the sizes and the mix the table names.
#include "bench_report.h"
#include "synthetic_mission.h"

#include "environment_values.h"
#include "picture_decoder.h"
#include "text.h"
#include "unit_editing.h"

#include <gtest/gtest.h>

namespace kmission::bench {
namespace {

constexpr const char* kMedianMs =
    R"("run_type": "aggregate", "aggregate_name": "median", "time_unit": "ms")";

// One result of Google Benchmark's JSON; `more` the rest of its fields.
std::string Result(const std::string& name, double cpu, double wall,
                   const std::string& more = kMedianMs) {
    return "{\"run_name\": \"" + name + "\", \"cpu_time\": " + std::to_string(cpu) +
           ", \"real_time\": " + std::to_string(wall) + ", " + more + "}";
}

std::vector<ReportRow> Report(const std::string& runs,
                              const std::optional<MemoryResult>& memory = {}) {
    const auto read =
        ReadBenchmarkJson(QByteArray::fromStdString("{\"benchmarks\": [" + runs + "]}"));
    EXPECT_TRUE(read.has_value());
    return BuildReport(read.value_or(Measurements{}), memory);
}

std::string Verdict(const std::vector<ReportRow>& rows, const std::string& number) {
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const ReportRow& r) { return r.number == number; });
    return row == rows.end() ? "no row" : row->verdict;
}

// Throughput by rate, times by CPU time, the event-loop gap by wall-clock time;
// medians, not means, where there are repetitions.
TEST(BenchReport, JudgesEachRowByItsTarget) {
    const std::string rate = std::string(kMedianMs) + ", \"bytes_per_second\": ";
    const std::string gap = "BM_EventLoopGap/iterations:1/manual_time";
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {Result("BM_OpenFromDisk", 100, 100, rate + "250e6"), "3", "met"},
        {Result("BM_OpenFromDisk", 100, 100, rate + "249e6"), "3", "MISSED"},
        {Result("BM_Open/wide", 150, 150) + "," + Result("BM_OpenTextFloor/wide", 100, 100), "1b",
         "met"},
        {Result("BM_Save/usual", 151, 100) + "," + Result("BM_SaveTextFloor/usual", 100, 100), "2a",
         "MISSED"},
        {Result("BM_Save/usual", 400, 400,
                R"("run_type": "aggregate", "aggregate_name": "mean", "time_unit": "ms")") +
             "," + Result("BM_Save/usual", 100, 100) + "," +
             Result("BM_SaveTextFloor/usual", 100, 100),
         "2a", "met"},
        {Result("BM_Save/wide", 1, 1), "2b", "MISSED"},
        {Result("BM_Repaint/ratio:1", 16, 40), "5a", "met"},
        {Result("BM_Repaint/ratio:1", 16.5, 16.5), "5a", "MISSED"},
        {Result("BM_Repaint/ratio:2", 30, 30), "5b", "met"},
        {Result("BM_HoverPickMiss", 1000, 1000, R"("run_type": "iteration", "time_unit": "us")"),
         "6a", "met"},
        {Result("BM_HoverPickMiss", 1001, 1, R"("run_type": "iteration", "time_unit": "us")"), "6a",
         "MISSED"},
        {Result(gap, 300, 50), "9", "met"},
        {Result(gap, 1, 51), "9", "MISSED"},
        {Result("BM_EnvironmentDialog", 80, 90), "7c", "-"},
        {Result("BM_Save/usual", 0, 0,
                R"("run_type": "iteration", "error_occurred": true, "error_message": "no")"),
         "2a", "failed: no"},
    };
    for (const auto& [runs, row, verdict] : cases) {
        SCOPED_TRACE(runs);
        EXPECT_EQ(Verdict(Report(runs), row), verdict);
    }
    EXPECT_EQ(Verdict(Report("", MemoryResult{100, 300}), "8"), "met");
    EXPECT_EQ(Verdict(Report("", MemoryResult{100, 301}), "8"), "MISSED");
    EXPECT_EQ(Verdict(Report(""), "8"), "not run");
    EXPECT_FALSE(ReadBenchmarkJson(R"({"file_bytes": 3})").has_value());
    EXPECT_FALSE(ReadMemoryJson(R"({"benchmarks": []})").has_value());
}

TEST(BenchReport, PrintsTheRowsOfTheTableInItsOrder) {
    const auto rows =
        Report(Result("BM_Open/usual", 120, 130,
                      std::string(kMedianMs) + ", \"bytes_per_second\": 280e6") +
                   "," + Result("BM_OpenTextFloor/usual", 100, 100) + "," +
                   Result("BM_CopyReference", 4, 5),
               ReadMemoryJson(R"({"file_bytes": 33554432, "peak_rss_bytes": 94371840})"));
    const std::string table = FormatTable(rows);
    EXPECT_TRUE(table.starts_with(
        "| # | Benchmark | Median | Wall clock | Throughput | Reference (median) | vs. reference | "
        "Target | Verdict |\n|---|---|---:|---:|---:|---|---:|---|---|\n"
        "| 1a | Open the 32 MiB mission, usual mix: bytes in memory to model | 120 ms | 130 ms | "
        "280 MB/s | numbers to text: 100 ms; memcpy: 4.0 ms | x1.2 | <= x1.5 reference | met |\n"))
        << table;
    EXPECT_NE(table.find("\n| 8 | Peak resident memory with the mission open | 90 MiB | - | - | "
                         "file size: 32.0 MiB | x2.81 | <= 3 x file | met |\n| 9 | "),
              std::string::npos)
        << table;
    std::string numbers;
    for (const ReportRow& row : rows) {
        numbers += row.number + " ";
    }
    EXPECT_EQ(numbers, "1a 1b 2a 2b 3 4 5a 5b 5c 5d 6a 6b 7a 7b 7c 8 9 ");
}

// The full-size inputs of the table: 32 MiB, 10,000 units, 1,000 regions of
// 20 corners on the map, every environment key once, a 640 x 480 picture;
// the same bytes from the same seed.
TEST(SyntheticMission, HasTheSizesTheTableNames) {
    const MissionSpec full = FullSpec();
    const demo::DemoMap& map = BenchMap();
    for (const MissionSpec& plan : {full, WideFloats(full)}) {
        const Bytes bytes = GenerateMission(plan);
        EXPECT_GE(bytes.size(), 32u << 20);
        EXPECT_LT(bytes.size(), (32u << 20) + 512 * 1024);
        const MissionLoad load = ReadMission(bytes);
        ASSERT_EQ(load.outcome, LoadOutcome::Loaded);
        EXPECT_EQ(load.mapNames, std::vector<std::string>{BenchMap().name});
        int units = 0;
        int regions = 0;
        for (const EntryTree& entry : load.mission.missionEntries) {
            const std::string name = CleanText(entry.name);
            for (int k = 1; IsUnitEntry(name) && k <= entry.nodeCount(); ++k) {
                if (IsUnitWithValues(entry, k)) {
                    ++units;
                    const double x = TextToNumber(entry.nodes[k + kUnitXOffset].text());
                    const double z = TextToNumber(entry.nodes[k + kUnitZOffset].text());
                    EXPECT_TRUE(x <= map.offsetX && x >= map.offsetX - 640 * map.mpp &&
                                z <= map.offsetZ && z >= map.offsetZ - 480 * map.mpp);
                }
            }
            if (IsRegionEntry(name)) {
                ++regions;
                EXPECT_EQ(std::count_if(entry.nodes.begin(), entry.nodes.end(),
                                        [](const ReaderNode& n) { return IsCornerNode(n.text()); }),
                          20);
            }
        }
        EXPECT_EQ(units, 10000);
        EXPECT_EQ(regions, 1000);
        const NodeList& info =
            load.mission.missionEntries.at(static_cast<std::size_t>(FindMissionInfo(load.mission)))
                .nodes;
        EXPECT_EQ(info.size(), 30001u);
        EXPECT_EQ(ScanEnvironment(info).size(), kEnvironmentKeys.size());
    }
    const auto picture = DecodePicture(GeneratePicture(full), 0);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width * 1000 + picture->height, 640480);
    EXPECT_EQ(GenerateMission(TinySpec()), GenerateMission(TinySpec()));
}

// Hover picking's worst case: a unit list of all 10,000 units, more than an
// entry of a file holds, its last unit found only where it stands.
TEST(SyntheticMission, UnitListPicksItsLastUnitAtItsPosition) {
    const MissionModel units = UnitListMission(FullSpec());
    const EntryTree& entry = units.missionEntries.at(0);
    EXPECT_GT(entry.nodeCount(), kMaxEntryNodes);
    const int last = LastUnitNode(FullSpec());
    ASSERT_TRUE(IsUnitWithValues(entry, last));
    const auto x = static_cast<float>(TextToNumber(entry.nodes[last + kUnitXOffset].text()));
    const auto z = static_cast<float>(TextToNumber(entry.nodes[last + kUnitZOffset].text()));
    const auto pick = PickUnit(units, x, z);
    ASSERT_TRUE(pick.has_value());
    EXPECT_EQ(pick->node, last);
}

} // namespace
} // namespace kmission::bench
