#include "demo_missions.h"

#include "archive.h"
#include "demo_maps.h"
#include "demo_stream.h"

namespace kmission::demo {

namespace {

std::string PadWithNul(std::string text, std::size_t width) {
    text.resize(width, '\0');
    return text;
}

Bytes MissionInfo(const DemoMission& mission) {
    const DemoEnvironment& env = mission.environment;
    // db_name, MAP, max_players and the eight environment settings, each a
    // key and a list, after the leading "mission".
    constexpr std::int32_t kSettings = 11;
    ValueStream s;
    s.list(2 + 2 * kSettings).string("mission");
    s.key("db_name", 1).string(mission.title);
    s.key("MAP", 1).string(DemoMaps().at(mission.map).name);
    s.key("max_players", 1).integer(mission.players);
    s.key("ambient_temperature", 1).integer(env.temperature);
    s.key("jet_ceiling", 1).real(env.jetCeiling);

    s.key("fog", 10);
    s.key("horizon", 1).string(env.horizon);
    s.key("color", 3).integer(env.fogColour[0]).integer(env.fogColour[1]).integer(env.fogColour[2]);
    s.key("altitude", 2).real(env.fogAltitude[0]).real(env.fogAltitude[1]);
    s.key("range", 2).real(env.fogRange[0]).real(env.fogRange[1]);
    s.key("hwrange", 2).integer(env.fogHwRange[0]).integer(env.fogHwRange[1]);

    s.key("rain", 4);
    s.key("particles", 1).integer(env.rainParticles);
    s.key("color", 3)
        .integer(env.rainColour[0])
        .integer(env.rainColour[1])
        .integer(env.rainColour[2]);

    s.key("sun", 6);
    s.key("orientation", 3)
        .real(env.sunOrientation[0])
        .real(env.sunOrientation[1])
        .real(env.sunOrientation[2]);
    s.key("diffuse", 1).real(env.sunDiffuse);
    s.key("ambient", 1).real(env.sunAmbient);

    s.key("underwater", 6);
    s.key("color", 3)
        .integer(env.waterColour[0])
        .integer(env.waterColour[1])
        .integer(env.waterColour[2]);
    s.key("range", 2).real(env.waterRange[0]).real(env.waterRange[1]);
    s.key("altitude", 2).real(env.waterAltitude[0]).real(env.waterAltitude[1]);

    s.key("wind", 8);
    s.key("direction", 1).integer(env.windDirection);
    s.key("velocity", 1).real(env.windVelocity);
    s.key("gravity", 1).real(env.windGravity);
    s.key("alphagradient", 2).real(env.windAlpha[0]).real(env.windAlpha[1]);

    s.key("global_wind", 8);
    s.key("velocity", 3)
        .real(env.globalVelocity[0])
        .real(env.globalVelocity[1])
        .real(env.globalVelocity[2]);
    s.key("maxspeed", 1).real(env.globalMaxSpeed);
    s.key("randomaccel", 1).real(env.globalAccel);
    s.key("randomangvel", 1).real(env.globalAngVel);
    return s.take();
}

// A region: its kind, then its corners "node_1", "node_2", ..., each a named
// list holding a position (x, y, z).
Bytes RegionEntry(const DemoRegion& region, const DemoMap& map) {
    ValueStream s;
    s.list(5).key("kind", 1).string(region.kind);
    s.key("nodes", 2 * static_cast<std::int32_t>(region.corners.size()));
    int number = 0;
    for (const auto& corner : region.corners) {
        const auto [x, z] = WorldPoint(map, corner[0], corner[1]);
        s.key("node_" + std::to_string(++number), 2);
        s.key("position", 3).real(x).integer(0).real(z);
    }
    return s.take();
}

// Units: the name, then a list with the position (x, y, z, angle) and the vehicle.
Bytes UnitEntry(const std::vector<DemoUnit>& units, const DemoMap& map) {
    ValueStream s;
    s.list(3).key("units", 2 * static_cast<std::int32_t>(units.size()));
    for (const DemoUnit& unit : units) {
        const auto [x, z] = WorldPoint(map, unit.px, unit.py);
        s.key(unit.name, 4);
        s.key("position", 4).real(x).real(0.5f).real(z).integer(unit.angle);
        s.key("vehicle", 1).string(unit.vehicle);
    }
    return s.take();
}

Bytes Triggers() {
    ValueStream s;
    s.list(3).key("triggers", 4);
    s.key("trigger", 6);
    s.key("event", 1).string("mission_start");
    s.key("delay", 1).real(2.5f);
    s.key("action", 1).string("show_briefing");
    s.key("trigger", 6);
    s.key("event", 1).string("all_destroyed");
    s.key("delay", 1).real(10);
    s.key("action", 1).string("end_mission");
    return s.take();
}

Bytes Briefing(const DemoMission& mission) {
    ValueStream s;
    s.list(3).key("briefing", 1).string(mission.title + ": a demonstration mission of KMission.");
    return s.take();
}

DemoMission DesertStorm() {
    DemoMission m;
    m.fileName = "readermp01.PBD";
    m.title = "Desert Storm";
    m.map = 0;
    m.players = 8;
    m.environment = {
        .temperature = 38,
        .jetCeiling = 1500.0f,
        .horizon = "hormain",
        .fogColour = {214, 190, 150},
        .fogAltitude = {0, 250.5f},
        .fogRange = {200, 2600},
        .fogHwRange = {120, 900},
        .rainParticles = 0,
        .rainColour = {190, 190, 200},
        .sunOrientation = {-0.45f, 0.8f, 0.35f},
        .sunDiffuse = 1.25f,
        .sunAmbient = 0.4f,
        .waterColour = {18, 70, 96},
        .waterRange = {4, 45},
        .waterAltitude = {-40, 0},
        .windDirection = 70,
        .windVelocity = 14.5f,
        .windGravity = 0.98f,
        .windAlpha = {0.25f, 0.75f},
        .globalVelocity = {4.5f, 0, -2.25f},
        .globalMaxSpeed = 30,
        .globalAccel = 0.5f,
        .globalAngVel = 0.125f,
    };
    m.regions = {
        {"reg_inside_oasis",
         "inside",
         {{110, 290}, {235, 285}, {250, 360}, {200, 410}, {115, 400}}},
        {"reg_outside_coast",
         "outside",
         {{300, 250}, {455, 250}, {460, 330}, {420, 380}, {300, 360}}},
        {"reg_border_north",
         "border",
         {{20, 20}, {220, 15}, {440, 25}, {440, 70}, {220, 75}, {20, 80}}},
    };
    m.units = {
        {"player_1", 140, 320, 90, "tank_heavy"},  {"player_2", 210, 315, 90, "tank_heavy"},
        {"player_3", 215, 385, 45, "apc"},         {"player_4", 135, 385, 0, "apc"},
        {"stealth_1", 330, 60, 180, "helicopter"}, {"stealth_2", 260, 40, 270, "helicopter"},
        {"remote_1", 380, 300, 135, "jeep"},       {"remote_2", 360, 440, 315, "jeep"},
    };
    return m;
}

DemoMission RiverCrossing() {
    DemoMission m;
    m.fileName = "readermp02.PBD";
    m.title = "River Crossing";
    m.map = 1;
    m.players = 6;
    m.environment = {
        .temperature = 17,
        .jetCeiling = 1200.0f,
        .horizon = "horblack",
        .fogColour = {150, 160, 170},
        .fogAltitude = {0, 180},
        .fogRange = {80, 1400},
        .fogHwRange = {60, 700},
        .rainParticles = 400,
        .rainColour = {150, 155, 165},
        .sunOrientation = {-0.3f, 0.6f, 0.74f},
        .sunDiffuse = 0.95f,
        .sunAmbient = 0.3f,
        .waterColour = {30, 60, 50},
        .waterRange = {2, 25},
        .waterAltitude = {-25, 0},
        .windDirection = 200,
        .windVelocity = 8.25f,
        .windGravity = 0.98f,
        .windAlpha = {0.2f, 0.6f},
        .globalVelocity = {-3, 0, 1.5f},
        .globalMaxSpeed = 20,
        .globalAccel = 0.75f,
        .globalAngVel = 0.25f,
    };
    m.regions = {
        {"reg_inside_bridge", "inside", {{200, 130}, {280, 125}, {290, 205}, {205, 215}}},
        {"reg_outside_west", "outside", {{30, 200}, {150, 190}, {160, 290}, {120, 340}, {20, 330}}},
        {"reg_border_coast",
         "border",
         {{10, 330}, {200, 335}, {420, 325}, {630, 320}, {630, 350}, {420, 355}, {10, 365}}},
    };
    m.units = {
        {"player_1", 90, 210, 90, "tank_heavy"},    {"player_2", 130, 240, 90, "apc"},
        {"player_3", 70, 280, 45, "jeep"},          {"stealth_1", 430, 230, 270, "helicopter"},
        {"stealth_2", 470, 280, 270, "tank_heavy"}, {"remote_1", 560, 110, 225, "apc"},
        {"remote_2", 500, 60, 180, "jeep"},
    };
    m.patrol = {{"remote_3", 330, 160, 90, "jeep"}, {"remote_4", 360, 200, 90, "jeep"}};
    return m;
}

DemoMission HighlandSiege() {
    DemoMission m;
    m.fileName = "readermp03.PBD";
    m.title = "Highland Siege";
    m.map = 2;
    m.players = 4;
    m.environment = {
        .temperature = 4,
        .jetCeiling = 2400.0f,
        .horizon = "hormain",
        .fogColour = {200, 205, 215},
        .fogAltitude = {50, 600},
        .fogRange = {300, 3200},
        .fogHwRange = {150, 1200},
        .rainParticles = 150,
        .rainColour = {220, 220, 230},
        .sunOrientation = {-0.6f, 0.5f, 0.62f},
        .sunDiffuse = 1.1f,
        .sunAmbient = 0.45f,
        .waterColour = {20, 50, 70},
        .waterRange = {3, 30},
        .waterAltitude = {-60, 0},
        .windDirection = 315,
        .windVelocity = 22.5f,
        .windGravity = 0.98f,
        .windAlpha = {0.3f, 0.9f},
        .globalVelocity = {-6.5f, 0, 3},
        .globalMaxSpeed = 45,
        .globalAccel = 1.5f,
        .globalAngVel = 0.375f,
    };
    m.regions = {
        {"reg_inside_pass", "inside", {{300, 200}, {400, 195}, {410, 280}, {310, 290}}},
        {"reg_outside_ridge",
         "outside",
         {{470, 30}, {600, 25}, {610, 110}, {560, 160}, {480, 130}}},
        {"reg_border_south",
         "border",
         {{230, 400}, {330, 395}, {430, 400}, {440, 460}, {330, 465}, {230, 460}}},
    };
    m.units = {
        {"player_1", 260, 150, 90, "tank_heavy"},
        {"player_2", 240, 200, 90, "apc"},
        {"stealth_1", 450, 420, 270, "helicopter"},
        {"remote_1", 170, 60, 180, "jeep"},
    };
    return m;
}

} // namespace

const std::vector<DemoMission>& DemoMissionPlans() {
    static const std::vector<DemoMission> plans{DesertStorm(), RiverCrossing(), HighlandSiege()};
    return plans;
}

Bytes BuildMissionArchive(const DemoMission& mission) {
    const DemoMap& map = DemoMaps().at(mission.map);
    std::vector<ArchiveEntry> directory;
    std::vector<Bytes> entries;
    const auto add = [&](const std::string& name, Bytes bytes) {
        ArchiveEntry entry;
        entry.name = PadWithNul(name, 64);
        directory.push_back(entry);
        entries.push_back(std::move(bytes));
    };
    add("mpinfo.prd", MissionInfo(mission));
    for (const DemoRegion& region : mission.regions) {
        add(region.entry + ".prd", RegionEntry(region, map));
    }
    add("aiv_units.prd", UnitEntry(mission.units, map));
    if (!mission.patrol.empty()) {
        add("aiv_patrol.prd", UnitEntry(mission.patrol, map));
    }
    add("triggers.prd", Triggers());
    add("briefing.prd", Briefing(mission));
    return WriteArchive(directory, entries);
}

} // namespace kmission::demo
