// Opening, saving, picture decoding, hover picking and the environment scan,
// each beside the physical work it cannot beat: copying or reading the same
// bytes, or touching the same nodes once.

#include "bench_inputs.h"

#include "environment_values.h"
#include "file_io.h"
#include "mission_save.h"
#include "picture_decoder.h"
#include "text.h"
#include "unit_editing.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <bit>
#include <charconv>
#include <cstring>
#include <memory>
#include <optional>

namespace kmission::bench {

namespace {

void CountBytes(benchmark::State& state, std::size_t bytes) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(bytes));
}

// A destination that is already mapped, so that only the copy is measured.
Bytes& CopyTarget(std::size_t size) {
    static Bytes target;
    if (target.size() < size) {
        target.assign(size, 1);
    }
    return target;
}

// Opening ends with the model in memory: freeing the one opened before is
// not part of it.
void Discard(benchmark::State& state, std::optional<MissionLoad>& load) {
    state.PauseTiming();
    load.reset();
    state.ResumeTiming();
}

void BM_Open(benchmark::State& state, const Bytes& (*input)()) {
    const Bytes& file = input();
    std::optional<MissionLoad> load;
    for (auto _ : state) {
        Discard(state, load);
        load = ReadMission(file);
        if (load->outcome != LoadOutcome::Loaded) {
            state.SkipWithError("the mission does not load");
            break;
        }
    }
    CountBytes(state, file.size());
}

// The floor of open and save: copying the archive's bytes once.
void BM_CopyReference(benchmark::State& state) {
    const Bytes& file = MissionBytes();
    Bytes& target = CopyTarget(file.size());
    for (auto _ : state) {
        std::memcpy(target.data(), file.data(), file.size());
        benchmark::ClobberMemory();
    }
    CountBytes(state, file.size());
}

const MissionModel& UsualMission() {
    return OpenEditorState().mission;
}

// File > Save less its system calls: the archive made entry by entry and
// gathered into the file writer's chunks, as they go to the file.
void BM_Save(benchmark::State& state, const MissionModel& (*input)()) {
    const MissionModel& mission = input();
    Bytes chunk(kWriteChunkSize);
    std::size_t size = 0;
    const auto gather = [&chunk, &size](ByteView piece) {
        while (!piece.empty()) {
            const std::size_t at = size % kWriteChunkSize;
            const std::size_t take = std::min(kWriteChunkSize - at, piece.size());
            std::memcpy(chunk.data() + at, piece.data(), take);
            benchmark::ClobberMemory();
            piece = piece.subspan(take);
            size += take;
        }
        return true;
    };
    for (auto _ : state) {
        size = 0;
        if (!StreamMission(mission, gather).complete) {
            state.SkipWithError("the mission does not save");
            break;
        }
    }
    CountBytes(state, size);
}

// The floor of opening for a model that holds every value as text: turning
// each number of the file into its text, the floats into at most seven
// significant digits, and nothing else.
void BM_OpenTextFloor(benchmark::State& state, const Bytes& (*input)()) {
    const FileNumbers numbers = NumbersOf(input());
    for (auto _ : state) {
        char text[32];
        std::size_t length = 0;
        for (const std::int32_t value : numbers.integers) {
            length +=
                static_cast<std::size_t>(std::to_chars(text, text + sizeof text, value).ptr - text);
        }
        for (const float value : numbers.floats) {
            length += static_cast<std::size_t>(
                std::to_chars(text, text + sizeof text, value, std::chars_format::general, 7).ptr -
                text);
        }
        benchmark::DoNotOptimize(length);
    }
    CountBytes(state, input().size());
}

// The floor of saving such a model: turning every number text of it back
// into its binary value, and nothing else.
void BM_SaveTextFloor(benchmark::State& state, const MissionModel& (*input)()) {
    const MissionModel& mission = input();
    std::size_t bytes = 0;
    for (const EntryTree& tree : mission.missionEntries) {
        bytes += static_cast<std::size_t>(tree.nodeCount()) * 8;
    }
    for (auto _ : state) {
        std::int64_t sum = 0;
        for (const EntryTree& tree : mission.missionEntries) {
            for (const ReaderNode& node : tree.nodes) {
                const std::string_view text = node.text();
                if (node.type() == kNodeFloat) {
                    float value = 0.0f;
                    std::from_chars(text.data(), text.data() + text.size(), value);
                    sum += std::bit_cast<std::int32_t>(value);
                } else if (node.type() == kNodeInteger || node.type() == kNodeList) {
                    std::int32_t value = 0;
                    std::from_chars(text.data(), text.data() + text.size(), value);
                    sum += value;
                }
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    CountBytes(state, bytes);
}

void BM_OpenFromDisk(benchmark::State& state) {
    const std::string& path = MissionPath();
    std::optional<MissionLoad> load;
    for (auto _ : state) {
        Discard(state, load);
        load = LoadMissionFile(path);
        if (load->outcome != LoadOutcome::Loaded) {
            state.SkipWithError("the mission file does not load");
            break;
        }
    }
    CountBytes(state, MissionBytes().size());
}

// The floor of opening from disk: reading the file into new memory.
void BM_ReadFileReference(benchmark::State& state) {
    const std::string& path = MissionPath();
    const std::size_t size = MissionBytes().size();
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        std::unique_ptr<std::uint8_t[]> buffer(new std::uint8_t[size]);
        std::size_t done = 0;
        while (fd >= 0 && done < size) {
            const ssize_t got = ::read(fd, buffer.get() + done, size - done);
            if (got <= 0) {
                break;
            }
            done += static_cast<std::size_t>(got);
        }
        if (fd >= 0) {
            ::close(fd);
        }
        if (done != size) {
            state.SkipWithError("the mission file cannot be read");
            break;
        }
        benchmark::DoNotOptimize(buffer.get());
    }
    CountBytes(state, size);
}

void BM_PictureDecode(benchmark::State& state) {
    const Bytes& picture = PictureBytes();
    for (auto _ : state) {
        auto decoded = DecodePicture(picture, 0);
        if (!decoded) {
            state.SkipWithError("the picture does not decode");
            break;
        }
        benchmark::DoNotOptimize(decoded->pixels.data());
    }
    CountBytes(state, picture.size());
}

// The floor of decoding: copying the picture's bytes once.
void BM_PictureCopyReference(benchmark::State& state) {
    const Bytes& picture = PictureBytes();
    Bytes& target = CopyTarget(picture.size());
    for (auto _ : state) {
        std::memcpy(target.data(), picture.data(), picture.size());
        benchmark::ClobberMemory();
    }
    CountBytes(state, picture.size());
}

// A pointer position on the map that no unit's hit square holds.
std::pair<float, float> MissPoint(const MissionModel& units) {
    const demo::DemoMap& map = BenchMap();
    for (int py = 1; py < 480; py += 7) {
        for (int px = 1; px < 640; px += 7) {
            const auto [x, z] =
                demo::WorldPoint(map, static_cast<float>(px), static_cast<float>(py));
            if (!PickUnit(units, x, z)) {
                return {x, z};
            }
        }
    }
    return {1.0e9f, 1.0e9f};
}

void BM_HoverPickMiss(benchmark::State& state) {
    const MissionModel& units = UnitList();
    const auto [x, z] = MissPoint(units);
    for (auto _ : state) {
        const auto pick = PickUnit(units, x, z);
        if (pick) {
            state.SkipWithError("the pointer hits a unit");
            break;
        }
        benchmark::DoNotOptimize(pick);
    }
}

void BM_HoverPickLast(benchmark::State& state) {
    const MissionModel& units = UnitList();
    const NodeList& nodes = units.missionEntries[0].nodes;
    const int last = LastUnitNode(Plan());
    const auto x = static_cast<float>(TextToNumber(nodes[last + kUnitXOffset].text()));
    const auto z = static_cast<float>(TextToNumber(nodes[last + kUnitZOffset].text()));
    for (auto _ : state) {
        const auto pick = PickUnit(units, x, z);
        if (!pick || pick->node != last) {
            state.SkipWithError("the pointer does not hit the last unit");
            break;
        }
        benchmark::DoNotOptimize(pick);
    }
}

// The least any search of the unit list can do: look at every node once.
void BM_UnitScanReference(benchmark::State& state) {
    const NodeList& nodes = UnitList().missionEntries[0].nodes;
    for (auto _ : state) {
        std::size_t sum = 0;
        for (const ReaderNode& node : nodes) {
            sum += node.text().size();
        }
        benchmark::DoNotOptimize(sum);
    }
}

// Controls that keep the texts they are given, as the dialogs' text boxes do.
class KeptTexts final : public EnvironmentControls {
public:
    void keyFound(EnvironmentKey) override {}
    void showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) override {
        texts_[KeyIndex(key)][Ordinal(key, slot)] = text;
    }
    std::optional<std::string> editedValue(EnvironmentKey key,
                                           const ValueSlot& slot) const override {
        return texts_[KeyIndex(key)][Ordinal(key, slot)];
    }

private:
    static std::size_t Ordinal(EnvironmentKey key, const ValueSlot& slot) {
        return static_cast<std::size_t>(&slot - ValueSlots(key).data());
    }
    std::array<std::array<std::string, 16>, kEnvironmentKeyCount> texts_;
};

const NodeList& InfoNodes() {
    const MissionModel& mission = OpenEditorState().mission;
    return mission.missionEntries[static_cast<std::size_t>(FindMissionInfo(mission))].nodes;
}

void BM_EnvironmentLoad(benchmark::State& state) {
    const NodeList& nodes = InfoNodes();
    for (auto _ : state) {
        KeptTexts controls;
        const EnvironmentKeySet found = LoadEnvironment(nodes, controls);
        if (!found.all()) {
            state.SkipWithError("the info entry lacks environment keys");
            break;
        }
        benchmark::DoNotOptimize(controls);
    }
}

void BM_EnvironmentWriteBack(benchmark::State& state) {
    NodeList& nodes =
        OpenEditorState()
            .mission
            .missionEntries[static_cast<std::size_t>(FindMissionInfo(OpenEditorState().mission))]
            .nodes;
    KeptTexts controls;
    const EnvironmentKeySet loaded = LoadEnvironment(nodes, controls);
    for (auto _ : state) {
        WriteEnvironment(nodes, controls, loaded);
        benchmark::ClobberMemory();
    }
}

// The least any scan of the info entry can do: look at every node once.
void BM_InfoScanReference(benchmark::State& state) {
    const NodeList& nodes = InfoNodes();
    for (auto _ : state) {
        std::size_t sum = 0;
        for (const ReaderNode& node : nodes) {
            sum += node.text().size();
        }
        benchmark::DoNotOptimize(sum);
    }
}

} // namespace

BENCHMARK_CAPTURE(BM_Open, usual, &MissionBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Open, wide, &WideMissionBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenTextFloor, usual, &MissionBytes)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenTextFloor, wide, &WideMissionBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyReference)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, usual, &UsualMission)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, wide, &WideMission)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveTextFloor, usual, &UsualMission)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_SaveTextFloor, wide, &WideMission)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenFromDisk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadFileReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PictureDecode)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PictureCopyReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverPickMiss)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HoverPickLast)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_UnitScanReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnvironmentLoad)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EnvironmentWriteBack)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_InfoScanReference)->Unit(benchmark::kMicrosecond);

} // namespace kmission::bench
