#pragma once

#include "byte_io.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kmission::demo {

// The environment of a demo mission, in the units the game uses. The writer
// stores some values as integers and some as floats, as the game's files do.
struct DemoEnvironment {
    std::int32_t temperature = 0;
    float jetCeiling = 0;
    std::string horizon; // "hormain" or "horblack"
    std::array<std::int32_t, 3> fogColour{};
    std::array<float, 2> fogAltitude{};
    std::array<float, 2> fogRange{};
    std::array<std::int32_t, 2> fogHwRange{};
    std::int32_t rainParticles = 0;
    std::array<std::int32_t, 3> rainColour{};
    std::array<float, 3> sunOrientation{};
    float sunDiffuse = 0;
    float sunAmbient = 0;
    std::array<std::int32_t, 3> waterColour{};
    std::array<float, 2> waterRange{};
    std::array<float, 2> waterAltitude{};
    std::int32_t windDirection = 0;
    float windVelocity = 0;
    float windGravity = 0;
    std::array<float, 2> windAlpha{};
    std::array<float, 3> globalVelocity{};
    float globalMaxSpeed = 0;
    float globalAccel = 0;
    float globalAngVel = 0;
};

// Positions are picture pixels of the mission's map; the archive holds the
// world coordinates they stand for (see WorldPoint).
struct DemoUnit {
    std::string name; // "player_1", "stealth_1", "remote_1", ...
    float px = 0;
    float py = 0;
    std::int32_t angle = 0;
    std::string vehicle;
};

struct DemoRegion {
    std::string entry; // "reg_inside_...", "reg_outside_...", "reg_border_..."
    std::string kind;
    std::vector<std::array<float, 2>> corners;
};

struct DemoMission {
    std::string fileName; // "readermp01.PBD"
    std::string title;    // the "db_name" value
    std::size_t map = 0;  // index into DemoMaps()
    std::int32_t players = 0;
    DemoEnvironment environment;
    std::vector<DemoRegion> regions;
    std::vector<DemoUnit> units;  // "aiv_units.prd", the units the editor edits
    std::vector<DemoUnit> patrol; // "aiv_patrol.prd" when not empty; drawn only
};

const std::vector<DemoMission>& DemoMissionPlans();

// The mission archive: "mpinfo.prd", the region entries, the unit entries and
// entries the editor carries without reading ("triggers.prd", "briefing.prd").
// Written in the form a load and save gives back byte for byte.
Bytes BuildMissionArchive(const DemoMission& mission);

} // namespace kmission::demo
