#include "demo_maps.h"

#include "archive.h"
#include "demo_stream.h"

namespace kmission::demo {

namespace {

std::string PadWithNul(std::string text, std::size_t width) {
    text.resize(width, '\0');
    return text;
}

// A few vehicles, so that "maps.prd" is not the only entry of "reader.pbd".
Bytes ObjectList() {
    struct Vehicle {
        const char* name;
        float mass;
        std::int32_t crew;
    };
    static constexpr Vehicle kVehicles[] = {
        {"tank_heavy", 54.5f, 4}, {"apc", 18.25f, 3}, {"jeep", 2.5f, 2}, {"helicopter", 9.75f, 2}};
    ValueStream s;
    s.list(3).key("objects", 2 * static_cast<std::int32_t>(std::size(kVehicles)));
    for (const Vehicle& v : kVehicles) {
        s.key("object", 6);
        s.key("type", 1).string(v.name);
        s.key("mass", 1).real(v.mass);
        s.key("crew", 1).integer(v.crew);
    }
    return s.take();
}

Bytes WeaponList() {
    ValueStream s;
    s.list(3).key("weapons", 4);
    s.key("cannon", 2).key("range", 1).real(2400);
    s.key("missile", 2).key("range", 1).real(3500.5f);
    return s.take();
}

} // namespace

const std::vector<DemoMap>& DemoMaps() {
    static const std::vector<DemoMap> maps{
        {"dunes", "dunes_map", 2.0f, 640, 0, 480, Landscape::Dunes, 1000},
        {"riverdelta", "delta_map", 1.5f, 480, 12, 360, Landscape::RiverDelta, 1001},
        {"highlands", "hl_map", 2.5f, 1000, 150, 600, Landscape::Highlands, 1002},
    };
    return maps;
}

std::array<float, 2> WorldPoint(const DemoMap& map, float px, float py) {
    return {static_cast<float>(map.offsetX) - px * map.mpp,
            static_cast<float>(map.offsetZ) - py * map.mpp};
}

std::array<float, 2> PicturePoint(const DemoMap& map, float x, float z) {
    return {(static_cast<float>(map.offsetX) - x) / map.mpp,
            (static_cast<float>(map.offsetZ) - z) / map.mpp};
}

Bytes DemoMapCatalogue() {
    const auto& maps = DemoMaps();
    ValueStream s;
    s.list(3).key("maps", 2 * static_cast<std::int32_t>(maps.size()));
    for (const DemoMap& map : maps) {
        // Each map is a named list; the catalogue walk steps from one list
        // header to the next over that name.
        s.key("map", 8);
        s.key("name", 1).string(map.name);
        s.key("bitmap", 1).string(map.bitmap);
        s.key("mpp", 1).real(map.mpp);
        s.key("offset", 3).integer(map.offsetX).integer(map.offsetY).integer(map.offsetZ);
    }
    return s.take();
}

Bytes DemoReaderArchive() {
    std::vector<ArchiveEntry> directory(3);
    directory[0].name = PadWithNul("objects.prd", 64);
    directory[1].name = PadWithNul("maps.prd", 64);
    directory[2].name = PadWithNul("weapons.prd", 64);
    return WriteArchive(directory, {ObjectList(), DemoMapCatalogue(), WeaponList()});
}

const Terrain& DemoTerrain(std::size_t mapIndex) {
    static const std::vector<Terrain> terrains = [] {
        std::vector<Terrain> all;
        for (const DemoMap& map : DemoMaps()) {
            all.push_back(GenerateTerrain(map.landscape, map.seed));
        }
        return all;
    }();
    return terrains.at(mapIndex);
}

Bytes DemoPictureFile() {
    const auto& maps = DemoMaps();
    const auto count = static_cast<std::int32_t>(maps.size());
    constexpr std::int32_t kHeader = 24;
    constexpr std::int32_t kRecord = 40;
    constexpr std::int32_t kPicture = 16 + 2 * kTerrainWidth * kTerrainHeight;
    const std::int32_t firstPicture = kHeader + kRecord * count;

    Bytes out;
    ByteWriter w(out);
    for (std::int32_t value : {1, kHeader, kRecord, count, firstPicture, 0}) {
        w.int32(value);
    }
    // Record j describes map j + 1, and the last record the first map.
    std::vector<std::size_t> order;
    for (std::size_t j = 1; j < maps.size(); ++j) {
        order.push_back(j);
    }
    order.push_back(0);
    for (std::size_t j = 0; j < order.size(); ++j) {
        w.bytes(PadWithNul(maps[order[j]].name, 32));
        w.int32(firstPicture + static_cast<std::int32_t>(j) * kPicture);
        w.int32(0);
    }
    for (std::size_t mapIndex : order) {
        w.int32(0);
        w.int16(kTerrainWidth);
        w.int16(kTerrainHeight);
        w.bytes(std::string(8, '\0'));
        for (std::uint16_t pixel : DemoTerrain(mapIndex).pixels) {
            w.int16(static_cast<std::int16_t>(pixel));
        }
    }
    return out;
}

} // namespace kmission::demo
