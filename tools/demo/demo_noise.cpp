#include "demo_noise.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace kmission::demo {

namespace {

constexpr int W = kTerrainWidth;
constexpr int H = kTerrainHeight;
constexpr float kPi = std::numbers::pi_v<float>;

float Smooth(float t) {
    return t * t * (3.0f - 2.0f * t);
}

} // namespace

std::uint32_t Hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = (seed * 0x9E3779B9u) ^ (x * 0x85EBCA6Bu) ^ (y * 0xC2B2AE35u + 0x27D4EB2Fu);
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float UnitFloat(std::uint32_t h) {
    return static_cast<float>(h >> 8) / 16777216.0f;
}

float SmoothStep(float edge0, float edge1, float value) {
    return Smooth(std::clamp((value - edge0) / (edge1 - edge0), 0.0f, 1.0f));
}

float Mix(float a, float b, float t) {
    return a + (b - a) * t;
}

void Normalise(Field& field) {
    const auto [low, high] = std::minmax_element(field.begin(), field.end());
    const float min = *low;
    const float range = std::max(*high - min, 1e-6f);
    for (float& v : field) {
        v = (v - min) / range;
    }
}

Field FractalNoise(std::uint32_t seed, float cell, int octaves, float gain) {
    Field out(kPixelCount, 0.0f);
    // The lattice cell and weight of each column are worked out once an
    // octave, so a pixel costs four reads and three blends.
    std::vector<int> column(W);
    std::vector<float> columnWeight(W);
    float amplitude = 1.0f;
    for (int octave = 0; octave < octaves; ++octave) {
        const float spacing = std::max(cell, 1.0f);
        const int nx = static_cast<int>(W / spacing) + 2;
        const int ny = static_cast<int>(H / spacing) + 2;
        Field lattice(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
        const std::uint32_t octaveSeed = seed * 131u + static_cast<std::uint32_t>(octave) * 7919u;
        for (int j = 0; j < ny; ++j) {
            for (int i = 0; i < nx; ++i) {
                lattice[static_cast<std::size_t>(j * nx + i)] = UnitFloat(
                    Hash(static_cast<std::uint32_t>(i), static_cast<std::uint32_t>(j), octaveSeed));
            }
        }
        for (int x = 0; x < W; ++x) {
            const float u = static_cast<float>(x) / spacing;
            column[static_cast<std::size_t>(x)] = static_cast<int>(u);
            columnWeight[static_cast<std::size_t>(x)] = Smooth(u - std::floor(u));
        }
        for (int y = 0; y < H; ++y) {
            const float v = static_cast<float>(y) / spacing;
            const int row = static_cast<int>(v);
            const float fy = Smooth(v - std::floor(v));
            const float* top = &lattice[static_cast<std::size_t>(row * nx)];
            const float* bottom = top + nx;
            float* dst = &out[PixelIndex(0, y)];
            for (int x = 0; x < W; ++x) {
                const int i = column[static_cast<std::size_t>(x)];
                const float fx = columnWeight[static_cast<std::size_t>(x)];
                const float a = Mix(top[i], top[i + 1], fx);
                const float b = Mix(bottom[i], bottom[i + 1], fx);
                dst[x] += amplitude * Mix(a, b, fy);
            }
        }
        cell *= 0.5f;
        amplitude *= gain;
    }
    Normalise(out);
    return out;
}

Path Meander(float x, float y, float heading, float r0, float r1, std::uint32_t seed,
             const std::function<bool(float x, float y)>& arrived) {
    constexpr int kMaxSteps = 1400;
    const float phase1 = 2.0f * kPi * UnitFloat(Hash(1, 0, seed));
    const float phase2 = 2.0f * kPi * UnitFloat(Hash(2, 0, seed));
    const float wave1 = 0.016f + 0.008f * UnitFloat(Hash(3, 0, seed));
    const float wave2 = 0.045f + 0.02f * UnitFloat(Hash(4, 0, seed));
    Path path;
    for (int step = 0; step < kMaxSteps; ++step) {
        const float t = static_cast<float>(step) / 700.0f;
        path.push_back({x, y, Mix(r0, r1, std::min(t, 1.0f))});
        const float s = static_cast<float>(step);
        const float angle =
            heading + 0.5f * std::sin(s * wave1 + phase1) + 0.3f * std::sin(s * wave2 + phase2);
        x += std::cos(angle);
        y += std::sin(angle);
        const float margin = 12.0f;
        if (x < -margin || y < -margin || x > W + margin || y > H + margin ||
            (arrived && arrived(x, y))) {
            path.push_back({x, y, path.back().radius});
            break;
        }
    }
    return path;
}

Path Spline(const std::vector<std::array<float, 2>>& points, float radius) {
    Path path;
    const std::size_t n = points.size();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const auto& p0 = points[i == 0 ? 0 : i - 1];
        const auto& p1 = points[i];
        const auto& p2 = points[i + 1];
        const auto& p3 = points[std::min(i + 2, n - 1)];
        const float length = std::hypot(p2[0] - p1[0], p2[1] - p1[1]);
        const int steps = std::max(1, static_cast<int>(length * 2.0f));
        for (int s = 0; s < steps; ++s) {
            const float t = static_cast<float>(s) / static_cast<float>(steps);
            const float t2 = t * t;
            const float t3 = t2 * t;
            float at[2];
            for (int c = 0; c < 2; ++c) {
                at[c] = 0.5f * (2.0f * p1[c] + (p2[c] - p0[c]) * t +
                                (2.0f * p0[c] - 5.0f * p1[c] + 4.0f * p2[c] - p3[c]) * t2 +
                                (3.0f * p1[c] - p0[c] - 3.0f * p2[c] + p3[c]) * t3);
            }
            path.push_back({at[0], at[1], radius});
        }
    }
    path.push_back({points.back()[0], points.back()[1], radius});
    return path;
}

void Stamp(const Path& path, float reach, Field& nearest) {
    for (const PathPoint& p : path) {
        const float r = p.radius * reach;
        const int x0 = std::max(0, static_cast<int>(std::floor(p.x - r)));
        const int x1 = std::min(W - 1, static_cast<int>(std::ceil(p.x + r)));
        const int y0 = std::max(0, static_cast<int>(std::floor(p.y - r)));
        const int y1 = std::min(H - 1, static_cast<int>(std::ceil(p.y + r)));
        for (int y = y0; y <= y1; ++y) {
            const float dy = static_cast<float>(y) - p.y;
            for (int x = x0; x <= x1; ++x) {
                const float dx = static_cast<float>(x) - p.x;
                float& d = nearest[PixelIndex(x, y)];
                d = std::min(d, std::sqrt(dx * dx + dy * dy) / p.radius);
            }
        }
    }
}

} // namespace kmission::demo
