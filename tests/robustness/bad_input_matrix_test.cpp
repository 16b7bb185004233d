// Hostile files through the tool's commands, each in a process of its own
// under a memory and a time limit: every file must end in its defined message
// or a clear refusal, never in a signal, a hang or more memory than the limit.

#include "core_fixtures.h"
#include "limited_process.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <regex>
#include <sstream>

namespace kmission::test {
namespace {

using fixtures::ArchiveBuilder;
using E = ArchiveEntry;

// A value stream from words: "L4" a list of 4, "I-2" an integer, "R0.5" a
// float, "0x7F800000" a float's bits, "T7" a bare tag, "S9:abc" a string that
// claims 9 bytes, any other word a string.
Bytes Stream(std::string_view words) {
    fixtures::ValueStream s;
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
ArchiveBuilder Mission(std::string_view region = "node_1 L4 R-10 R0 R10 R45",
                       std::string_view units = "L2 player_1 L8 I1 I-2 R-15.5 R20 R30.25 R0.5",
                       std::string_view info = "L4 L2 db_name L2 Hostile MAP L2 dunes") {
    return ArchiveBuilder()
        .entry("mpinfo.prd", Stream(info))
        .entry("reg_inside1.prd", Stream(region))
        .entry("aiv_units.prd", Stream(units));
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

std::string Times(int count, std::string_view words) {
    std::string all;
    while (count-- > 0) {
        all += words;
    }
    return all;
}

// Ten thousand records over one stream: 2.5 MB of file holding a string of a
// megabyte would fill 10 GB if read naively.
Bytes ReadTenThousandTimes(const Bytes& stream) {
    ArchiveBuilder archive = ArchiveBuilder().entry("e.prd", stream);
    archive.records().resize(10000, archive.records()[0]);
    return archive.standard();
}

// "maps.prd": a list of nine per map in the game's layout.
std::string Map(const std::string& name) {
    return " map L9 name L2 " + name + " bitmap L2 " + name + ".bmp mpp L2 R2 offset L4 R0 R0 R0";
}
const std::string kMaps = "L3 maps L4" + Map("dunes") + Map("delta");
ArchiveBuilder Reader(const std::string& words) {
    return ArchiveBuilder().entry("other.prd", Stream("x")).entry("maps.prd", Stream(words));
}

// "rimage.pbd": pictures as large as the game's, so that decoding one more
// often than needed shows in the time a run takes; "dunes" comes last.
const Bytes kPictures = fixtures::PictureFile(
    {{"delta", 1, 1, {0x7FFF}}, {"dunes", 640, 480, std::vector<std::uint16_t>(640 * 480, 1)}});
constexpr std::size_t kDunesRecord = 24 + 40;
constexpr std::size_t kDunesWidth = 24 + 2 * 40 + (16 + 2) + 4;

// The pictures with the int32 at `at` replaced: "dunes" has its record's
// offset at kDunesRecord + 32, its int16 width and height at kDunesWidth.
Bytes Patched(std::size_t at, std::int32_t value) {
    Bytes file = kPictures;
    for (std::size_t i = 0; i < 4; ++i) {
        file[at + i] = static_cast<std::uint8_t>(value >> 8 * i);
    }
    return file;
}

// The tool runs in a folder holding `input` (named "in") and a healthy game
// data folder "data". `err` is in standard error (empty: nothing may be
// there); `out` is in standard output or, after a resave, in the dump of the
// saved file.
struct Row {
    Bytes input;
    std::string command;
    int exitCode;
    std::string err;
    std::string out = {};
};

const Row kRows[] = {
    {kMission, "resave in out", 0, "Saved!", R"(86, "size": 54, "nodes": [[3, 6, "node_1"], )"},
    // The trailer's 1 as the count, its record read four bytes early: the
    // offset is the aux fields before it, the name starts with the size 80 ("P").
    {Bytes(kMission.begin(), kMission.end() - 4), "dump in", 0, "",
     R"([{"name": "Paiv_units.prd", "offset": -2147452228, "size": 140, "nodes": []}]})"},
    // Entry counts, sizes and offsets that lie; the first value is read whatever the size.
    {Mission().standardWithCount(10000), "dump in", 1, "directory of 10000 entries does not fit"},
    {Lying(2, &E::size, -5), "resave in out", 0, "Saved!", R"(8, "nodes": [[4, -1, "2"]]})"},
    // Through the other entries into the directory, whose first int32 is an end tag.
    {Lying(0, &E::size, INT_MAX), "dump in", 0, "", R"("0.5"]]}, {"name": "reg_inside1.prd")"},
    {Lying(1, &E::offset, -100), "dump in", 0, "", R"(-100, "size": 54, "nodes": [])"},
    // Values that lie.
    {Region("node_1 T-1"), "render data in out", 1, "KMission: Corrupted Mission! -1\nFpos: 104"},
    {Region("S-2147483648:"), "resave in out", 1,
     "\"reg_inside1.prd\" holds a string of negative length -2147483648.\nFpos: 94"},
    {Region("S2147483647:player_9"), "resave in out", 0, "Saved!", R"([3, 282, "player_9player_1)"},
    // Seven-digit texts that are powers of ten but read back just below them.
    {Region("0x6E013F3A 0x006CE3EF 0xEE013F3D 0x6E013F39"), "resave in out", 0, "Saved!",
     R"([2, -1, "1E+28"], [2, -1, "1E-38"], [2, -1, "-1E+28"], [2, -1, "1E+28"]])"},
    // Counts the memory must not follow; maps named ten thousand times, each
    // once repeating File > Open's map step, which decoded the whole picture.
    {Region(Times(32768, " I7")), "dump in", 1, "keep (32767).\nFpos: 262230"},
    {ReadTenThousandTimes(Stream(Times(32767, " I7"))), "dump in", 1, "overlap so much"},
    {ReadTenThousandTimes(Stream(std::string(1 << 20, 'A'))), "dump in", 1, "overlap so much"},
    {Mission("", "", "L20002 L2 db_name L2 Maps" + Times(5000, " MAP L2 dunes MAP L2 delta"))
         .standard(),
     "render data in out", 0, ""},
    // Keys and corners whose values, read at fixed distances, are past the last node.
    {Mission("L1 node_1", "L1 player_1", "L2 L2 db_name L2 Keys MAP L2").standard(),
     "render data in out", 0, ""},

    // The shared archive "reader.pbd" and its map catalogue.
    {{}, "maps in", 1, "KMission: Bad File"},
    {Reader(kMaps).alternateWithCount(-7, 0), "maps in", 1, "KMission: Bad File"},
    {Reader(kMaps).alternateWithCount(5000, -1), "maps in", 1, "KMission: Bad File"},
    {Reader("L3 S-2:").standard(), "maps in", 1, "negative length -2.\nFpos: 25"},
    {Lying(1, &E::offset, 1 << 30, Reader(kMaps)), "maps in", 0, "", R"({"maps": []})"},

    // The picture file "rimage.pbd": empty, its index count, the picture's
    // offset and its header lying.
    {{}, "picture in dunes out", 1, "kmission-tool: no picture named \"dunes\" in in"},
    {Patched(12, INT_MAX), "picture in dunes out", 0, ""},
    {Patched(kDunesRecord + 32, -16), "picture in dunes out", 1, "header that does not fit"},
    {Patched(kDunesWidth, 0x7FFF7FFF), "picture in dunes out", 1, "header that does not fit"},

    // Where the output cannot go.
    {kMission, "resave in missing/out.PBD", 1, "could not be written (No such file or directory)"},
};

class BadInput : public testing::TestWithParam<Row> {};

TEST_P(BadInput, EndsInItsMessageWithinTheLimits) {
    const Row& row = GetParam();
    SCOPED_TRACE(row.command + ": " + row.err);
    fixtures::TempDir folder;
    std::filesystem::create_directory(folder.path() / "data");
    folder.write("data/reader.pbd", Reader(kMaps).standard());
    folder.write("data/rimage.pbd", kPictures);
    folder.write("in", row.input);

    const auto tool = [&folder](const std::string& command) {
        const std::string line = "exec '" KMISSION_TOOL "' " + command;
        return RunLimited(folder.path(), [&line] {
            return ::execl("/bin/sh", "sh", "-c", line.c_str(), nullptr);
        });
    };
    const LimitedRun run = tool(row.command);
    EXPECT_EQ(run.exitCode, row.exitCode) << "-14: SIGALRM, the time limit";
    EXPECT_EQ(run.err.empty(), row.err.empty()) << run.err;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
    const bool saved = row.command.starts_with("resave") && row.exitCode == 0;
    // The directory fields dump prints between size and values are the builders' own.
    const std::regex fields(R"(, "nameField".*?, "nodes")");
    const std::string shown =
        std::regex_replace(saved ? tool("dump out").out : run.out, fields, R"(, "nodes")");
    EXPECT_NE(shown.find(row.out), std::string::npos) << shown.substr(0, 3000);
}

INSTANTIATE_TEST_SUITE_P(Rows, BadInput, testing::ValuesIn(kRows));

} // namespace
} // namespace kmission::test
