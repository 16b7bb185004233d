// What the README's benchmark table rests on: each row's verdict and ratio,
// and inputs of the sizes and the mix the table names.
#include "bench_report.h"
#include "synthetic_mission.h"

#include "environment_values.h"
#include "picture_decoder.h"
#include "text.h"
#include "unit_editing.h"

#include <gtest/gtest.h>

#include <array>

namespace kmission::bench {
namespace {

// Times in milliseconds, converted as the JSON reader converts them.
Measurement Ms(double cpu, double wall, std::optional<double> rate = {}, std::string error = {}) {
    return {cpu * 1e-3, wall * 1e-3, rate, std::move(error)};
}

// Throughput by rate, times by CPU time against a reference or a limit, the
// event-loop gap by wall-clock time, memory by its ratio; from the medians
// of the benchmark's JSON, each in its time unit.
TEST(BenchReport, JudgesEachRowByItsTarget) {
    const std::tuple<Measurements, std::string, std::string> cases[] = {
        {{{"BM_OpenFromDisk", Ms(100, 100, 250e6)}}, "3", "met"},
        {{{"BM_OpenFromDisk", Ms(100, 100, 249e6)}}, "3", "MISSED"},
        {{{"BM_Open/wide", Ms(150, 150)}, {"BM_OpenTextFloor/wide", Ms(100, 100)}}, "1b", "met"},
        {{{"BM_Save/usual", Ms(151, 1)}, {"BM_SaveTextFloor/usual", Ms(100, 100)}}, "2a", "MISSED"},
        {{{"BM_Save/wide", Ms(1, 1)}}, "2b", "MISSED"}, // no reference measured
        {{{"BM_Repaint/ratio:1", Ms(16.5, 1)}}, "5a", "MISSED"},
        {{{"BM_EventLoopGap/iterations:1/manual_time", Ms(1, 51)}}, "9", "MISSED"},
        {{{"BM_EnvironmentDialog", Ms(80, 90)}}, "7c", "-"},
        {{{"BM_Save/usual", Ms(0, 0, {}, "no mission")}}, "2a", "failed: no mission"},
    };
    const auto opened = ReadMemoryJson({R"({"file_bytes": 100, "peak_rss_bytes": 300})"});
    for (const auto& [runs, number, verdict] : cases) {
        for (const ReportRow& row : BuildReport(runs, opened)) {
            const std::string other = row.number == "8a" ? "met" : "not run";
            EXPECT_EQ(row.verdict, row.number == number ? verdict : other) << number;
        }
    }
    // The memory of the programs from their separate outputs; the editor's
    // without its start-up size.
    const auto memory = ReadMemoryJson(
        {R"({"file_bytes": 100, "peak_rss_bytes": 301, "resave_peak_bytes": 250})",
         R"({"editor_start_up_bytes": 40, "editor_peak_bytes": 340, "dump_peak_bytes": 251})"});
    std::string verdicts;
    for (const ReportRow& row : BuildReport({}, memory)) {
        verdicts += row.number.starts_with('8') ? row.ratio + " " + row.verdict + "; " : "";
    }
    EXPECT_EQ(verdicts, "x3.01 MISSED; x2.50 met; x2.51 MISSED; x3.00 met; ");
    const auto json = ReadBenchmarkJson(R"({"benchmarks": [
        {"run_name": "A", "run_type": "aggregate", "aggregate_name": "mean", "cpu_time": 4},
        {"run_name": "A", "run_type": "aggregate", "aggregate_name": "median", "cpu_time": 2,
         "time_unit": "ms"}, {"run_name": "B", "run_type": "iteration", "cpu_time": 3,
         "time_unit": "us", "bytes_per_second": 5}]})");
    ASSERT_TRUE(json.has_value());
    EXPECT_DOUBLE_EQ(json->at("A").cpuSeconds + json->at("B").cpuSeconds, 2.003e-3);
    EXPECT_EQ(json->at("B").bytesPerSecond, 5);
}

// The full-size inputs, usual and wide floats: 32 MiB, 10,000 units, 1,000
// regions of 20 corners, an info entry of 30,000 values with every
// environment key once, a 640 x 480 picture; the same bytes from the same
// seed. Hover picking's worst case: one unit list of all units, more than an
// entry of a file holds.
TEST(SyntheticMission, HasTheSizesTheTableNames) {
    for (const MissionSpec& plan : {FullSpec(), WideFloats(FullSpec())}) {
        const Bytes bytes = GenerateMission(plan);
        EXPECT_EQ(bytes.size() >> 19, 64u) << "32 MiB and less than 512 KiB more";
        const MissionLoad load = ReadMission(bytes);
        int units = 0, regions = 0, corners = 0;
        for (const EntryTree& entry : load.mission.missionEntries) {
            const std::string name = CleanText(entry.name);
            regions += IsRegionEntry(name);
            for (int k = 1; k <= entry.nodeCount(); ++k) {
                units += IsUnitEntry(name) && IsUnitWithValues(entry, k);
                corners += IsRegionEntry(name) && IsCornerNode(entry.nodes[k].text());
            }
        }
        EXPECT_EQ((std::array{units, regions, corners}), (std::array{10000, 1000, 20000}));
        const auto& info = load.mission.missionEntries.at(FindMissionInfo(load.mission)).nodes;
        EXPECT_EQ(info.size(), 30001u);
        EXPECT_EQ(ScanEnvironment(info).size(), kEnvironmentKeys.size());
    }
    const auto picture = DecodePicture(GeneratePicture(FullSpec()), 0);
    EXPECT_EQ(picture ? picture->width * 1000 + picture->height : 0, 640480);
    EXPECT_EQ(GenerateMission(TinySpec()), GenerateMission(TinySpec()));
    EXPECT_GT(UnitListMission(FullSpec()).missionEntries.at(0).nodeCount(), kMaxEntryNodes);
}

} // namespace
} // namespace kmission::bench
