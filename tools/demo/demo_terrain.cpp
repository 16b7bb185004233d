#include "demo_terrain.h"

#include "demo_noise.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace kmission::demo {

namespace {

constexpr int W = kTerrainWidth;
constexpr int H = kTerrainHeight;
constexpr float kPi = std::numbers::pi_v<float>;

struct Rgb {
    float r;
    float g;
    float b;
};

Rgb Blend(Rgb a, Rgb b, float t) {
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}
Rgb Scale(Rgb c, float s) {
    return {c.r * s, c.g * s, c.b * s};
}

constexpr Rgb kDeepWater{22, 55, 104};
constexpr Rgb kShallowWater{58, 128, 152};
constexpr Rgb kRiverWater{46, 100, 132};
constexpr Rgb kFoam{214, 230, 226};
constexpr Rgb kBeach{222, 208, 162};
constexpr Rgb kMud{128, 116, 84};
constexpr Rgb kSandLight{226, 196, 138};
constexpr Rgb kSandDark{198, 160, 104};
constexpr Rgb kDryGrass{164, 166, 92};
constexpr Rgb kLushGrass{92, 140, 62};
constexpr Rgb kForest{42, 82, 40};
constexpr Rgb kRock{134, 124, 110};
constexpr Rgb kDarkRock{98, 90, 82};
constexpr Rgb kSnow{238, 241, 246};
constexpr Rgb kAsphalt{88, 88, 92};
constexpr Rgb kRoadEdge{168, 162, 146};
constexpr Rgb kDirt{170, 140, 100};
constexpr Rgb kBridge{120, 100, 80};
constexpr Rgb kHedge{66, 92, 48};
constexpr std::array<Rgb, 5> kFieldColours{{
    {204, 188, 112},
    {124, 162, 72},
    {152, 122, 86},
    {170, 178, 102},
    {108, 146, 66},
}};

// Everything a landscape decides before the pixels are coloured.
struct Scene {
    Field elevation; // 0 ... 1; water below `waterLevel`
    Field relief;    // the elevation plus small shapes that only show in the shading
    Field moisture;  // 0 ... 1, where plants grow
    Field detail;    // fine grain for canopies and sand
    Field rocky;     // 0 ... 1, outcrops regardless of height
    Field river = Field(kPixelCount, kFar); // distance to a river, in river radii
    Field road = Field(kPixelCount, kFar);  // distance to a paved road, in road radii
    Field track = Field(kPixelCount, kFar); // distance to a dirt track
    float waterLevel = 0.3f;
    float rockLevel = 2.0f; // above this, bare rock
    float snowLevel = 2.0f;
    float reliefScale = 60.0f;
    float fieldShare = 0.0f;  // share of the grassland that is farmed
    float beachBand = 0.022f; // height above the water that is still beach
    bool desert = false;
};

float Gaussian(float x, float y, float cx, float cy, float radius) {
    const float dx = (x - cx) / radius;
    const float dy = (y - cy) / radius;
    return std::exp(-(dx * dx + dy * dy));
}

// Rivers run in shallow valleys: land near a river sinks a little towards
// its bed, and the banks show in the shading without turning into cliffs.
void CarveValleys(Scene& scene) {
    const float bed = scene.waterLevel + 0.012f;
    for (std::size_t i = 0; i < kPixelCount; ++i) {
        const float e = scene.elevation[i];
        const float keep = SmoothStep(1.0f, 9.0f, scene.river[i]);
        const float carved = Mix(std::max(bed, e - 0.05f), e, keep);
        scene.relief[i] += 0.5f * (carved - e);
        scene.elevation[i] = std::min(e, carved);
    }
}

std::function<bool(float, float)> ReachesWater(const Field& elevation, float level) {
    return [&elevation, level](float x, float y) {
        const int ix = static_cast<int>(x);
        const int iy = static_cast<int>(y);
        return ix >= 0 && iy >= 0 && ix < W && iy < H && elevation[PixelIndex(ix, iy)] < level;
    };
}

Scene DunesScene(std::uint32_t seed) {
    Scene scene;
    const Field base = FractalNoise(seed, 240, 6);
    const Field coastNoise = FractalNoise(seed + 1, 300, 3);
    const Field outcrops = FractalNoise(seed + 4, 70, 4);
    const Field duneNoise = FractalNoise(seed + 5, 120, 3);
    const Field shoreNoise = FractalNoise(seed + 7, 24, 3);
    scene.moisture = FractalNoise(seed + 2, 160, 4);
    scene.detail = FractalNoise(seed + 3, 4, 2);
    scene.elevation.resize(kPixelCount);
    scene.relief.resize(kPixelCount);
    scene.rocky.resize(kPixelCount);
    scene.waterLevel = 0.3f;
    scene.reliefScale = 70.0f;
    scene.desert = true;
    const float oasisX = 0.27f * W;
    const float oasisY = 0.72f * H;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i = PixelIndex(x, y);
            const float fx = static_cast<float>(x);
            const float fy = static_cast<float>(y);
            const float coast = fx / W + 0.2f * (coastNoise[i] - 0.5f);
            float e = 0.42f + 0.38f * base[i] - 0.6f * SmoothStep(0.74f, 0.9f, coast);
            e -= 0.4f * Gaussian(fx, fy, oasisX, oasisY, 26.0f + 26.0f * shoreNoise[i]);
            const float rock = SmoothStep(0.72f, 0.8f, outcrops[i]);
            e += 0.12f * rock;
            scene.elevation[i] = e;
            scene.rocky[i] = rock;
            // Wind-blown ridges, sharp on the crest, bent by the noise.
            const float phase = (fx * 0.8f + fy * 0.6f) / 11.0f + 7.0f * duneNoise[i];
            const float ridge = std::pow(std::abs(std::sin(phase)), 3.0f);
            scene.relief[i] = e + 0.01f * ridge * (1.0f - rock);
        }
    }
    Stamp(Meander(-8.0f, 0.22f * H, 0.2f, 2.8f, 4.2f, seed + 6,
                  ReachesWater(scene.elevation, scene.waterLevel - 0.03f)),
          8.0f, scene.river);
    CarveValleys(scene);
    // The river and the oasis water the land around them.
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i = PixelIndex(x, y);
            const float oasis = Gaussian(static_cast<float>(x), static_cast<float>(y), oasisX,
                                         oasisY, 40.0f + 50.0f * shoreNoise[i]);
            const float wet = std::max(std::exp(-(scene.river[i] - 1.0f) / 3.0f), oasis);
            scene.moisture[i] =
                std::clamp(wet + 0.6f * (scene.moisture[i] - 0.5f) + 0.3f * (shoreNoise[i] - 0.5f),
                           0.0f, 1.0f);
        }
    }
    Stamp(Spline({{0.66f * W, -10},
                  {0.62f * W, 0.3f * H},
                  {0.68f * W, 0.62f * H},
                  {0.63f * W, H + 10.0f}},
                 2.4f),
          1.6f, scene.road);
    Stamp(Spline({{-10, 0.86f * H},
                  {0.27f * W - 30, 0.62f * H},
                  {0.45f * W, 0.46f * H},
                  {0.63f * W, 0.36f * H}},
                 1.7f),
          1.6f, scene.track);
    return scene;
}

Scene RiverDeltaScene(std::uint32_t seed) {
    Scene scene;
    const Field base = FractalNoise(seed, 256, 6);
    const Field coastNoise = FractalNoise(seed + 1, 160, 4);
    const Field hills = FractalNoise(seed + 4, 150, 5);
    scene.moisture = FractalNoise(seed + 2, 150, 5);
    scene.detail = FractalNoise(seed + 3, 4, 2);
    scene.elevation.resize(kPixelCount);
    scene.relief.resize(kPixelCount);
    scene.rocky.assign(kPixelCount, 0.0f);
    scene.waterLevel = 0.3f;
    scene.rockLevel = 0.86f;
    scene.reliefScale = 90.0f;
    scene.fieldShare = 0.45f;
    scene.beachBand = 0.05f;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i = PixelIndex(x, y);
            const float fx = static_cast<float>(x) / W;
            const float fy = static_cast<float>(y) / H;
            const float coast = fy + 0.22f * (coastNoise[i] - 0.5f);
            float e = 0.45f + 0.25f * base[i] - 0.6f * SmoothStep(0.76f, 0.95f, coast);
            const float hillArea = SmoothStep(0.5f, 0.0f, std::hypot(fx - 0.05f, fy - 0.05f));
            e += 0.5f * hillArea * hills[i];
            scene.elevation[i] = e;
            scene.relief[i] = e;
        }
    }
    const Path main = Meander(0.46f * W, -8.0f, kPi / 2, 4.0f, 5.5f, seed + 6,
                              [](float, float y) { return y > 0.52f * H; });
    Stamp(main, 8.0f, scene.river);
    const PathPoint split = main.back();
    const auto sea = ReachesWater(scene.elevation, scene.waterLevel - 0.04f);
    const std::array<float, 3> headings{kPi / 2 - 0.6f, kPi / 2 + 0.05f, kPi / 2 + 0.65f};
    for (std::size_t b = 0; b < headings.size(); ++b) {
        Stamp(Meander(split.x, split.y, headings[b], 3.2f, 4.2f,
                      seed + 7 + static_cast<std::uint32_t>(b), sea),
              8.0f, scene.river);
    }
    CarveValleys(scene);
    Stamp(Spline({{-10, 0.3f * H},
                  {0.3f * W, 0.37f * H},
                  {0.62f * W, 0.27f * H},
                  {W + 10.0f, 0.34f * H}},
                 2.4f),
          1.6f, scene.road);
    Stamp(Spline({{0.8f * W, -10}, {0.74f * W, 0.14f * H}, {0.62f * W, 0.27f * H}}, 2.4f), 1.6f,
          scene.road);
    Stamp(Spline({{0.22f * W, 0.36f * H},
                  {0.14f * W, 0.55f * H},
                  {0.26f * W, 0.7f * H},
                  {0.36f * W, 0.74f * H}},
                 1.6f),
          1.6f, scene.track);
    return scene;
}

Scene HighlandsScene(std::uint32_t seed) {
    Scene scene;
    const Field base = FractalNoise(seed, 220, 6);
    const Field ridges = FractalNoise(seed + 1, 200, 4);
    scene.moisture = FractalNoise(seed + 2, 140, 4);
    scene.detail = FractalNoise(seed + 3, 4, 2);
    scene.elevation.resize(kPixelCount);
    scene.relief.resize(kPixelCount);
    scene.rocky.assign(kPixelCount, 0.0f);
    scene.waterLevel = 0.24f;
    scene.rockLevel = 0.64f;
    scene.snowLevel = 0.84f;
    scene.reliefScale = 85.0f;
    scene.fieldShare = 0.2f;
    scene.beachBand = 0.008f;
    const float lakeX = 0.3f * W;
    const float lakeY = 0.62f * H;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i = PixelIndex(x, y);
            const float ridge = 1.0f - std::abs(2.0f * ridges[i] - 1.0f);
            scene.elevation[i] = std::pow(base[i], 1.3f) + 0.4f * ridge * ridge;
        }
    }
    Normalise(scene.elevation);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i = PixelIndex(x, y);
            float& e = scene.elevation[i];
            e = 0.12f + 0.88f * e;
            e -= 0.55f * Gaussian(static_cast<float>(x), static_cast<float>(y), lakeX, lakeY,
                                  52.0f + 30.0f * base[i]);
            scene.relief[i] = e;
        }
    }
    Stamp(Meander(0.72f * W, -8.0f, 1.95f, 1.8f, 3.0f, seed + 6,
                  ReachesWater(scene.elevation, scene.waterLevel - 0.03f)),
          8.0f, scene.river);
    Stamp(Meander(lakeX + 20.0f, lakeY + 40.0f, kPi / 2 - 0.2f, 2.6f, 3.2f, seed + 7, {}), 8.0f,
          scene.river);
    CarveValleys(scene);
    Stamp(Spline({{0.56f * W, H + 10.0f},
                  {0.5f * W, 0.84f * H},
                  {0.6f * W, 0.74f * H},
                  {0.5f * W, 0.6f * H},
                  {0.6f * W, 0.46f * H},
                  {0.5f * W, 0.3f * H},
                  {0.6f * W, 0.14f * H},
                  {0.56f * W, -10}},
                 2.3f),
          1.6f, scene.road);
    Stamp(Spline({{-10, 0.42f * H},
                  {0.16f * W, 0.46f * H},
                  {0.36f * W, 0.46f * H},
                  {0.52f * W, 0.55f * H}},
                 1.6f),
          1.6f, scene.track);
    return scene;
}

// Light from the upper left, as on a printed map; 1 on flat ground.
Field HillShade(const Field& relief, float scale) {
    Field shade(kPixelCount);
    const float lx = -0.55f;
    const float ly = -0.6f;
    const float lz = 0.58f;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float gx = (relief[PixelIndex(std::min(x + 1, W - 1), y)] -
                              relief[PixelIndex(std::max(x - 1, 0), y)]) *
                             0.5f;
            const float gy = (relief[PixelIndex(x, std::min(y + 1, H - 1))] -
                              relief[PixelIndex(x, std::max(y - 1, 0))]) *
                             0.5f;
            const float nx = -gx * scale;
            const float ny = -gy * scale;
            const float lit = (nx * lx + ny * ly + lz) / std::sqrt(nx * nx + ny * ny + 1.0f) / lz;
            shade[PixelIndex(x, y)] = std::clamp(lit, 0.45f, 1.35f);
        }
    }
    return shade;
}

// Farmland: rows of plots of varying length, each of its own crop, turned a
// little against the picture and edged by hedges.
Rgb FieldColour(int x, int y, std::uint32_t seed, bool& hedge) {
    const float turn = 0.3f;
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    const float v = (fy * std::cos(turn) - fx * std::sin(turn)) / 22.0f;
    const auto row = static_cast<std::uint32_t>(static_cast<int>(std::floor(v)) + 1000);
    const float stretch = 0.6f + 0.8f * UnitFloat(Hash(row, 1, seed));
    const float u = (fx * std::cos(turn) + fy * std::sin(turn)) / (40.0f * stretch) +
                    UnitFloat(Hash(row, 2, seed));
    const float fu = u - std::floor(u);
    const float fv = v - std::floor(v);
    hedge = fu * 40.0f * stretch < 2.0f || fv < 0.08f;
    const auto column = static_cast<std::uint32_t>(static_cast<int>(std::floor(u)) + 1000);
    return kFieldColours[Hash(column, row, seed) % kFieldColours.size()];
}

struct Pixel {
    Rgb colour;
    Ground ground;
};

Pixel LandPixel(const Scene& scene, std::size_t i, int x, int y, float slope, std::uint32_t seed) {
    const float e = scene.elevation[i];
    const float height = e - scene.waterLevel;
    const float grain = scene.detail[i];
    const float wet = scene.moisture[i];
    if (height < scene.beachBand && scene.river[i] > 2.5f) {
        return {Scale(kBeach, 0.96f + 0.08f * grain), Ground::Beach};
    }
    if (e > scene.snowLevel) {
        return {Blend(kSnow, kRock, SmoothStep(0.3f, 0.0f, e - scene.snowLevel) * 0.3f),
                Ground::Snow};
    }
    if (e > scene.rockLevel || slope > 0.022f || scene.rocky[i] > 0.5f) {
        return {Blend(kRock, kDarkRock, grain), Ground::Rock};
    }
    if (scene.desert && wet < 0.45f) {
        return {Blend(kSandDark, kSandLight, 0.6f + 0.4f * grain), Ground::Sand};
    }
    if (wet > 0.62f) {
        const float canopy = 0.75f + 0.5f * grain;
        return {Scale(kForest, canopy), Ground::Forest};
    }
    if (scene.fieldShare > 0.0f && wet < 0.62f * scene.fieldShare + 0.2f && height < 0.35f) {
        bool hedge = false;
        const Rgb plot = FieldColour(x, y, seed, hedge);
        return {hedge ? Blend(plot, kHedge, 0.7f) : Scale(plot, 0.95f + 0.1f * grain),
                Ground::Field};
    }
    const float lush = SmoothStep(0.2f, 0.62f, wet);
    return {Scale(Blend(kDryGrass, kLushGrass, lush), 0.93f + 0.14f * grain), Ground::Grass};
}

// Ordered dithering hides the steps of 5-6-5 colour in smooth slopes.
std::uint16_t Pack565(Rgb c, int x, int y) {
    static constexpr int kBayer[4][4] = {
        {0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    const float dither = (static_cast<float>(kBayer[y & 3][x & 3]) + 0.5f) / 16.0f - 0.5f;
    // The decoder widens a channel n to n * step + (step - 1).
    const auto quantise = [dither](float value, float step, int top) {
        const float n = std::floor((value - (step - 1.0f)) / step + 0.5f + dither);
        return static_cast<std::uint16_t>(std::clamp(static_cast<int>(n), 0, top));
    };
    return static_cast<std::uint16_t>(quantise(c.r, 8, 31) << 11 | quantise(c.g, 4, 63) << 5 |
                                      quantise(c.b, 8, 31));
}

Terrain Paint(const Scene& scene, std::uint32_t seed) {
    Terrain terrain;
    terrain.pixels.resize(kPixelCount);
    terrain.ground.resize(kPixelCount);
    const Field shade = HillShade(scene.relief, scene.reliefScale);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const std::size_t i = PixelIndex(x, y);
            const float e = scene.elevation[i];
            Pixel p{};
            if (scene.river[i] < 1.0f) {
                p = {Blend(kRiverWater, kShallowWater, SmoothStep(0.5f, 1.0f, scene.river[i])),
                     Ground::River};
            } else if (e < scene.waterLevel) {
                const float depth = scene.waterLevel - e;
                const float deep = SmoothStep(0.0f, 0.14f, depth);
                p = {Blend(kShallowWater, kDeepWater, deep),
                     deep < 0.4f ? Ground::ShallowWater : Ground::DeepWater};
                if (depth < 0.006f) {
                    p.colour = Blend(p.colour, kFoam, 0.35f);
                }
                p.colour = Scale(p.colour, 0.97f + 0.06f * scene.detail[i]);
            } else {
                const float slope =
                    std::abs(scene.elevation[PixelIndex(std::min(x + 1, W - 1), y)] - e) +
                    std::abs(scene.elevation[PixelIndex(x, std::min(y + 1, H - 1))] - e);
                p = LandPixel(scene, i, x, y, slope, seed);
                if (scene.river[i] < 1.6f) {
                    p.colour = Blend(p.colour, kMud, (1.6f - scene.river[i]) * 1.2f);
                }
                p.colour = Scale(p.colour, shade[i]);
            }
            const bool water = IsWater(p.ground);
            if (scene.road[i] < 1.0f || scene.track[i] < 1.0f) {
                const Rgb surface = scene.road[i] < 1.0f ? kAsphalt : kDirt;
                p = water ? Pixel{kBridge, Ground::Bridge}
                          : Pixel{Scale(surface, std::min(shade[i], 1.1f)), Ground::Road};
            } else if (scene.road[i] < 1.5f) {
                p.colour = Blend(p.colour, water ? kBridge : kRoadEdge, 0.7f);
            } else if (scene.track[i] < 1.4f && !water) {
                p.colour = Blend(p.colour, kDirt, 0.4f);
            }
            terrain.pixels[i] = Pack565(p.colour, x, y);
            terrain.ground[i] = p.ground;
        }
    }
    return terrain;
}

} // namespace

bool IsWater(Ground ground) {
    return ground == Ground::DeepWater || ground == Ground::ShallowWater || ground == Ground::River;
}

Terrain GenerateTerrain(Landscape landscape, std::uint32_t seed) {
    switch (landscape) {
    case Landscape::Dunes:
        return Paint(DunesScene(seed), seed);
    case Landscape::RiverDelta:
        return Paint(RiverDeltaScene(seed), seed);
    case Landscape::Highlands:
        break;
    }
    return Paint(HighlandsScene(seed), seed);
}

} // namespace kmission::demo
