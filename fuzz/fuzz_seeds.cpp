// Writes the seed corpora of the fuzz targets, one folder per target, from
// this program's own generators: the demo installation's files and the small
// builders the core tests use. Nothing comes from elsewhere.
//
//   kmission_fuzz_seeds OUTDIR

#include "core_fixtures.h"
#include "demo_maps.h"
#include "demo_missions.h"
#include "demo_terrain.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kmission {
namespace {

namespace fs = std::filesystem;
using fixtures::ArchiveBuilder;
using fixtures::BytesOf;
using fixtures::MissionInfo;
using fixtures::PictureSpec;
using fixtures::ValueStream;

class SeedWriter {
public:
    explicit SeedWriter(fs::path root) : root_(std::move(root)) {}

    void write(const std::string& target, const std::string& name, const Bytes& bytes) {
        const fs::path folder = root_ / target;
        fs::create_directories(folder);
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            failed_ = true;
            std::fprintf(stderr, "cannot write %s\n", (folder / name).c_str());
        }
    }
    bool failed() const { return failed_; }

private:
    fs::path root_;
    bool failed_ = false;
};

// Mission archives both the loader and the round trip start from.
std::vector<std::pair<std::string, Bytes>> MissionSeeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    for (const demo::DemoMission& mission : demo::DemoMissionPlans()) {
        seeds.emplace_back("demo_" + mission.fileName, demo::BuildMissionArchive(mission));
    }
    const Bytes units = ValueStream()
                            .list(2)
                            .text("player_1")
                            .list(8)
                            .integer(1)
                            .integer(-2)
                            .real(-1500.5f)
                            .real(20.0f)
                            .real(3000.0f)
                            .real(0.1f)
                            .bytes();
    {
        ArchiveBuilder archive;
        archive.entry("mpinfo.prd", MissionInfo("Seed", {"dunes"}))
            .entry("reg_inside1.prd", ValueStream().text("node_1").real(12.5f).real(-7).bytes())
            .entry("aiv_units.prd", units);
        seeds.emplace_back("canonical", archive.standard());
    }
    {
        // Gaps, end tags, strings with controls and spaces, NUL and space padding.
        ArchiveBuilder archive;
        archive.gap(5);
        archive.entry(
            "mpinfo.prd",
            ValueStream().raw(MissionInfo("  Seed\tStorm ", {"Dunes", "delta"})).end().bytes(),
            ' ');
        archive.gap(3);
        archive.entry("aiv_patrol.prd",
                      ValueStream().text("stealth_1\0\0").integer(-9).end().bytes());
        seeds.emplace_back("untidy", archive.standard(77));
    }
    {
        ArchiveBuilder archive;
        archive.entry("mpinfo.prd", MissionInfo("m", {}))
            .entry("empty.prd", ValueStream().end().bytes())
            .entry("env.prd", ValueStream()
                                  .realBits(0x7F800000u)
                                  .realBits(0xFFC00000u)
                                  .realBits(0x00000001u)
                                  .real(12345678.0f)
                                  .bytes());
        seeds.emplace_back("specials", archive.standard());
    }
    {
        ArchiveBuilder archive;
        archive.entry("units.prd", ValueStream().integer(1).bytes());
        seeds.emplace_back("no_mission_info", archive.standard());
    }
    {
        // Two records over the same bytes, and one whose string runs off the end.
        ArchiveBuilder archive;
        const Bytes info = MissionInfo("Twice", {"dunes"});
        const std::int32_t at = archive.data(info);
        const auto size = static_cast<std::int32_t>(info.size());
        archive.record(fixtures::Record("mpinfo.prd", at, size))
            .record(fixtures::Record("mpinfo.prd", at, size));
        archive.entry("long.prd", ValueStream().textWithLength(1000, "short").bytes());
        seeds.emplace_back("overlapping", archive.standard());
    }
    return seeds;
}

std::vector<std::pair<std::string, Bytes>> SharedArchiveSeeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    seeds.emplace_back("demo_reader.pbd", demo::DemoReaderArchive());
    seeds.emplace_back("demo_maps.prd", demo::DemoMapCatalogue());
    {
        ArchiveBuilder archive;
        archive.entry("other.prd", ValueStream().text("x").bytes())
            .entry("maps.prd", demo::DemoMapCatalogue());
        seeds.emplace_back("alternate_form", archive.alternate());
    }
    {
        // A record cut short, and one with wrong keys.
        const Bytes maps = ValueStream()
                               .list(3)
                               .text("maps")
                               .list(2)
                               .list(9)
                               .text("name")
                               .list(2)
                               .text("dunes")
                               .text("bitmap")
                               .list(3)
                               .text("dunes.bmp")
                               .text("mpp")
                               .list(2)
                               .real(2.5f)
                               .text("offsets")
                               .list(4)
                               .real(12.5f)
                               .integer(40000)
                               .integer(-40000)
                               .list(9)
                               .text("name")
                               .bytes();
        ArchiveBuilder archive;
        archive.entry("maps.prd", maps);
        seeds.emplace_back("odd_records", archive.standard());
    }
    return seeds;
}

// A corner of a demo map's picture: big enough to hold real colours, small
// enough to keep every run quick.
PictureSpec DemoPictureCorner(std::size_t map, std::int16_t width, std::int16_t height) {
    PictureSpec picture;
    picture.name = demo::DemoMaps().at(map).name;
    picture.width = width;
    picture.height = height;
    const demo::Terrain& terrain = demo::DemoTerrain(map);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back(
                terrain.pixels[static_cast<std::size_t>(y) * demo::kTerrainWidth +
                               static_cast<std::size_t>(x)]);
        }
    }
    return picture;
}

std::vector<std::pair<std::string, Bytes>> PictureSeeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    std::vector<PictureSpec> corners;
    for (std::size_t map = 0; map < demo::DemoMaps().size(); ++map) {
        corners.push_back(DemoPictureCorner(map, 24, 18));
    }
    seeds.emplace_back("demo_corners", fixtures::PictureFile(corners));
    seeds.emplace_back("tiny",
                       fixtures::PictureFile({{"one", 1, 1, {0xFFFF}},
                                              {"ONE", 3, 2, {0, 0xF800, 0x07E0, 0x001F, 1, 2}},
                                              {"padded name\t  ", 2, 1, {0x1234, 0x8000}}}));
    {
        Bytes lying = fixtures::PictureFile({{"wide", 2, 2, {1, 2, 3, 4}}});
        lying[24 + 40 + 5] = 0x40; // width 0x4002
        seeds.emplace_back("width_beyond_file", lying);
    }
    return seeds;
}

std::vector<std::pair<std::string, Bytes>> NumberSeeds() {
    std::vector<std::pair<std::string, Bytes>> seeds;
    const char* texts[] = {"12abc", "-3.5", "",     "1.234568E+07", "1E-07", " 1 2\t.\n5",
                           "1D3",   "-.25", "12,5", "3.402823E+38", "1E+39", "4.9e-324",
                           "+0",    "-0"};
    int n = 0;
    for (const char* text : texts) {
        seeds.emplace_back("text_" + std::to_string(n++), BytesOf(text));
    }
    for (const float value : {0.1f, -1500.5f, 12345678.0f, 1e-40f, 3.4028235e38f}) {
        Bytes bits;
        fixtures::AppendInt32(bits, static_cast<std::int32_t>(fixtures::FloatBits(value)));
        seeds.emplace_back("float_" + std::to_string(n++), bits);
    }
    return seeds;
}

} // namespace
} // namespace kmission

int main(int argc, char** argv) {
    using namespace kmission;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    SeedWriter out{fs::path(argv[1])};
    for (const auto& [name, bytes] : MissionSeeds()) {
        out.write("fuzz_mission_load", name, bytes);
        out.write("fuzz_round_trip", name, bytes);
    }
    for (const auto& [name, bytes] : SharedArchiveSeeds()) {
        out.write("fuzz_shared_archive", name, bytes);
    }
    for (const auto& [name, bytes] : PictureSeeds()) {
        out.write("fuzz_picture", name, bytes);
    }
    for (const auto& [name, bytes] : NumberSeeds()) {
        out.write("fuzz_number_text", name, bytes);
    }
    return out.failed() ? 1 : 0;
}
