// Hostile files through the tool's commands, each in a process of its own
// under a memory and a time limit: every file must end in its defined message
// or a clear refusal, never in a signal, a hang or more memory than the limit.

#include "core_fixtures.h"
#include "limited_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace kmission::test {
namespace {

namespace fs = std::filesystem;
using fixtures::AppendInt32;
using fixtures::ArchiveBuilder;
using fixtures::MissionInfo;
using fixtures::Record;
using fixtures::ValueStream;

// ---------------------------------------------------------------------------
// A healthy mission and its structure. Entries are packed from offset 0:
//   mpinfo.prd       [0, 86)     list 4, list 2, "db_name", list 2, "Hostile",
//                                "MAP", list 2, "dunes"
//   reg_inside1.prd  [86, 140)   "node_1", list 4, four floats
//   aiv_units.prd    [140, 220)  list 2, "player_1", list 8, two integers, four floats
//   directory        [220, 664)  three records of 148 bytes
//   trailer          [664, 672)  int32 1, int32 3
// The records carry aux4 = 0x7ABC and aux5 = -32768 (core_fixtures.h), so the
// four bytes ending a record read as a negative int32.

constexpr std::size_t kInfoEnd = 86;
constexpr std::size_t kRegionEnd = 140;
constexpr std::size_t kDataEnd = 220;
constexpr std::size_t kDirectoryEnd = 664;

Bytes InfoStream() {
    return MissionInfo("Hostile", {"dunes"});
}
Bytes RegionStream() {
    return ValueStream().text("node_1").list(4).real(-10).real(0).real(10).real(45).bytes();
}
Bytes UnitStream() {
    return ValueStream()
        .list(2)
        .text("player_1")
        .list(8)
        .integer(1)
        .integer(-2)
        .real(-15.5f)
        .real(20)
        .real(30.25f)
        .real(0.5f)
        .bytes();
}

ArchiveBuilder HealthyArchive() {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", InfoStream())
        .entry("reg_inside1.prd", RegionStream())
        .entry("aiv_units.prd", UnitStream());
    return archive;
}

Bytes Healthy() {
    return HealthyArchive().standard();
}

Bytes CutAt(std::size_t length) {
    Bytes file = Healthy();
    file.resize(length);
    return file;
}

// The healthy mission with one record changed.
Bytes WithRecord(std::size_t slot, const std::function<void(ArchiveEntry&)>& change) {
    ArchiveBuilder archive = HealthyArchive();
    change(archive.records().at(slot));
    return archive.standard();
}

// The healthy mission with the region entry's stream replaced.
Bytes WithRegion(const Bytes& region) {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", InfoStream())
        .entry("reg_inside1.prd", region)
        .entry("aiv_units.prd", UnitStream());
    return archive.standard();
}

// --- truncations at every structural boundary -------------------------------

Bytes truncated_to_empty() {
    return {};
}
Bytes truncated_inside_first_tag() {
    return CutAt(3);
}
Bytes truncated_after_first_entry() {
    return CutAt(kInfoEnd);
}
Bytes truncated_after_second_entry() {
    return CutAt(kRegionEnd);
}
Bytes truncated_after_entry_data() {
    return CutAt(kDataEnd);
}
Bytes truncated_inside_first_record() {
    return CutAt(kDataEnd + 8);
}
Bytes truncated_after_first_record() {
    return CutAt(kDataEnd + 148);
}
Bytes truncated_inside_last_record() {
    return CutAt(kDataEnd + 2 * 148 + 4);
}
Bytes truncated_after_directory() {
    return CutAt(kDirectoryEnd);
}
Bytes truncated_inside_trailer() {
    return CutAt(kDirectoryEnd + 2);
}
Bytes truncated_before_trailer_count() {
    return CutAt(kDirectoryEnd + 4);
}

// --- counts and sizes that lie ----------------------------------------------

Bytes trailer_count_zero() {
    return HealthyArchive().standardWithCount(0);
}
Bytes trailer_count_negative() {
    return HealthyArchive().standardWithCount(-1);
}
Bytes trailer_count_above_limit() {
    return HealthyArchive().standardWithCount(10001);
}
Bytes directory_beyond_file() {
    return HealthyArchive().standardWithCount(10000);
}
Bytes trailer_count_short_by_one() {
    return HealthyArchive().standardWithCount(2);
}
Bytes trailer_count_one_too_many() {
    return HealthyArchive().standardWithCount(4);
}
Bytes entry_size_negative() {
    return WithRecord(2, [](ArchiveEntry& r) { r.size = -5; });
}
Bytes entry_size_huge() {
    return WithRecord(0, [](ArchiveEntry& r) { r.size = INT_MAX; });
}
Bytes entry_beyond_end() {
    return WithRecord(1, [](ArchiveEntry& r) { r.offset = 100000; });
}
Bytes entry_offset_negative() {
    return WithRecord(1, [](ArchiveEntry& r) { r.offset = -100; });
}
Bytes entry_offset_misaligned() {
    return WithRecord(0, [](ArchiveEntry& r) { r.offset = 1; });
}
Bytes entry_inside_directory() {
    return WithRecord(1, [](ArchiveEntry& r) { r.offset = static_cast<std::int32_t>(kDataEnd); });
}
Bytes entries_overlapping() {
    ArchiveBuilder archive;
    const Bytes info = InfoStream();
    const std::int32_t at = archive.data(info);
    const auto size = static_cast<std::int32_t>(info.size());
    archive.record(Record("mpinfo.prd", at, size))
        .record(Record("reg_inside1.prd", at, size))
        .record(Record("aiv_units.prd", at + 8, size - 8));
    return archive.standard();
}

// --- values that lie ---------------------------------------------------------

Bytes bad_tag_seven() {
    return WithRegion(ValueStream().text("node_1").tag(7).bytes());
}
Bytes bad_tag_negative() {
    return WithRegion(ValueStream().text("node_1").tag(-1).bytes());
}
Bytes string_length_negative() {
    return WithRegion(ValueStream().textWithLength(-3, "").bytes());
}
Bytes string_length_most_negative() {
    return WithRegion(ValueStream().textWithLength(INT_MIN, "").bytes());
}
// The last entry's string claims the whole address range: it reads the
// directory and the trailer, and then the file ends.
Bytes string_length_huge() {
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", InfoStream())
        .entry("aiv_units.prd", ValueStream().textWithLength(INT_MAX, "player_9").bytes());
    return archive.standard();
}
Bytes string_length_beyond_entry() {
    return WithRegion(ValueStream().textWithLength(100, "node_1").bytes());
}
Bytes too_many_values() {
    ValueStream units;
    for (int i = 0; i <= 32767; ++i) {
        units.integer(i);
    }
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", InfoStream())
        .entry("reg_inside1.prd", RegionStream())
        .entry("aiv_units.prd", units.bytes());
    return archive.standard();
}
Bytes list_count_huge() {
    return WithRegion(ValueStream().list(INT_MAX).list(INT_MIN).text("node_1").bytes());
}
Bytes name_without_padding() {
    ArchiveBuilder archive = HealthyArchive();
    archive.records().at(1).name = std::string(60, '\xE9') + "\x01zz\xFF";
    return archive.standard();
}
Bytes non_finite_floats() {
    return WithRegion(ValueStream()
                          .text("node_1")
                          .list(4)
                          .realBits(0x7F800000u)
                          .realBits(0xFF800000u)
                          .realBits(0xFFC00001u)
                          .realBits(0x00000001u)
                          .bytes());
}

// Floats whose seven-digit text is a power of ten that reads back as a float
// just below it. Found by the number-text fuzzer: saved and opened again,
// "1E+28" came back as "9.999999E+27" and "1E-38" as "9.999999E-39".
Bytes floats_at_a_power_of_ten() {
    return WithRegion(ValueStream()
                          .text("node_1")
                          .list(4)
                          .realBits(0x6E013F3Au) // just above the float nearest 1E+28
                          .realBits(0x006CE3EFu) // just above the float nearest 1E-38
                          .realBits(0xEE013F3Du) // the negative side
                          .realBits(0x6E013F39u) // the float nearest 1E+28 itself
                          .bytes());
}

// Ten thousand records over one stream of 32767 values: the nodes a small
// file can make the editor hold are bounded.
Bytes values_read_ten_thousand_times() {
    ValueStream values;
    for (int i = 0; i < 32767; ++i) {
        values.integer(i);
    }
    ArchiveBuilder archive;
    const std::int32_t at = archive.data(values.bytes());
    const auto size = static_cast<std::int32_t>(values.size());
    archive.record(Record("mpinfo.prd", at, size));
    for (int i = 1; i < 10000; ++i) {
        archive.record(Record("e" + std::to_string(i) + ".prd", at, size));
    }
    return archive.standard();
}

// Ten thousand records over one string of a megabyte: 2.5 MB of file that
// read naively would fill 10 GB. Found by this matrix: the tool died of
// std::bad_alloc under the memory limit.
Bytes string_read_ten_thousand_times() {
    ValueStream value;
    value.text(std::string(std::size_t{1} << 20, 'A'));
    ArchiveBuilder archive;
    const std::int32_t at = archive.data(value.bytes());
    const auto size = static_cast<std::int32_t>(value.size());
    archive.record(Record("mpinfo.prd", at, size));
    for (int i = 1; i < 10000; ++i) {
        archive.record(Record("e" + std::to_string(i) + ".prd", at, size));
    }
    return archive.standard();
}

// Nodes the editor reads at fixed distances from a key, past the last node.
Bytes values_missing_after_keys() {
    ArchiveBuilder archive;
    archive
        .entry("mpinfo.prd", ValueStream()
                                 .list(2)
                                 .list(2)
                                 .text("db_name")
                                 .list(2)
                                 .text("Keys")
                                 .text("MAP")
                                 .list(2)
                                 .bytes())
        .entry("reg_inside1.prd", ValueStream().list(1).text("node_1").bytes())
        .entry("aiv_units.prd", ValueStream().list(1).text("player_1").bytes());
    return archive.standard();
}

// The map named ten thousand times. Every "MAP" key repeats File > Open's map
// step, and each repetition decoded the whole picture again: minutes for a
// file of 300 KB.
Bytes map_named_ten_thousand_times() {
    ValueStream info;
    info.list(2 + 2 * 10000).list(2).text("db_name").list(2).text("Many");
    for (int i = 0; i < 10000; ++i) {
        info.setting("MAP", {"dunes"});
    }
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", info.bytes());
    return archive.standard();
}

// Two maps named in turn, five thousand times each: decoding a picture again
// whenever the name changes still decodes it five thousand times.
Bytes maps_named_in_turn_ten_thousand_times() {
    ValueStream info;
    info.list(2 + 2 * 10000).list(2).text("db_name").list(2).text("Turns");
    for (int i = 0; i < 5000; ++i) {
        info.setting("MAP", {"dunes"}).setting("MAP", {"delta"});
    }
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", info.bytes());
    return archive.standard();
}

// A map named in every one of its 4096 spellings in upper and lower case.
// Each spelling matches the Map menu and finds the picture, so pictures kept
// per spelling would fill gigabytes.
Bytes map_named_in_all_its_spellings() {
    const std::string name = "northerncape";
    ValueStream info;
    info.list(2 + 2 * 4096).list(2).text("db_name").list(2).text("Spellings");
    for (int spelling = 0; spelling < 4096; ++spelling) {
        std::string spelled = name;
        for (std::size_t i = 0; i < spelled.size(); ++i) {
            if ((spelling >> i) & 1) {
                spelled[i] = static_cast<char>(spelled[i] - 'a' + 'A');
            }
        }
        info.setting("MAP", {spelled});
    }
    ArchiveBuilder archive;
    archive.entry("mpinfo.prd", info.bytes());
    return archive.standard();
}

// ---------------------------------------------------------------------------
// The shared archive "reader.pbd" with its map catalogue "maps.prd".

// One map as the game lays it out: the key "map", then a list of nine.
ValueStream& MapRecord(ValueStream& s, std::string_view name, std::initializer_list<float> offsets,
                       std::string_view mpp = "") {
    s.text("map").list(9).text("name").list(2).text(name).text("bitmap").list(2).text(
        std::string(name) + ".bmp");
    s.text("mpp").list(2);
    if (mpp.empty()) {
        s.real(2.0f);
    } else {
        s.text(mpp);
    }
    s.text("offset").list(4);
    for (float offset : offsets) {
        s.real(offset);
    }
    return s;
}

Bytes Catalogue() {
    ValueStream maps;
    maps.list(3).text("maps").list(2);
    MapRecord(maps, "dunes", {-320, 0, 240});
    return maps.bytes();
}

ArchiveBuilder ReaderArchive(const Bytes& maps) {
    ArchiveBuilder archive;
    archive.entry("other.prd", ValueStream().text("x").bytes()).entry("maps.prd", maps);
    return archive;
}

Bytes HealthyReader() {
    return ReaderArchive(Catalogue()).standard();
}

// The game data folder's catalogue: "dunes" and "delta", both with pictures.
Bytes DataFolderReader() {
    ValueStream maps;
    maps.list(3).text("maps").list(4);
    MapRecord(maps, "dunes", {-320, 0, 240});
    MapRecord(maps, "delta", {0, 0, 0});
    MapRecord(maps, "northerncape", {0, 0, 0});
    return ReaderArchive(maps.bytes()).standard();
}

Bytes reader_truncated_to_empty() {
    return {};
}
Bytes reader_alternate_count_zero() {
    return ReaderArchive(Catalogue()).alternateWithCount(0, 0);
}
Bytes reader_alternate_count_negative() {
    return ReaderArchive(Catalogue()).alternateWithCount(-7, 0);
}
Bytes reader_alternate_count_beyond_file() {
    return ReaderArchive(Catalogue()).alternateWithCount(5000, -1);
}
Bytes reader_bad_tag() {
    return ReaderArchive(ValueStream().list(3).text("maps").tag(7).bytes()).standard();
}
Bytes reader_string_length_negative() {
    return ReaderArchive(ValueStream().list(3).textWithLength(-2, "").bytes()).standard();
}
Bytes reader_maps_entry_beyond_end() {
    ArchiveBuilder archive = ReaderArchive(Catalogue());
    archive.records().at(1).offset = 1 << 30;
    return archive.standard();
}
Bytes reader_without_maps_entry() {
    ArchiveBuilder archive;
    archive.entry("first.prd", Catalogue()).entry("second.prd", ValueStream().text("x").bytes());
    return archive.standard();
}
// maps.prd records cut short: the last record lacks everything after its name.
Bytes maps_record_cut_short() {
    ValueStream maps;
    maps.list(3).text("maps").list(2);
    MapRecord(maps, "dunes", {-320, 0, 240});
    maps.text("map").list(9).text("name").list(2).text("delta");
    return ReaderArchive(maps.bytes()).standard();
}
Bytes maps_record_wrong_keys() {
    ValueStream maps;
    maps.list(9).text("name").list(3).text("dunes").text("bmp").list(2).text("x");
    maps.text("mpp").list(1).real(2).text("offsets").list(5).real(1).real(2).real(3);
    return ReaderArchive(maps.bytes()).standard();
}
Bytes maps_values_out_of_range() {
    ValueStream maps;
    MapRecord(maps, "dunes", {40000, -40000, 1e10f}, "1E+39");
    return ReaderArchive(maps.bytes()).standard();
}

// ---------------------------------------------------------------------------
// The picture file "rimage.pbd".

std::vector<std::uint16_t> Pixels(std::size_t count) {
    std::vector<std::uint16_t> pixels;
    for (std::size_t i = 0; i < count; ++i) {
        pixels.push_back(static_cast<std::uint16_t>(i * 2654435761u >> 7));
    }
    return pixels;
}

// "dunes" has the size of the game's map pictures, so that decoding it more
// often than needed shows in the time a run takes.
Bytes HealthyPictures() {
    return fixtures::PictureFile(
        {{"delta", 2, 2, Pixels(4)}, {"dunes", 640, 480, Pixels(640 * 480)}});
}

// The game data folder's pictures: those above, and one for a map whose name
// has twelve letters, the most a catalogue name holds.
Bytes DataFolderPictures() {
    return fixtures::PictureFile({{"delta", 2, 2, Pixels(4)},
                                  {"dunes", 640, 480, Pixels(640 * 480)},
                                  {"northerncape", 640, 480, Pixels(640 * 480)}});
}

// Byte positions in HealthyPictures(): the index count, the records, the pictures.
constexpr std::size_t kIndexCountAt = 12;
constexpr std::size_t kDunesRecordAt = 24 + 40;
constexpr std::size_t kDunesPictureAt = 24 + 2 * 40 + 16 + 2 * 4;

void PutInt32(Bytes& file, std::size_t at, std::int32_t value) {
    Bytes bytes;
    AppendInt32(bytes, value);
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
}
void PutInt16(Bytes& file, std::size_t at, std::int16_t value) {
    file[at] = static_cast<std::uint8_t>(value & 0xFF);
    file[at + 1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

Bytes picture_file_empty() {
    return {};
}
Bytes picture_index_count_negative() {
    Bytes file = HealthyPictures();
    PutInt32(file, kIndexCountAt, -2);
    return file;
}
Bytes picture_index_count_huge() {
    Bytes file = HealthyPictures();
    PutInt32(file, kIndexCountAt, INT_MAX);
    return file;
}
Bytes picture_index_cut_inside_record() {
    Bytes file = HealthyPictures();
    file.resize(kDunesRecordAt + 20);
    return file;
}
Bytes picture_offset_negative() {
    Bytes file = HealthyPictures();
    PutInt32(file, kDunesRecordAt + 32, -16);
    return file;
}
Bytes picture_offset_beyond_file() {
    Bytes file = HealthyPictures();
    PutInt32(file, kDunesRecordAt + 32, static_cast<std::int32_t>(file.size()) - 8);
    return file;
}
Bytes picture_width_zero() {
    Bytes file = HealthyPictures();
    PutInt16(file, kDunesPictureAt + 4, 0);
    return file;
}
Bytes picture_height_negative() {
    Bytes file = HealthyPictures();
    PutInt16(file, kDunesPictureAt + 6, -6);
    return file;
}
Bytes picture_dimensions_beyond_file() {
    Bytes file = HealthyPictures();
    PutInt16(file, kDunesPictureAt + 4, 32767);
    PutInt16(file, kDunesPictureAt + 6, 32767);
    return file;
}
Bytes picture_pixels_one_byte_short() {
    Bytes file = HealthyPictures();
    file.pop_back();
    return file;
}

// ---------------------------------------------------------------------------
// The matrix.

enum class Run {
    Dump,              // dump IN
    Resave,            // resave IN OUT; a saved file is then dumped and saved once more
    Maps,              // maps IN
    Picture,           // picture IN dunes OUT
    RenderMission,     // render DATA IN OUT with a healthy DATA
    RenderWithReader,  // render DATA MISSION OUT with IN as DATA/reader.pbd
    RenderWithPicture, // render DATA MISSION OUT with IN as DATA/rimage.pbd
};

struct BadInput {
    const char* name;
    Run run;
    Bytes (*make)();
    int exitCode;
    // Standard error line by line; {IN}, {OUT} stand for the paths, and a line
    // ending in "*" need only begin with what comes before it.
    std::vector<std::string> err;
    // Texts standard output must hold; for Resave, the dump of the saved file.
    std::vector<std::string> out = {};
    const char* outName = "out"; // the output's name in the case's folder
    // The time limit of each run; an editor that opens the file more slowly
    // than this would look hung.
    std::chrono::seconds time{30};
};

const char* const kAshenTide = "KMission: Sorry not for Ashen Tide expansion.";
const char* const kOverlap = "KMission: Corrupted Mission! The entries of this archive overlap so "
                             "much that reading them would take far more memory than the file "
                             "holds.";
const char* const kNoDunes = "kmission-tool: no picture named \"dunes\" in {IN}";
const char* const kHeaderLies =
    "kmission-tool: the picture \"dunes\" in {IN} has a header that does not fit the file";

std::string Repeated(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) {
        out += text;
    }
    return out;
}

std::string DirectoryBeyond(int count) {
    return "KMission: Corrupted Mission! The directory of " + std::to_string(count) +
           " entries does not fit in the file.";
}

const std::vector<std::string> kLoadedSaved{"KMission: Loaded!", "KMission: Saved!"};

const BadInput kCases[] = {
    // The healthy files every case starts from pass cleanly.
    {"control_healthy_mission",
     Run::Resave,
     Healthy,
     0,
     kLoadedSaved,
     {R"({"entries": [{"name": "mpinfo.prd", "offset": 0, "size": 86, )",
      R"({"name": "reg_inside1.prd", "offset": 86, "size": 54, )",
      R"({"name": "aiv_units.prd", "offset": 140, "size": 80, )"}},
    {"control_healthy_reader",
     Run::Maps,
     HealthyReader,
     0,
     {},
     {R"({"maps": [{"name": "dunes       ", "bitmap": "dunes.bmp   ", "mpp": 2, )"}},
    {"control_healthy_pictures", Run::Picture, HealthyPictures, 0, {}},
    {"control_healthy_render", Run::RenderMission, Healthy, 0, {}},

    // Truncations. The last four bytes left become the entry count.
    {"truncated_to_empty", Run::Dump, truncated_to_empty, 1, {kAshenTide}},
    // Bytes 04 00 00 preceded by a missing byte: the count 0x400.
    {"truncated_inside_first_tag",
     Run::Dump,
     truncated_inside_first_tag,
     1,
     {DirectoryBeyond(1024)}},
    {"truncated_after_first_entry", Run::Dump, truncated_after_first_entry, 1, {kAshenTide}},
    {"truncated_after_second_entry", Run::Dump, truncated_after_second_entry, 1, {kAshenTide}},
    {"truncated_after_entry_data", Run::Dump, truncated_after_entry_data, 1, {kAshenTide}},
    // Ends with the first record's size, 86.
    {"truncated_inside_first_record",
     Run::Dump,
     truncated_inside_first_record,
     1,
     {DirectoryBeyond(86)}},
    {"truncated_after_first_record", Run::Dump, truncated_after_first_record, 1, {kAshenTide}},
    // Ends with the last record's offset, 140.
    {"truncated_inside_last_record",
     Run::Dump,
     truncated_inside_last_record,
     1,
     {DirectoryBeyond(140)}},
    {"truncated_after_directory", Run::Resave, truncated_after_directory, 1, {kAshenTide}},
    {"truncated_inside_trailer", Run::Resave, truncated_inside_trailer, 1, {kAshenTide}},
    // The count is now the trailer's 1, and the one record is read four bytes
    // early: its offset is the aux fields of the record before (negative), its
    // name starts with the size 80 ("P").
    {"truncated_before_trailer_count",
     Run::Dump,
     truncated_before_trailer_count,
     0,
     {},
     {R"({"entries": [{"name": "Paiv_units.prd", "offset": -2147452228, "size": 140, "nodes": []}]})"}},

    // Counts and sizes that lie.
    {"trailer_count_zero", Run::Dump, trailer_count_zero, 1, {kAshenTide}},
    {"trailer_count_negative", Run::Dump, trailer_count_negative, 1, {kAshenTide}},
    {"trailer_count_above_limit", Run::Resave, trailer_count_above_limit, 1, {kAshenTide}},
    {"directory_beyond_file", Run::Dump, directory_beyond_file, 1, {DirectoryBeyond(10000)}},
    {"trailer_count_short_by_one",
     Run::Dump,
     trailer_count_short_by_one,
     0,
     {},
     {R"({"entries": [{"name": "reg_inside1.prd", "offset": 86)",
      R"({"name": "aiv_units.prd", "offset": 140)"}},
    {"trailer_count_short_by_one_resaved",
     Run::Resave,
     trailer_count_short_by_one,
     1,
     {"KMission: Built in Mission not available to edit!"}},
    // One record more: the first is read from entry data, bytes 72 ... 75
    // (00 03 00 00) give the offset 768, beyond the file.
    {"trailer_count_one_too_many",
     Run::Dump,
     trailer_count_one_too_many,
     0,
     {},
     {R"({"entries": [{"name": )", R"("offset": 768, )", R"("name": "aiv_units.prd")"}},
    // The first value is read whatever the size says, then the position test stops.
    {"entry_size_negative",
     Run::Resave,
     entry_size_negative,
     0,
     kLoadedSaved,
     {R"({"name": "aiv_units.prd", "offset": 140, "size": 8, "nodes": [[4, -1, "2"]]})"}},
    // The first entry runs on through the others into the directory, whose
    // first int32 (offset 0) is an end tag.
    {"entry_size_huge",
     Run::Dump,
     entry_size_huge,
     0,
     {},
     {R"("size": 2147483647, "nodes": [[4, -1, "4"], )", R"([3, 5, "dunes"], [3, 6, "node_1"], )",
      R"([2, -1, "0.5"]]}, {"name": "reg_inside1.prd")"}},
    {"entry_beyond_end",
     Run::Dump,
     entry_beyond_end,
     0,
     {},
     {R"({"name": "reg_inside1.prd", "offset": 100000, )",
      R"("nodes": []}, {"name": "aiv_units.prd")"}},
    {"entry_offset_negative",
     Run::Dump,
     entry_offset_negative,
     0,
     {},
     {R"({"name": "reg_inside1.prd", "offset": -100, "size": 54, "nodes": []})"}},
    // Bytes 1 ... 4 are 00 00 00 04.
    {"entry_offset_misaligned",
     Run::Dump,
     entry_offset_misaligned,
     1,
     {"KMission: Corrupted Mission!  67108864", "Fpos: 5"}},
    {"entry_inside_directory",
     Run::Dump,
     entry_inside_directory,
     0,
     {},
     {R"({"name": "reg_inside1.prd", "offset": 220, "size": 54, "nodes": []})"}},
    {"entries_overlapping",
     Run::Resave,
     entries_overlapping,
     0,
     kLoadedSaved,
     {R"({"name": "reg_inside1.prd", "offset": 86, "size": 86, "nodes": [[4, -1, "4"])",
      R"({"name": "aiv_units.prd", "offset": 172, "size": 78, "nodes": [[4, -1, "2"], )"}},

    // Values that lie.
    {"bad_tag_seven",
     Run::Dump,
     bad_tag_seven,
     1,
     {"KMission: Corrupted Mission!  7", "Fpos: 104"}},
    {"bad_tag_negative",
     Run::Resave,
     bad_tag_negative,
     1,
     {"KMission: Corrupted Mission! -1", "Fpos: 104"}},
    {"string_length_negative",
     Run::Dump,
     string_length_negative,
     1,
     {R"(KMission: Corrupted Mission! The entry "reg_inside1.prd" holds a string of negative length -3.)",
      "Fpos: 94"}},
    {"string_length_most_negative",
     Run::Resave,
     string_length_most_negative,
     1,
     {R"(KMission: Corrupted Mission! The entry "reg_inside1.prd" holds a string of negative length -2147483648.)",
      "Fpos: 94"}},
    {"string_length_huge",
     Run::Resave,
     string_length_huge,
     0,
     kLoadedSaved,
     {R"({"name": "aiv_units.prd", "offset": 86, "size": )", R"(, "nodes": [[3, )"}},
    {"string_length_beyond_entry",
     Run::Dump,
     string_length_beyond_entry,
     0,
     {},
     {R"([3, 100, "node_1)",
      R"({"name": "aiv_units.prd", "offset": 100, "size": 80, "nodes": [[4, -1, "2"], )"}},
    {"too_many_values",
     Run::Dump,
     too_many_values,
     1,
     {R"(KMission: Corrupted Mission! The entry "aiv_units.prd" holds more values than the editor can keep (32767).)",
      "Fpos: 262284"}},
    {"list_count_huge",
     Run::Resave,
     list_count_huge,
     0,
     kLoadedSaved,
     {R"("nodes": [[4, -1, "2147483647"], [4, -1, "-2147483648"], [3, 6, "node_1"]])"}},
    {"name_without_padding",
     Run::Resave,
     name_without_padding,
     0,
     kLoadedSaved,
     {R"({"name": ")" + Repeated("\u00E9", 60) + "zz\u00FF\", "}},
    {"non_finite_floats",
     Run::Resave,
     non_finite_floats,
     0,
     kLoadedSaved,
     {R"([2, -1, "INF"], [2, -1, "-INF"], [2, -1, "-NAN"], [2, -1, "1.401298E-45"])"}},
    {"floats_at_a_power_of_ten",
     Run::Resave,
     floats_at_a_power_of_ten,
     0,
     kLoadedSaved,
     {R"([2, -1, "1E+28"], [2, -1, "1E-38"], [2, -1, "-1E+28"], [2, -1, "1E+28"]])"}},
    {"values_read_ten_thousand_times", Run::Dump, values_read_ten_thousand_times, 1, {kOverlap}},
    {"string_read_ten_thousand_times", Run::Dump, string_read_ten_thousand_times, 1, {kOverlap}},
    {"values_missing_after_keys", Run::RenderMission, values_missing_after_keys, 0, {}},
    {"render_bad_tag",
     Run::RenderMission,
     bad_tag_seven,
     1,
     {"KMission: Corrupted Mission!  7", "Fpos: 104"}},
    {"render_entry_size_huge", Run::RenderMission, entry_size_huge, 0, {}},
    {.name = "map_named_ten_thousand_times",
     .run = Run::RenderMission,
     .make = map_named_ten_thousand_times,
     .exitCode = 0,
     .err = {},
     .time = std::chrono::seconds{10}},
    {.name = "map_named_in_all_its_spellings",
     .run = Run::RenderMission,
     .make = map_named_in_all_its_spellings,
     .exitCode = 0,
     .err = {},
     .time = std::chrono::seconds{10}},
    {.name = "maps_named_in_turn_ten_thousand_times",
     .run = Run::RenderMission,
     .make = maps_named_in_turn_ten_thousand_times,
     .exitCode = 0,
     .err = {},
     .time = std::chrono::seconds{10}},

    // The shared archive and its map catalogue.
    {"reader_truncated_to_empty", Run::Maps, reader_truncated_to_empty, 1, {"KMission: Bad File"}},
    {"reader_alternate_count_zero",
     Run::Maps,
     reader_alternate_count_zero,
     1,
     {"KMission: Bad File"}},
    {"reader_alternate_count_negative",
     Run::Maps,
     reader_alternate_count_negative,
     1,
     {"KMission: Bad File"}},
    {"reader_alternate_count_beyond_file",
     Run::RenderWithReader,
     reader_alternate_count_beyond_file,
     1,
     {"KMission: Bad File"}},
    {"reader_bad_tag",
     Run::Maps,
     reader_bad_tag,
     1,
     {"KMission: new type found! 7 Or error.", "Fpos: 33"}},
    {"reader_string_length_negative",
     Run::Maps,
     reader_string_length_negative,
     1,
     {R"(KMission: Bad File: "maps.prd" holds a string of negative length -2.)", "Fpos: 25"}},
    {"reader_maps_entry_beyond_end",
     Run::Maps,
     reader_maps_entry_beyond_end,
     0,
     {},
     {R"({"maps": []})"}},
    {"reader_without_maps_entry",
     Run::Maps,
     reader_without_maps_entry,
     0,
     {},
     {R"({"maps": [{"name": "dunes       ", "bitmap": "dunes.bmp   ", "mpp": 2, )"
      R"("offsetX": -320, "offsetY": 0, "offsetZ": 240}]})"}},
    {"maps_record_cut_short",
     Run::Maps,
     maps_record_cut_short,
     0,
     {"KMission: error", "KMission: error 22", "KMission: error", "KMission: error 23",
      "KMission: error", "KMission: error 24"},
     {R"({"name": "delta       ", "bitmap": "            ", "mpp": 0, "offsetX": 0, )"}},
    {"maps_record_cut_short_rendered",
     Run::RenderWithReader,
     maps_record_cut_short,
     0,
     {"KMission: error", "KMission: error 22", "KMission: error", "KMission: error 23",
      "KMission: error", "KMission: error 24"}},
    {"maps_record_wrong_keys",
     Run::Maps,
     maps_record_wrong_keys,
     0,
     {"KMission: error 2", "KMission: error", "KMission: error 23", "KMission: error",
      "KMission: error 24"},
     {R"({"maps": [{"name": "dunes       ", "bitmap": "x           ", "mpp": 2, )"
      R"("offsetX": 1, "offsetY": 2, "offsetZ": 3}]})"}},
    {"maps_values_out_of_range",
     Run::Maps,
     maps_values_out_of_range,
     0,
     {},
     {R"("mpp": null, "offsetX": 32767, "offsetY": -32768, "offsetZ": 32767}]})"}},

    // The picture file.
    {"picture_file_empty", Run::Picture, picture_file_empty, 1, {kNoDunes}},
    {"picture_index_count_negative", Run::Picture, picture_index_count_negative, 1, {kNoDunes}},
    {"picture_index_count_huge", Run::Picture, picture_index_count_huge, 0, {}},
    {"picture_index_cut_inside_record",
     Run::Picture,
     picture_index_cut_inside_record,
     1,
     {kNoDunes}},
    {"picture_offset_negative", Run::Picture, picture_offset_negative, 1, {kHeaderLies}},
    {"picture_offset_beyond_file", Run::Picture, picture_offset_beyond_file, 1, {kHeaderLies}},
    {"picture_width_zero", Run::Picture, picture_width_zero, 1, {kHeaderLies}},
    {"picture_height_negative", Run::Picture, picture_height_negative, 1, {kHeaderLies}},
    {"picture_dimensions_beyond_file",
     Run::Picture,
     picture_dimensions_beyond_file,
     1,
     {kHeaderLies}},
    {"picture_pixels_one_byte_short",
     Run::Picture,
     picture_pixels_one_byte_short,
     1,
     {kHeaderLies}},
    {"picture_dimensions_beyond_file_rendered",
     Run::RenderWithPicture,
     picture_dimensions_beyond_file,
     0,
     {}},
    {"picture_index_count_huge_rendered", Run::RenderWithPicture, picture_index_count_huge, 0, {}},

    // Where the output cannot go.
    {"resave_into_missing_folder",
     Run::Resave,
     Healthy,
     1,
     {"KMission: Loaded!", "KMission: Not saved: \"{OUT}\" could not be written (No such file or "
                           "directory). The file on disk was left as it was."},
     {},
     "missing/out.PBD"},
    {"picture_into_missing_folder",
     Run::Picture,
     HealthyPictures,
     1,
     {"kmission-tool: cannot write {OUT}: *"},
     {},
     "missing/out.png"},
};

std::string Substitute(std::string text, const std::string& in, const std::string& out) {
    for (const auto& [key, value] : {std::pair{"{IN}", in}, std::pair{"{OUT}", out}}) {
        for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
            text.replace(at, std::string_view(key).size(), value);
            at += value.size();
        }
    }
    return text;
}

bool LineMatches(const std::string& line, const std::string& expected) {
    if (!expected.empty() && expected.back() == '*') {
        return line.starts_with(std::string_view(expected).substr(0, expected.size() - 1));
    }
    return line == expected;
}

// Everything a run must satisfy whatever the file: it ended by itself, in
// time, and not by a signal (which is also how a run that needed more memory
// than the limit ends).
void ExpectWellBehaved(const LimitedRun& run) {
    ASSERT_TRUE(run.started);
    EXPECT_FALSE(run.timedOut) << "still running after the time limit";
    EXPECT_TRUE(run.exited) << "ended by signal " << run.signal << "\n" << run.err;
}

class BadInputMatrix : public testing::TestWithParam<BadInput> {
protected:
    LimitedRun tool(const std::vector<std::string>& arguments, const std::string& scratch) {
        const fs::path dir = folder_.path() / scratch;
        fs::create_directories(dir);
        Limits limits;
        limits.time = GetParam().time;
        return RunLimited(KMISSION_TOOL, arguments, dir, limits);
    }

    // A game data folder with a healthy "reader.pbd" and "rimage.pbd".
    std::string dataFolder() {
        const fs::path data = folder_.path() / "data";
        fs::create_directories(data);
        folder_.write("data/reader.pbd", DataFolderReader());
        folder_.write("data/rimage.pbd", DataFolderPictures());
        return data.string();
    }

    fixtures::TempDir folder_;
};

TEST_P(BadInputMatrix, EndsWithItsMessageWithinTheLimits) {
    const BadInput& c = GetParam();
    const std::string in = folder_.write("in", c.make());
    const std::string out = folder_.file(c.outName);

    std::vector<std::string> arguments;
    switch (c.run) {
    case Run::Dump:
        arguments = {"dump", in};
        break;
    case Run::Resave:
        arguments = {"resave", in, out};
        break;
    case Run::Maps:
        arguments = {"maps", in};
        break;
    case Run::Picture:
        arguments = {"picture", in, "dunes", out};
        break;
    case Run::RenderMission:
        arguments = {"render", dataFolder(), in, out};
        break;
    case Run::RenderWithReader:
    case Run::RenderWithPicture: {
        const std::string data = dataFolder();
        const std::string replaced = c.run == Run::RenderWithReader ? "reader.pbd" : "rimage.pbd";
        fs::rename(in, fs::path(data) / replaced);
        arguments = {"render", data, folder_.write("mission.PBD", Healthy()), out};
        break;
    }
    }

    const LimitedRun run = tool(arguments, "run");
    ExpectWellBehaved(run);
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    const std::vector<std::string> lines = run.errLines();
    ASSERT_EQ(lines.size(), c.err.size()) << run.err;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(LineMatches(lines[i], Substitute(c.err[i], in, out)))
            << "line " << i << ": " << lines[i];
    }

    std::string shown = run.out;
    if (c.run == Run::Resave && run.exitCode == 0) {
        // What was saved opens again and saves to the same bytes.
        const LimitedRun dump = tool({"dump", out}, "dump");
        ExpectWellBehaved(dump);
        EXPECT_EQ(dump.exitCode, 0) << dump.err;
        shown = dump.out;
        const std::string again = folder_.file("again.PBD");
        const LimitedRun resave = tool({"resave", out, again}, "resave");
        ExpectWellBehaved(resave);
        EXPECT_EQ(resave.exitCode, 0) << resave.err;
        EXPECT_EQ(folder_.read("again.PBD"), folder_.read(c.outName));
    }
    // The rows name entries by name, place, size and values; the directory
    // fields dump prints between size and values are the fixture's own.
    for (std::size_t at = shown.find(", \"nameField\": "); at != std::string::npos;
         at = shown.find(", \"nameField\": ", at)) {
        shown.erase(at, shown.find(", \"nodes\": ", at) - at);
    }
    for (const std::string& text : c.out) {
        EXPECT_NE(shown.find(text), std::string::npos) << text << "\nnot in:\n"
                                                       << shown.substr(0, 2000);
    }
    const bool writesAFile = c.run != Run::Dump && c.run != Run::Maps;
    if (writesAFile && c.exitCode == 0) {
        EXPECT_TRUE(fs::is_regular_file(out) && fs::file_size(out) > 0) << "no output written";
    }
}

void PrintTo(const BadInput& c, std::ostream* out) {
    *out << c.name;
}

std::string CaseName(const testing::TestParamInfo<BadInput>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Files, BadInputMatrix, testing::ValuesIn(kCases), CaseName);

} // namespace
} // namespace kmission::test
