#pragma once

#include "demo_terrain.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace kmission::demo {

// The building blocks of the demo pictures: values over the 640 x 480 picture
// grid (one float a pixel, row by row) and lines drawn into such fields.

using Field = std::vector<float>;

inline constexpr std::size_t kPixelCount = std::size_t{kTerrainWidth} * kTerrainHeight;
inline constexpr float kFar = 1.0e9f; // "no line near this pixel"

inline std::size_t PixelIndex(int x, int y) {
    return static_cast<std::size_t>(y) * kTerrainWidth + static_cast<std::size_t>(x);
}

// Integer hash of a lattice point; the pictures depend on nothing but their
// seeds, unlike the distributions of <random>, whose output the standard
// leaves open.
std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed);
float UnitFloat(std::uint32_t hash); // [0, 1)

float SmoothStep(float edge0, float edge1, float value);
float Mix(float a, float b, float t);

// Scales a field to [0, 1].
void Normalise(Field& field);

// Fractal value noise, normalised to [0, 1] over the picture. `cell` is the
// lattice spacing in pixels of the coarsest octave; every further octave is
// twice as fine and `gain` times as strong.
Field FractalNoise(std::uint32_t seed, float cell, int octaves, float gain = 0.5f);

struct PathPoint {
    float x;
    float y;
    float radius; // half the width of the line here, in pixels
};
using Path = std::vector<PathPoint>;

// A river's course from (x, y): the heading swings around `heading` (radians,
// 0 to the right, growing clockwise on screen) in two slow waves with seeded
// phases, one pixel a step, until the course leaves the picture or `arrived`
// holds. The radius grows from `r0` to `r1` downstream.
Path Meander(float x, float y, float heading, float r0, float r1, std::uint32_t seed,
             const std::function<bool(float x, float y)>& arrived);

// A road through `points` (Catmull-Rom spline), sampled every half pixel.
Path Spline(const std::vector<std::array<float, 2>>& points, float radius);

// Lowers `nearest` to each pixel's distance from the path, counted in radii of
// the path point that is nearest, out to `reach` radii.
void Stamp(const Path& path, float reach, Field& nearest);

} // namespace kmission::demo
