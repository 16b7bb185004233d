#pragma once

#include <cstdint>
#include <vector>

namespace kmission::demo {

// Landscapes of the demo maps, each drawn from seeded fractal noise as if seen
// from above: the same seed always gives the same picture, on every platform.
enum class Landscape {
    Dunes,      // desert with a green river strip, an oasis and a coast
    RiverDelta, // farmland and woods around a river that splits into the sea
    Highlands,  // ridges with rock and snow, lakes and forests in the valleys
};

// What lies at a pixel; lets callers keep units and regions off the water.
enum class Ground : std::uint8_t {
    DeepWater,
    ShallowWater,
    River,
    Beach,
    Sand,
    Grass,
    Field,
    Forest,
    Rock,
    Snow,
    Road,
    Bridge,
};

inline constexpr int kTerrainWidth = 640;
inline constexpr int kTerrainHeight = 480;

// A map picture: 640 x 480 pixels, top row first, each row left to right.
// `pixels` are 5-6-5 values (red in the top five bits) as "rimage.pbd" stores them.
struct Terrain {
    std::vector<std::uint16_t> pixels;
    std::vector<Ground> ground;

    Ground at(int x, int y) const {
        return ground[static_cast<std::size_t>(y) * kTerrainWidth + static_cast<std::size_t>(x)];
    }
};

bool IsWater(Ground ground);

Terrain GenerateTerrain(Landscape landscape, std::uint32_t seed);

} // namespace kmission::demo
