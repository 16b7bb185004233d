#include "bench_inputs.h"

#include "demo_installation.h"
#include "map_painter.h"
#include "picture_decoder.h"
#include "text.h"
#include "view_transform.h"

#include <bit>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace kmission::bench {

namespace {

bool tinyInputs = false;

// Benchmarks cannot continue without their inputs: a failure here is a fault
// of this program, reported with what went wrong.
[[noreturn]] void Fail(const std::string& what) {
    throw std::runtime_error("benchmark input: " + what);
}

// Made on first use; empty until then.
std::string temporaryDir;

const std::string& TemporaryDir() {
    if (temporaryDir.empty()) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kmission-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            Fail("no temporary folder");
        }
        temporaryDir = pattern;
    }
    return temporaryDir;
}

} // namespace

bool TakeTinySwitch(int& argc, char** argv) {
    bool tiny = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kTinyFlag) == 0) {
            tiny = true;
        } else {
            argv[kept++] = argv[i];
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    const char* variable = std::getenv(kTinyVariable);
    if (variable != nullptr && *variable != '\0' && std::strcmp(variable, "0") != 0) {
        tiny = true;
    }
    return tiny;
}

void UseTinyInputs(bool tiny) {
    tinyInputs = tiny;
}

const MissionSpec& Plan() {
    static const MissionSpec plan = tinyInputs ? TinySpec() : FullSpec();
    return plan;
}

const Bytes& MissionBytes() {
    static const Bytes bytes = GenerateMission(Plan());
    return bytes;
}

const Bytes& WideMissionBytes() {
    static const Bytes bytes = GenerateMission(WideFloats(Plan()));
    return bytes;
}

const MissionModel& WideMission() {
    static const MissionModel mission = [] {
        MissionLoad load = ReadMission(WideMissionBytes());
        if (load.outcome != LoadOutcome::Loaded) {
            Fail("the generated mission of wide floats does not load");
        }
        return std::move(load.mission);
    }();
    return mission;
}

FileNumbers NumbersOf(const Bytes& archive) {
    const MissionLoad load = ReadMission(archive);
    FileNumbers numbers;
    for (const ArchiveEntry& entry : load.mission.archiveDirectory) {
        std::int64_t at = entry.offset;
        const std::int64_t end = std::int64_t{entry.offset} + entry.size;
        while (at + 8 <= end) {
            const std::int32_t tag = Int32At(archive, at);
            const std::int32_t payload = Int32At(archive, at + 4);
            at += 8;
            if (tag == kNodeInteger || tag == kNodeList) {
                numbers.integers.push_back(payload);
            } else if (tag == kNodeFloat) {
                numbers.floats.push_back(std::bit_cast<float>(payload));
            } else if (tag == kNodeString) {
                at += payload;
            } else {
                break;
            }
        }
    }
    return numbers;
}

const std::string& MissionPath() {
    static const std::string path = [] {
        const std::string file = TemporaryDir() + "/readermp_bench.PBD";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        const Bytes& bytes = MissionBytes();
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            Fail("cannot write " + file);
        }
        return file;
    }();
    return path;
}

const std::string& DemoInstallationDir() {
    static const std::string dir = [] {
        const std::string game = TemporaryDir() + "/game";
        std::string error;
        if (!demo::WriteDemoInstallation(game, error)) {
            Fail("demo installation: " + error);
        }
        return game;
    }();
    return dir;
}

EditorState& OpenEditorState() {
    static EditorState state = [] {
        EditorState open;
        MissionLoad load = ReadMission(MissionBytes());
        if (load.outcome != LoadOutcome::Loaded) {
            Fail("the generated mission does not load");
        }
        open.mission = std::move(load.mission);
        const demo::DemoMap& map = BenchMap();
        MapInfo info;
        info.name = PadText(map.name, kMapNameWidth);
        info.bitmap = PadText(map.bitmap, kMapNameWidth);
        info.mpp = map.mpp;
        info.offsetX = map.offsetX;
        info.offsetY = map.offsetY;
        info.offsetZ = map.offsetZ;
        open.mapCatalogue.push_back(info);
        PictureIndexEntry record;
        record.name = PadText(map.name, 32);
        open.pictureIndex.push_back(record);
        if (!SetMapScale(open, map.name).messages.empty()) {
            Fail("the map's scale cannot be set");
        }
        open.mapLoaded = true;
        return open;
    }();
    return state;
}

const QImage& MapSurface() {
    static const QImage surface = [] {
        const auto picture = DecodePicture(PictureBytes(), 0);
        if (!picture) {
            Fail("the generated picture does not decode");
        }
        return MakeMapSurface(*picture, QColor(kButtonFaceColour));
    }();
    return surface;
}

const MissionModel& UnitList() {
    static const MissionModel mission = UnitListMission(Plan());
    return mission;
}

const Bytes& PictureBytes() {
    static const Bytes bytes = GeneratePicture(Plan());
    return bytes;
}

void RemoveTemporaryFiles() {
    if (!temporaryDir.empty()) {
        std::error_code error;
        std::filesystem::remove_all(temporaryDir, error);
    }
}

} // namespace kmission::bench
