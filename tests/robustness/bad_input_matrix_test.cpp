// Hostile files through the tool's commands, each in a process of its own
// under a memory and a time limit: every file must end in its defined message
// or a clear refusal, never in a signal, a hang or more memory than the limit.

#include "core_fixtures.h"
#include "limited_process.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <sstream>

namespace kmission::test {
namespace {

namespace fs = std::filesystem;
using fixtures::ArchiveBuilder;
using fixtures::ValueStream;
using E = ArchiveEntry;

// A value stream from words: "L4" a list of 4, "I-2" an integer, "R0.5" a
// float, "0x7F800000" a float's bits, "T7" a bare tag, "S9:abc" a string that
// claims 9 bytes, any other word a string.
Bytes Stream(std::string_view words) {
    ValueStream s;
    std::istringstream in{std::string(words)};
    for (std::string w; in >> w;) {
        const bool number = w.size() > 1 && (std::isdigit(w[1]) != 0 || w[1] == '-');
        const auto n = static_cast<std::int32_t>(number ? std::stoll(w.substr(1)) : 0);

        if (w.starts_with("0x")) {
            s.realBits(static_cast<std::uint32_t>(std::stoul(w, nullptr, 16)));
        } else if (number && w[0] == 'S') {
            s.textWithLength(n, w.substr(w.find(':') + 1));
        } else if (number && w[0] == 'R') {
            s.real(std::stof(w.substr(1)));
        } else if (number && (w[0] == 'L' || w[0] == 'I' || w[0] == 'T')) {
            w[0] == 'L' ? s.list(n) : w[0] == 'I' ? s.integer(n) : s.tag(n);
        } else {
            s.text(w);
        }
    }
    return s.bytes();
}

// Laid out from offset 0: mpinfo.prd [0, 86), reg_inside1.prd [86, 140),
// aiv_units.prd [140, 220), the directory [220, 664) in records of 148 bytes,
// the trailer [664, 672). The records end in aux4 = 0x7ABC, aux5 = -32768:
// their last four bytes are a negative int32.
ArchiveBuilder Mission(std::string_view region = "node_1 L4 R-10 R0 R10 R45") {
    return ArchiveBuilder()
        .entry("mpinfo.prd", fixtures::MissionInfo("Hostile", {"dunes"}))
        .entry("reg_inside1.prd", Stream(region))
        .entry("aiv_units.prd", Stream("L2 player_1 L8 I1 I-2 R-15.5 R20 R30.25 R0.5"));
}

Bytes Region(std::string_view words) {
    return Mission(words).standard();
}
const Bytes kMission = Mission().standard();

template <typename T>
Bytes Lying(int slot, T E::*field, T value, ArchiveBuilder archive = Mission()) {
    archive.records().at(static_cast<std::size_t>(slot)).*field = value;
    return archive.standard();
}

Bytes Cut(Bytes file, std::size_t length) {
    file.resize(length);
    return file;
}

// Ten thousand records over one stream: 2.5 MB of file holding a string of a
// megabyte would fill 10 GB if read naively.
Bytes ReadTenThousandTimes(const Bytes& stream) {
    ArchiveBuilder archive;
    const std::int32_t at = archive.data(stream);
    for (int i = 0; i < 10000; ++i) {
        const std::string name = i == 0 ? "mpinfo.prd" : "e" + std::to_string(i) + ".prd";
        archive.record(fixtures::Record(name, at, static_cast<std::int32_t>(stream.size())));
    }
    return archive.standard();
}

std::string Times(int count, std::string_view words) {
    std::string all;
    for (int i = 0; i < count; ++i) {
        all.append(words);
    }
    return all;
}

// Mission info naming `maps` maps: every "MAP" repeats File > Open's map step,
// which once decoded the whole picture each time.
Bytes Info(int maps, const std::string& words) {
    const std::string head = "L" + std::to_string(2 + 2 * maps) + " L2 db_name L2 Maps";
    return ArchiveBuilder().entry("mpinfo.prd", Stream(head + words)).standard();
}

// A map's name in all its 4096 spellings in upper and lower case.
std::string Spellings() {
    std::string words;
    for (int i = 0; i < 4096; ++i) {
        std::string name = "northerncape";
        for (std::size_t k = 0; k < name.size(); ++k) {
            name[k] = static_cast<char>((i >> k) & 1 ? std::toupper(name[k]) : name[k]);
        }
        words += " MAP L2 " + name;
    }
    return words;
}

// "maps.prd": a list of nine per map in the game's layout.
std::string Map(const std::string& name, const std::string& offsets = "R0 R0 R0") {
    return " map L9 name L2 " + name + " bitmap L2 " + name + ".bmp mpp L2 R2 offset L4 " + offsets;
}
const std::string kMaps = "L3 maps L4" + Map("dunes", "R-320 R0 R240") + Map("delta");
ArchiveBuilder Reader(const Bytes& maps) {
    return ArchiveBuilder().entry("other.prd", Stream("x")).entry("maps.prd", maps);
}
Bytes Catalogue(const std::string& words) {
    return Reader(Stream(words)).standard();
}

// "rimage.pbd": pictures as large as the game's, so that decoding one more
// often than needed shows in the time a run takes; "dunes" comes last.
const std::vector<std::uint16_t> kPixels(640 * 480, 0x1234);
const Bytes kPictures = fixtures::PictureFile(
    {{"delta", 1, 1, {0x7FFF}}, {"northerncape", 640, 480, kPixels}, {"dunes", 640, 480, kPixels}});
constexpr std::size_t kDunesRecord = 24 + 2 * 40;
constexpr std::size_t kDunesPicture = 24 + 3 * 40 + (16 + 2) + (16 + 2 * 640 * 480);
const auto kPicturesSize = static_cast<std::int32_t>(kPictures.size());

Bytes Patched(std::size_t at, std::int32_t value, std::size_t width = 4) {
    Bytes file = kPictures;
    for (std::size_t i = 0; i < width; ++i) {
        file[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
    }
    return file;
}

// The tool runs in a folder holding `input` (named `inputName`), a healthy
// game data folder "data" and a healthy mission "mission.PBD". `err` is all of
// standard error; `out` is in standard output or, after a resave, in the dump
// of the saved file.
struct Row {
    Bytes input;
    std::string command;
    int exitCode;
    std::string err;
    std::string out = {};
    const char* inputName = "in";
};

const std::string kAshenTide = "KMission: Sorry not for Ashen Tide expansion.";
const std::string kSaved = "KMission: Loaded!\nKMission: Saved!";
const std::string kOverlap = "KMission: Corrupted Mission! The entries of this archive overlap so "
                             "much that reading them would take far more memory than the file "
                             "holds.";
const std::string kNoDunes = "kmission-tool: no picture named \"dunes\" in in";
const std::string kLies = "kmission-tool: the picture \"dunes\" in in has a header that does not "
                          "fit the file";
const std::string kCutShort = "KMission: error\nKMission: error 22\nKMission: error\nKMission: "
                              "error 23\nKMission: error\nKMission: error 24";
const std::string kDunes = R"("offsetX": -320, "offsetY": 0, "offsetZ": 240}, )";
const Row kRows[] = {
    // The healthy files every row starts from.
    {kMission, "resave in out", 0, kSaved, R"(86, "size": 54, "nodes": [[3, 6, "node_1"], )"},
    {kMission, "render data in out", 0, ""},
    {Catalogue(kMaps), "maps in", 0, "", kDunes},
    {kPictures, "picture in dunes out", 0, ""},
    // The smallest picture, one pixel, found whatever the case of its name.
    {kPictures, "picture in DELTA out", 0, ""},

    // Truncated missions: the last four bytes left are the entry count.
    {{}, "dump in", 1, kAshenTide},
    // The trailer's 1 as the count, its record read four bytes early: the
    // offset is the aux fields before it, the name starts with the size 80 ("P").
    {Cut(kMission, 668), "dump in", 0, "",
     R"([{"name": "Paiv_units.prd", "offset": -2147452228, "size": 140, "nodes": []}]})"},
    // Entry counts that lie.
    {Mission().standardWithCount(0), "dump in", 1, kAshenTide},
    {Mission().standardWithCount(10001), "resave in out", 1, kAshenTide},
    {Mission().standardWithCount(10000), "dump in", 1,
     "KMission: Corrupted Mission! The directory of 10000 entries does not fit in the file."},
    {Mission().standardWithCount(2), "resave in out", 1,
     "KMission: Built in Mission not available to edit!"},
    // Sizes, offsets and names that lie; the first value is read whatever the size.
    {Lying(2, &E::size, -5), "resave in out", 0, kSaved, R"(8, "nodes": [[4, -1, "2"]]})"},
    // Through the other entries into the directory, whose first int32 is an end tag.
    {Lying(0, &E::size, INT_MAX), "dump in", 0, "", R"("0.5"]]}, {"name": "reg_inside1.prd")"},
    {Lying(1, &E::offset, 100000), "dump in", 0, "", R"(100000, "size": 54, "nodes": [])"},
    {Lying(1, &E::offset, -100), "dump in", 0, "", R"(-100, "size": 54, "nodes": [])"},
    {Lying(1, &E::offset, 0), "resave in out", 0, kSaved,
     R"(86, "size": 54, "nodes": [[4, -1, "4"], [4, -1, "2"], [3, 7, "db_name"], )"},
    {Lying(1, &E::name, std::string(60, '\xE9') + "\x01zz\xFF"), "resave in out", 0, kSaved,
     "\u00E9\u00E9zz\u00FF\", \"offset\": 86, \"size\": 54"},
    // Values that lie.
    {Region("node_1 T7"), "dump in", 1, "KMission: Corrupted Mission!  7\nFpos: 104"},
    {Region("node_1 T-1"), "render data in out", 1, "KMission: Corrupted Mission! -1\nFpos: 104"},
    {Region("S-2147483648:"), "resave in out", 1,
     "KMission: Corrupted Mission! The entry \"reg_inside1.prd\" holds a string of negative "
     "length -2147483648.\nFpos: 94"},
    {Region("S100:node_1"), "dump in", 0, "", R"("nodes": [[3, 100, "node_1)"},
    {Region("S2147483647:player_9"), "resave in out", 0, kSaved, R"([3, 282, "player_9player_1)"},
    {Region("L2147483647 L-2147483648"), "resave in out", 0, kSaved,
     R"([[4, -1, "2147483647"], [4, -1, "-2147483648"]])"},
    {Region("0x7F800000 0xFF800000 0xFFC00001 0x00000001"), "resave in out", 0, kSaved,
     R"([2, -1, "INF"], [2, -1, "-INF"], [2, -1, "-NAN"], [2, -1, "1.401298E-45"])"},
    // Seven-digit texts that are powers of ten but read back just below them.
    {Region("0x6E013F3A 0x006CE3EF 0xEE013F3D 0x6E013F39"), "resave in out", 0, kSaved,
     R"([2, -1, "1E+28"], [2, -1, "1E-38"], [2, -1, "-1E+28"], [2, -1, "1E+28"]])"},
    // Counts the memory must not follow.
    {Region(Times(32768, " I7")), "dump in", 1,
     "KMission: Corrupted Mission! The entry \"reg_inside1.prd\" holds more values than the "
     "editor can keep (32767).\nFpos: 262230"},
    {ReadTenThousandTimes(Stream(Times(32767, " I7"))), "dump in", 1, kOverlap},
    {ReadTenThousandTimes(Stream(std::string(1 << 20, 'A'))), "dump in", 1, kOverlap},
    {Info(10000, Times(10000, " MAP L2 dunes")), "render data in out", 0, ""},
    {Info(10000, Times(5000, " MAP L2 dunes MAP L2 delta")), "render data in out", 0, ""},
    {Info(4096, Spellings()), "render data in out", 0, ""},
    // Keys whose values, read at fixed distances, are past the last node.
    {ArchiveBuilder()
         .entry("mpinfo.prd", Stream("L2 L2 db_name L2 Keys MAP L2"))
         .entry("reg_inside1.prd", Stream("L1 node_1"))
         .entry("aiv_units.prd", Stream("L1 player_1"))
         .standard(),
     "render data in out", 0, ""},

    // The shared archive "reader.pbd" and its map catalogue.
    {Reader(Stream(kMaps)).alternate(), "maps in", 0, "", kDunes},
    {{}, "maps in", 1, "KMission: Bad File"},
    {Reader(Stream(kMaps)).alternateWithCount(-7, 0), "maps in", 1, "KMission: Bad File"},
    {Reader(Stream(kMaps)).alternateWithCount(5000, -1), "render data mission.PBD out", 1,
     "KMission: Bad File", "", "data/reader.pbd"},
    {Catalogue("L3 maps T7"), "maps in", 1, "KMission: new type found! 7 Or error.\nFpos: 33"},
    {Catalogue("L3 S-2:"), "maps in", 1,
     "KMission: Bad File: \"maps.prd\" holds a string of negative length -2.\nFpos: 25"},
    {Lying(1, &E::offset, 1 << 30, Reader(Stream(kMaps))), "maps in", 0, "", R"({"maps": []})"},
    // Without "maps.prd" the first entry is the catalogue.
    {ArchiveBuilder().entry("first.prd", Stream(kMaps)).entry("second.prd", {}).standard(),
     "maps in", 0, "", kDunes},
    {Catalogue(kMaps + " map L9 name L2 cape"), "maps in", 0, kCutShort,
     R"({"name": "cape        ", "bitmap": "            ", "mpp": 0, "offsetX": 0, )"},
    {Catalogue(kMaps + " map L9 name L2 cape"), "render data mission.PBD out", 0, kCutShort, "",
     "data/reader.pbd"},
    {Catalogue("L9 name L3 dunes bmp L2 x mpp L1 R2 offsets L5 R1 R2 R3"), "maps in", 0,
     "KMission: error 2\nKMission: error\nKMission: error 23\nKMission: error\nKMission: error 24",
     R"("name": "dunes       ", "bitmap": "x           ", "mpp": 2, "offsetX": 1, )"},
    {Catalogue(" map L9 name L2 dunes bitmap L2 x mpp L2 1E+39 offset L4 R40000 R-40000 R1e10"),
     "maps in", 0, "", R"("mpp": null, "offsetX": 32767, "offsetY": -32768, "offsetZ": 32767}]})"},

    // The picture file "rimage.pbd": its index count, negative, beyond the
    // records or ending inside one, the picture's offset and its header.
    {{}, "picture in dunes out", 1, kNoDunes},
    {Patched(12, -2), "picture in dunes out", 1, kNoDunes},
    {Patched(12, INT_MAX), "picture in dunes out", 0, ""},
    {Cut(kPictures, kDunesRecord + 20), "picture in dunes out", 1, kNoDunes},
    {Patched(kDunesRecord + 32, -16), "picture in dunes out", 1, kLies},
    {Patched(kDunesRecord + 32, kPicturesSize - 8), "picture in dunes out", 1, kLies},
    {Patched(kDunesPicture + 4, 0, 2), "picture in dunes out", 1, kLies},
    {Patched(kDunesPicture + 6, -6, 2), "picture in dunes out", 1, kLies},
    {Patched(kDunesPicture + 4, 0x7FFF7FFF), "picture in dunes out", 1, kLies},
    {Patched(kDunesPicture + 4, 0x7FFF7FFF), "render data mission.PBD out", 0, "", "",
     "data/rimage.pbd"},
    {Cut(kPictures, kPictures.size() - 1), "picture in dunes out", 1, kLies},

    // Where the output cannot go.
    {kMission, "resave in missing/out.PBD", 1,
     "KMission: Loaded!\nKMission: Not saved: \"missing/out.PBD\" could not be written (No such "
     "file or directory). The file on disk was left as it was."},
};

LimitedRun Tool(const fs::path& folder, const std::string& command) {
    const std::string line = "exec '" KMISSION_TOOL "' " + command;
    const LimitedRun run = RunLimited(
        folder, [&line] { return ::execl("/bin/sh", "sh", "-c", line.c_str(), nullptr); });
    EXPECT_EQ(run.signal, 0) << "ended by a signal (SIGALRM: the time limit)\n" << run.err;
    return run;
}

class BadInput : public testing::TestWithParam<Row> {};

TEST_P(BadInput, EndsInItsMessageWithinTheLimits) {
    const Row& row = GetParam();
    fixtures::TempDir folder;
    fs::create_directory(folder.path() / "data");
    folder.write("data/reader.pbd", Catalogue(kMaps + Map("northerncape")));
    folder.write("data/rimage.pbd", kPictures);
    folder.write("mission.PBD", kMission);
    folder.write(row.inputName, row.input);

    const LimitedRun run = Tool(folder.path(), row.command);
    EXPECT_EQ(run.exitCode, row.exitCode);
    EXPECT_EQ(run.err, row.err.empty() ? "" : row.err + "\n");
    const bool saved = row.command.starts_with("resave") && row.exitCode == 0;
    std::string shown = saved ? Tool(folder.path(), "dump out").out : run.out;
    // The directory fields dump prints between size and values are the builders' own.
    for (auto at = shown.find(", \"nameField\""); at != std::string::npos;
         at = shown.find(", \"nameField\"", at)) {
        shown.erase(at, shown.find(", \"nodes\"", at) - at);
    }
    EXPECT_NE(shown.find(row.out), std::string::npos) << shown.substr(0, 3000);
}

void PrintTo(const Row& row, std::ostream* out) {
    *out << row.command << ": " << row.err;
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, testing::ValuesIn(kRows));

} // namespace
} // namespace kmission::test
