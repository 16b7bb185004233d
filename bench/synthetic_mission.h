#pragma once

// Seeded inputs for the benchmarks, made by this program alone: a large
// mission archive laid out the way the game writes its missions, the unit
// list that hover picking searches, and a 5-6-5 map picture. The same seed
// always gives the same bytes.

#include "byte_io.h"
#include "demo_maps.h"
#include "mission.h"

#include <cstdint>
#include <string>

namespace kmission::bench {

struct MissionSpec {
    std::int64_t minimumBytes = 0; // the archive grows until it is at least this long
    int units = 0;
    int unitsPerEntry = 0; // an entry holds at most 32,767 values: 11 per unit
    int regions = 0;
    int cornersPerRegion = 0;
    int infoNodes = 0; // values of "mpinfo.prd", environment included
    int pictureWidth = 0;
    int pictureHeight = 0;
    std::uint32_t seed = 0;
    // Object, trigger and info values drawn as floats of every magnitude
    // (1E-12 ... 1E+12) instead of the short decimals of the usual mix; units
    // and regions stay on the map either way.
    bool wideFloats = false;
};

// 32 MiB, 10,000 units in four "aiv" entries, 1,000 regions of 20 corners, an
// info entry of 30,000 values with every environment key, a 640 x 480 picture.
MissionSpec FullSpec();
// The same shapes a few hundred times smaller, so that every benchmark can
// run once in a test.
MissionSpec TinySpec();

// The same plan with wide floats.
MissionSpec WideFloats(MissionSpec plan);

// The map the mission names ("MAP"): the first demo map, so that the editor
// finds its picture in a demo installation.
const demo::DemoMap& BenchMap();

// The archive: "mpinfo.prd", the region entries "reg_inside_NNNN.prd",
// "reg_outside_NNNN.prd" and "reg_border_NNNN.prd", the unit entries
// "aiv_units_N.prd", then object and trigger entries until the archive is
// `minimumBytes` long. Every unit and corner lies on the map.
Bytes GenerateMission(const MissionSpec& plan);

// One "aiv" entry holding all `plan.units` units, more than a file's entry may
// hold: hover picking searches only the first unit entry, and this is its
// worst case. The last unit stands where no other unit's hit square reaches.
Bytes GenerateUnitList(const MissionSpec& plan);

// Node numbers of the first and the last unit name in GenerateUnitList.
inline constexpr int kFirstUnitNode = 4;
int LastUnitNode(const MissionSpec& plan);

// A picture as it lies in "rimage.pbd" at its record's offset: the 16-byte
// header (width and height as int16 at 4 and 6) and the 16-bit pixels.
Bytes GeneratePicture(const MissionSpec& plan);

// The parsed unit list of GenerateUnitList as the only entry of a mission.
MissionModel UnitListMission(const MissionSpec& plan);

} // namespace kmission::bench
