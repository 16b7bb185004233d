#include "synthetic_mission.h"

#include "archive.h"
#include "demo_stream.h"
#include "reader_tree.h"

#include <array>
#include <cmath>
#include <random>
#include <string_view>
#include <vector>

namespace kmission::bench {

namespace {

// Only the engine is standard-defined; the mappings to ranges are done here so
// that every standard library draws the same values.
class Random {
public:
    Random(std::uint32_t seed, bool wideFloats = false) : engine_(seed), wideFloats_(wideFloats) {}

    // 0 ... n - 1
    int below(int n) { return static_cast<int>(engine_() % static_cast<std::uint32_t>(n)); }
    // [0, 1)
    float unit() { return static_cast<float>(engine_() >> 8) / 16777216.0f; }
    float between(float low, float high) { return low + (high - low) * unit(); }

    // The values a mission holds: whole numbers and short decimals typed by
    // designers, and the full-precision floats that tools compute.
    float value(float magnitude) {
        if (wideFloats_) {
            return wide();
        }
        switch (below(3)) {
        case 0:
            return static_cast<float>(below(static_cast<int>(magnitude) + 1));
        case 1:
            return static_cast<float>(below(static_cast<int>(magnitude) * 8 + 1)) / 8.0f;
        default:
            return between(-magnitude, magnitude);
        }
    }

    // What generated missions hold: floats of every magnitude from 1E-12 to
    // 1E+12 with random mantissas and signs, and some exact integers. The
    // powers of ten are exact or correctly rounded doubles, so every library
    // draws the same floats.
    float wide() {
        if (below(8) == 0) {
            return static_cast<float>(below(100000));
        }
        const double mantissa = 1.0 + 9.0 * unit();
        const int exponent = below(25) - 12;
        double power = 1.0;
        for (int i = 0; i < (exponent < 0 ? -exponent : exponent); ++i) {
            power *= 10.0;
        }
        const double magnitude = exponent < 0 ? mantissa / power : mantissa * power;
        return static_cast<float>(below(2) == 0 ? magnitude : -magnitude);
    }

    template <std::size_t N> std::string_view pick(const std::array<std::string_view, N>& words) {
        return words[static_cast<std::size_t>(below(static_cast<int>(N)))];
    }

private:
    std::mt19937 engine_;
    bool wideFloats_;
};

constexpr std::array<std::string_view, 8> kVehicles = {
    "tank_heavy", "tank_light", "apc", "jeep", "helicopter", "artillery", "truck", "scout"};
constexpr std::array<std::string_view, 10> kObjectTypes = {
    "building_hangar", "bunker",     "tree_pine",  "rock_large", "fuel_depot",
    "radar_tower",     "wall_short", "bridge_end", "crate",      "barracks"};
constexpr std::array<std::string_view, 6> kTeams = {"red",     "blue", "green",
                                                    "neutral", "gold", "none"};
constexpr std::array<std::string_view, 6> kEvents = {
    "mission_start", "all_destroyed", "area_entered", "timer", "unit_lost", "flag_taken"};
constexpr std::array<std::string_view, 6> kActions = {
    "show_briefing", "end_mission", "spawn_wave", "play_sound", "set_objective", "reveal_map"};
constexpr std::array<std::string_view, 3> kRegionKinds = {"inside", "outside", "border"};
constexpr std::array<std::string_view, 3> kUnitKinds = {"player_", "stealth_", "remote_"};

constexpr float kHitHalf = 5.0f; // half the side of a unit's hit square, world units

std::string Number(std::string_view prefix, int n) {
    return std::string(prefix).append(std::to_string(n));
}

struct Unit {
    std::string name;
    float x = 0.0f;
    float z = 0.0f;
    int angle = 0;
    std::string_view vehicle;
};

// Every unit somewhere on the map picture; the last one where no other unit's
// hit square reaches it, so that a pick at its position finds it and no other.
std::vector<Unit> MakeUnits(const MissionSpec& plan) {
    Random random(plan.seed ^ 0x5eed0001u);
    const demo::DemoMap& map = BenchMap();
    std::vector<Unit> units(static_cast<std::size_t>(plan.units));
    for (int i = 0; i < plan.units; ++i) {
        Unit& unit = units[static_cast<std::size_t>(i)];
        unit.name = Number(random.pick(kUnitKinds), i + 1);
        const auto [x, z] = demo::WorldPoint(map, random.between(2, 638), random.between(2, 478));
        unit.x = x;
        unit.z = z;
        unit.angle = random.below(360);
        unit.vehicle = random.pick(kVehicles);
    }
    const auto crowded = [&units](float x, float z) {
        for (std::size_t i = 0; i + 1 < units.size(); ++i) {
            if (std::fabs(units[i].x - x) < 2 * kHitHalf &&
                std::fabs(units[i].z - z) < 2 * kHitHalf) {
                return true;
            }
        }
        return false;
    };
    Unit& last = units.back();
    while (crowded(last.x, last.z)) {
        const auto [x, z] = demo::WorldPoint(map, random.between(2, 638), random.between(2, 478));
        last.x = x;
        last.z = z;
    }
    return units;
}

// name, then a list: "position" with x, height, z and angle, "vehicle" with its type.
void WriteUnits(demo::ValueStream& s, const std::vector<Unit>& units, std::size_t first,
                std::size_t count) {
    s.list(3).key("units", 2 * static_cast<std::int32_t>(count));
    for (std::size_t i = first; i < first + count; ++i) {
        const Unit& unit = units[i];
        s.key(unit.name, 4);
        s.key("position", 4).real(unit.x).real(0.5f).real(unit.z).integer(unit.angle);
        s.key("vehicle", 1).string(unit.vehicle);
    }
}

// A region: its kind, then its corners "node_1" ... each with a position.
Bytes RegionEntry(Random& random, std::string_view kind, int corners) {
    const demo::DemoMap& map = BenchMap();
    const float cx = random.between(40, 600);
    const float cy = random.between(40, 440);
    const float radius = random.between(8, 40);
    demo::ValueStream s;
    s.list(5).key("kind", 1).string(kind);
    s.key("nodes", 2 * corners);
    for (int c = 0; c < corners; ++c) {
        const double angle = 6.283185307179586 * c / corners;
        const float r = radius * random.between(0.7f, 1.0f);
        const auto [x, z] = demo::WorldPoint(map, cx + r * static_cast<float>(std::cos(angle)),
                                             cy + r * static_cast<float>(std::sin(angle)));
        s.key(Number("node_", c + 1), 2);
        s.key("position", 3).real(x).integer(0).real(z);
    }
    return s.take();
}

// Placed objects: 25 values each, a mix of every kind of value.
Bytes ObjectEntry(Random& random, int objects, int& serial) {
    demo::ValueStream s;
    s.list(3).key("objects", 2 * objects);
    for (int i = 0; i < objects; ++i) {
        s.key(Number("obj_", ++serial), 6);
        s.key("type", 1).string(random.pick(kObjectTypes));
        s.key("position", 4)
            .real(random.value(1000))
            .real(random.value(50))
            .real(random.value(1000))
            .integer(random.below(360));
        s.key("health", 1).real(random.value(1000));
        s.key("team", 1).string(random.pick(kTeams));
        s.key("flags", 3)
            .integer(random.below(2))
            .integer(random.below(16))
            .integer(random.below(4));
        s.key("script", 1).string(Number("on_destroy_", random.below(500)));
    }
    return s.take();
}

// Triggers: mostly short strings.
Bytes TriggerEntry(Random& random, int triggers) {
    demo::ValueStream s;
    s.list(3).key("triggers", 2 * triggers);
    for (int i = 0; i < triggers; ++i) {
        s.key("trigger", 8);
        s.key("event", 1).string(random.pick(kEvents));
        s.key("delay", 1).real(random.value(60));
        s.key("action", 1).string(random.pick(kActions));
        s.key("target", 1).string(Number("obj_", random.below(100000)));
    }
    return s.take();
}

// "mpinfo.prd": name, map, players, every environment setting, then mission
// settings until the entry holds `plan.infoNodes` values.
Bytes InfoEntry(Random& random, const MissionSpec& plan) {
    demo::ValueStream s;
    int nodes = 0;
    const auto count = [&nodes](int n) { nodes += n; };
    s.list(3).string("mission");
    count(2);
    s.key("db_name", 1).string("Benchmark Storm");
    s.key("MAP", 1).string(BenchMap().name);
    s.key("max_players", 1).integer(16);
    s.key("ambient_temperature", 1).integer(31);
    s.key("jet_ceiling", 1).real(1500.0f);
    count(15);
    s.key("fog", 10).key("horizon", 1).string("hormain");
    s.key("color", 3).integer(214).integer(190).integer(150);
    s.key("altitude", 2).real(0).real(250.5f);
    s.key("range", 2).real(200).real(2600);
    s.key("hwrange", 2).integer(120).integer(900);
    count(22);
    s.key("rain", 4).key("particles", 1).integer(400);
    s.key("color", 3).integer(150).integer(155).integer(165);
    count(10);
    s.key("sun", 6).key("orientation", 3).real(-0.45f).real(0.8f).real(0.35f);
    s.key("diffuse", 1).real(1.25f);
    s.key("ambient", 1).real(0.4f);
    count(13);
    s.key("underwater", 6).key("color", 3).integer(18).integer(70).integer(96);
    s.key("range", 2).real(4).real(45);
    s.key("altitude", 2).real(-40).real(0);
    count(15);
    s.key("wind", 8).key("direction", 1).integer(70);
    s.key("velocity", 1).real(14.5f);
    s.key("gravity", 1).real(0.98f);
    s.key("alphagradient", 2).real(0.25f).real(0.75f);
    count(15);
    s.key("global_wind", 8).key("velocity", 3).real(4.5f).real(0).real(-2.25f);
    s.key("maxspeed", 1).real(30);
    s.key("randomaccel", 1).real(0.5f);
    s.key("randomangvel", 1).real(0.125f);
    count(16);
    // Spawn points and objectives: a key, a list, three values.
    for (int i = 1; nodes + 5 <= plan.infoNodes; ++i) {
        if (i % 2 == 0) {
            s.key(Number("spawn_", i), 3).real(random.value(1000)).real(0).real(random.value(1000));
        } else {
            s.key(Number("objective_", i), 3)
                .string(random.pick(kActions))
                .integer(random.below(100))
                .real(random.value(100));
        }
        count(5);
    }
    for (; nodes < plan.infoNodes; ++nodes) {
        s.integer(random.below(100));
    }
    return s.take();
}

struct ArchiveWriter {
    std::vector<ArchiveEntry> directory;
    std::vector<Bytes> entries;
    std::int64_t bytes = 8; // the trailer

    void add(const std::string& name, Bytes entry) {
        ArchiveEntry record;
        record.name = name;
        record.name.resize(64, '\0');
        record.auxText = std::string(64, '\0');
        bytes += static_cast<std::int64_t>(entry.size()) + kDirectoryRecordSize;
        directory.push_back(std::move(record));
        entries.push_back(std::move(entry));
    }
};

} // namespace

MissionSpec FullSpec() {
    return {.minimumBytes = 32 * 1024 * 1024,
            .units = 10000,
            .unitsPerEntry = 2500,
            .regions = 1000,
            .cornersPerRegion = 20,
            .infoNodes = 30000,
            .pictureWidth = 640,
            .pictureHeight = 480,
            .seed = 20240601};
}

MissionSpec TinySpec() {
    return {.minimumBytes = 96 * 1024,
            .units = 100,
            .unitsPerEntry = 40,
            .regions = 10,
            .cornersPerRegion = 20,
            .infoNodes = 300,
            .pictureWidth = 64,
            .pictureHeight = 48,
            .seed = 20240601};
}

MissionSpec WideFloats(MissionSpec plan) {
    plan.wideFloats = true;
    return plan;
}

const demo::DemoMap& BenchMap() {
    return demo::DemoMaps().front();
}

Bytes GenerateMission(const MissionSpec& plan) {
    Random random(plan.seed, plan.wideFloats);
    ArchiveWriter archive;
    archive.add("mpinfo.prd", InfoEntry(random, plan));
    for (int r = 0; r < plan.regions; ++r) {
        const std::string_view kind = random.pick(kRegionKinds);
        archive.add(Number(std::string("reg_").append(kind).append("_"), r + 1) + ".prd",
                    RegionEntry(random, kind, plan.cornersPerRegion));
    }
    const std::vector<Unit> units = MakeUnits(plan);
    for (std::size_t first = 0, n = 1; first < units.size(); first += plan.unitsPerEntry, ++n) {
        const std::size_t count =
            std::min(units.size() - first, static_cast<std::size_t>(plan.unitsPerEntry));
        demo::ValueStream s;
        WriteUnits(s, units, first, count);
        archive.add(Number("aiv_units_", static_cast<int>(n)) + ".prd", s.take());
    }
    int serial = 0;
    for (int n = 1; archive.bytes < plan.minimumBytes; ++n) {
        if (n % 4 == 0) {
            archive.add(Number("trig_", n) + ".prd", TriggerEntry(random, 10 + random.below(300)));
        } else {
            archive.add(Number("obj_", n) + ".prd",
                        ObjectEntry(random, 10 + random.below(400), serial));
        }
    }
    return WriteArchive(archive.directory, archive.entries);
}

Bytes GenerateUnitList(const MissionSpec& plan) {
    const std::vector<Unit> units = MakeUnits(plan);
    demo::ValueStream s;
    WriteUnits(s, units, 0, units.size());
    return s.take();
}

int LastUnitNode(const MissionSpec& plan) {
    return kFirstUnitNode + 11 * (plan.units - 1);
}

Bytes GeneratePicture(const MissionSpec& plan) {
    Random random(plan.seed ^ 0x5eed0002u);
    Bytes out;
    ByteWriter writer(out);
    writer.int32(0);
    writer.int16(static_cast<std::int16_t>(plan.pictureWidth));
    writer.int16(static_cast<std::int16_t>(plan.pictureHeight));
    writer.int32(0);
    writer.int32(0);
    // Smooth terrain with some noise, as map pictures are.
    for (int y = 0; y < plan.pictureHeight; ++y) {
        for (int x = 0; x < plan.pictureWidth; ++x) {
            const int shade =
                (x * 31 / plan.pictureWidth + y * 17 / plan.pictureHeight + random.below(3)) & 31;
            const auto pixel =
                static_cast<std::int16_t>(shade << 11 | (shade * 2) << 5 | shade / 2);
            writer.int16(pixel);
        }
    }
    return out;
}

MissionModel UnitListMission(const MissionSpec& plan) {
    const Bytes bytes = GenerateUnitList(plan);
    MissionModel mission;
    ArchiveEntry record;
    record.name = "aiv_units.prd";
    record.name.resize(64, '\0');
    record.size = static_cast<std::int32_t>(bytes.size());
    mission.archiveDirectory.push_back(record);
    EntryTree tree;
    tree.name = "aiv_units.prd";
    tree.name.resize(64, ' ');
    ParseEntry(bytes, 0, static_cast<std::int64_t>(bytes.size()), tree.nodes);
    mission.missionEntries.push_back(std::move(tree));
    return mission;
}

} // namespace kmission::bench
