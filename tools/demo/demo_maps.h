#pragma once

#include "byte_io.h"
#include "demo_terrain.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kmission::demo {

// One map of the demo catalogue. The view shows world (offsetX, offsetZ) at
// its top-left corner and world X and Z fall by `mpp` per pixel to the right
// and downwards, so every demo map puts the world origin inside its picture.
struct DemoMap {
    std::string name;   // lower case, at most 12 characters
    std::string bitmap; // the catalogue's picture name (the index uses `name`)
    float mpp = 1.0f;
    std::int16_t offsetX = 0;
    std::int16_t offsetY = 0;
    std::int16_t offsetZ = 0;
    Landscape landscape = Landscape::Dunes;
    std::uint32_t seed = 0;
};

// The maps in catalogue order.
const std::vector<DemoMap>& DemoMaps();

// World X and Z of picture pixel (px, py) of `map`.
std::array<float, 2> WorldPoint(const DemoMap& map, float px, float py);
// Picture pixel of world point (x, z) of `map`.
std::array<float, 2> PicturePoint(const DemoMap& map, float x, float z);

// "maps.prd": the catalogue as the game lays it out, one named list of nine
// per map (name, bitmap, mpp, offset).
Bytes DemoMapCatalogue();

// "reader.pbd": a standard archive holding "maps.prd" among a few other entries.
Bytes DemoReaderArchive();

// The picture of a map, generated on first use and kept for the process.
const Terrain& DemoTerrain(std::size_t mapIndex);

// "rimage.pbd": a 24-byte header (fourth int32 = record count), 40-byte index
// records (char[32] name, int32 offset, int32 0) and the 640 x 480 pictures,
// each after a 16-byte header. The first map's record is the last one, as
// lookups must search the whole index.
Bytes DemoPictureFile();

} // namespace kmission::demo
