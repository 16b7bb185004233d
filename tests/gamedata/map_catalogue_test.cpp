#include "map_catalogue.h"

#include "core_fixtures.h"
#include "text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <climits>
#include <string>
#include <vector>

namespace kmission {
namespace {

using namespace std::string_literals;
using fixtures::AppendInt32;
using fixtures::ArchiveBuilder;
using fixtures::IntNode;
using fixtures::ListNode;
using fixtures::StringNode;
using fixtures::ValueStream;

// The fifteen texts of one well-formed map record, in node order.
std::vector<std::string> RecordTexts(const std::string& name = "dunes",
                                     const std::string& mpp = "25", const std::string& x = "-8000",
                                     const std::string& z = "8200") {
    return {"9", "name",   "2", name, "bitmap", "2", "dunes_bmp", "mpp", "2",
            mpp, "offset", "4", x,    "0",      z};
}

// Nodes built from texts: counts as list nodes, keys and names as strings.
NodeList NodesOf(const std::vector<std::string>& texts) {
    NodeList nodes{ReaderNode{}};
    for (const std::string& text : texts) {
        const bool number = !text.empty() && (std::isdigit(static_cast<unsigned char>(text[0])) ||
                                              text[0] == '-' || text[0] == '.');
        nodes.push_back(number ? ListNode(text) : StringNode(text));
    }
    return nodes;
}

std::vector<std::string> Concat(std::vector<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

MapInfo Map(const std::string& name, float mpp, std::int16_t x, std::int16_t y, std::int16_t z,
            const std::string& bitmap = "dunes_bmp") {
    MapInfo map;
    map.name = PadText(name, 12);
    map.bitmap = PadText(bitmap, 12);
    map.mpp = mpp;
    map.offsetX = x;
    map.offsetY = y;
    map.offsetZ = z;
    return map;
}

std::vector<std::string> MessageTexts(const Messages& messages) {
    std::vector<std::string> texts;
    for (const Message& message : messages) {
        EXPECT_EQ(message.title, kDefaultTitle);
        EXPECT_EQ(message.buttons, MessageButtons::Ok);
        EXPECT_EQ(message.icon, MessageIcon::None);
        texts.push_back(message.text);
    }
    return texts;
}

TEST(BuildMapCatalogue, ReadsAWellFormedRecord) {
    const MapCatalogue catalogue =
        BuildMapCatalogue(NodesOf(Concat({{"maps", "3"}, RecordTexts("dunes", "25", "-8000")})));
    ASSERT_EQ(catalogue.maps.size(), 1u);
    EXPECT_EQ(catalogue.maps[0], Map("dunes", 25.0f, -8000, 0, 8200));
    EXPECT_TRUE(catalogue.messages.empty());
}

TEST(BuildMapCatalogue, ThreeRecordsGiveThreeMapsInOrder) {
    const MapCatalogue catalogue = BuildMapCatalogue(NodesOf(Concat({{"maps", "4"},
                                                                     RecordTexts("one", "1"),
                                                                     {"pad"},
                                                                     RecordTexts("two", "2"),
                                                                     {"pad"},
                                                                     RecordTexts("three", "3")})));
    ASSERT_EQ(catalogue.maps.size(), 3u);
    EXPECT_EQ(catalogue.maps[0].name, "one         ");
    EXPECT_EQ(catalogue.maps[1].name, "two         ");
    EXPECT_EQ(catalogue.maps[2].name, "three       ");
    EXPECT_EQ(catalogue.maps[2].mpp, 3.0f);
}

TEST(BuildMapCatalogue, ValuesAreCutOrPaddedAndRounded) {
    std::vector<std::string> texts = RecordTexts("abcdefghijklmno", "0.1", "12.5", "13.5");
    texts[6] = "\xE9t\xE9";
    texts[13] = "-2.5";
    const MapCatalogue catalogue = BuildMapCatalogue(NodesOf(texts));
    ASSERT_EQ(catalogue.maps.size(), 1u);
    EXPECT_EQ(catalogue.maps[0].name, "abcdefghijkl");
    EXPECT_EQ(catalogue.maps[0].bitmap, "\xE9t\xE9         ");
    EXPECT_EQ(catalogue.maps[0].mpp, 0.1f);
    EXPECT_EQ(catalogue.maps[0].offsetX, 12);
    EXPECT_EQ(catalogue.maps[0].offsetY, -2);
    EXPECT_EQ(catalogue.maps[0].offsetZ, 14);
}

// A record whose start is a number node (type 1) counts like a list node.
TEST(BuildMapCatalogue, IntegerNineStartsARecord) {
    NodeList nodes = NodesOf(RecordTexts());
    nodes[1] = IntNode("9");
    EXPECT_EQ(BuildMapCatalogue(nodes).maps.size(), 1u);
}

TEST(BuildMapCatalogue, NodesTheWalkSkipsAreNotLookedAt) {
    // "9" right after "maps": skipped, and nothing later starts a record.
    EXPECT_TRUE(BuildMapCatalogue(NodesOf(Concat({{"maps"}, RecordTexts()}))).maps.empty());

    // "9" at k + 15, right after a record: skipped, so the record that starts
    // there is read as loose nodes.
    const MapCatalogue after =
        BuildMapCatalogue(NodesOf(Concat({RecordTexts("first"), RecordTexts("second")})));
    ASSERT_EQ(after.maps.size(), 1u);
    EXPECT_EQ(after.maps[0].name, "first       ");

    // One node later, the second record is found.
    const MapCatalogue spaced =
        BuildMapCatalogue(NodesOf(Concat({RecordTexts("first"), {"gap"}, RecordTexts("second")})));
    EXPECT_EQ(spaced.maps.size(), 2u);

    // Matching is exact: "09", "9.0" and "Maps" are nothing special.
    EXPECT_TRUE(BuildMapCatalogue(NodesOf({"09", "9.0", "x"})).maps.empty());
    EXPECT_EQ(BuildMapCatalogue(NodesOf(Concat({{"Maps"}, RecordTexts()}))).maps.size(), 1u);
}

struct DefectCase {
    std::size_t node; // 0-based position in RecordTexts (k + node)
    std::string text;
    std::string message;
};

TEST(BuildMapCatalogue, EachKeyAndCountHasItsMessage) {
    const DefectCase cases[] = {
        {1, "Name", "error"}, {2, "3", "error 2"}, {4, "bmp", "error"},   {5, "1", "error 22"},
        {7, "MPP", "error"},  {8, "", "error 23"}, {10, "offs", "error"}, {11, "3", "error 24"},
    };
    for (const DefectCase& c : cases) {
        SCOPED_TRACE(c.message + " at k + " + std::to_string(c.node));
        std::vector<std::string> texts = RecordTexts("dunes", "25", "-8000");
        texts[c.node] = c.text;
        const MapCatalogue catalogue = BuildMapCatalogue(NodesOf(texts));
        EXPECT_EQ(MessageTexts(catalogue.messages), std::vector<std::string>{c.message});
        ASSERT_EQ(catalogue.maps.size(), 1u);
        EXPECT_EQ(catalogue.maps[0], Map("dunes", 25.0f, -8000, 0, 8200));
    }
}

TEST(BuildMapCatalogue, MessagesComeInNodeOrder) {
    const std::vector<std::string> all_wrong = {"9", "x", "x", "n", "x", "x", "b", "x",
                                                "x", "1", "x", "x", "1", "2", "3"};
    const MapCatalogue catalogue = BuildMapCatalogue(NodesOf(all_wrong));
    EXPECT_EQ(MessageTexts(catalogue.messages),
              (std::vector<std::string>{"error", "error 2", "error", "error 22", "error",
                                        "error 23", "error", "error 24"}));
    ASSERT_EQ(catalogue.maps.size(), 1u);
    EXPECT_EQ(catalogue.maps[0], Map("n", 1.0f, 1, 2, 3, "b"));
}

TEST(BuildMapCatalogue, RecordCutShortByTheEndReadsBlanks) {
    const MapCatalogue catalogue =
        BuildMapCatalogue(NodesOf(Concat({{"maps", "1"}, {"9", "name", "2", "dunes"}})));
    ASSERT_EQ(catalogue.maps.size(), 1u);
    EXPECT_EQ(catalogue.maps[0], Map("dunes", 0.0f, 0, 0, 0, ""));
    EXPECT_EQ(
        MessageTexts(catalogue.messages),
        (std::vector<std::string>{"error", "error 22", "error", "error 23", "error", "error 24"}));
}

TEST(BuildMapCatalogue, LastNodeIsLookedAt) {
    const MapCatalogue catalogue = BuildMapCatalogue(NodesOf({"x", "9"}));
    ASSERT_EQ(catalogue.maps.size(), 1u);
    EXPECT_EQ(catalogue.messages.size(), 8u);
}

TEST(BuildMapCatalogue, EmptyStoreHasNoMaps) {
    const MapCatalogue catalogue = BuildMapCatalogue(NodeList{ReaderNode{}});
    EXPECT_TRUE(catalogue.maps.empty());
    EXPECT_TRUE(catalogue.messages.empty());
}

// The "maps.prd" stream of a catalogue with the given maps.
Bytes MapsStream(const std::vector<std::string>& names) {
    ValueStream stream;
    stream.list(2).text("maps").list(static_cast<std::int32_t>(names.size()) + 1);
    for (const std::string& name : names) {
        stream.list(9)
            .setting("name", {name})
            .setting("bitmap", {name + "_b"})
            .text("mpp")
            .list(2)
            .real(12.5f)
            .text("offset")
            .list(4)
            .integer(-100)
            .integer(0)
            .integer(300);
        stream.list(1); // an empty list between records
    }
    return stream.bytes();
}

std::vector<std::string> MapNames(const SharedArchive& shared) {
    std::vector<std::string> names;
    for (const MapInfo& map : shared.catalogue.maps)
        names.push_back(CleanText(map.name));
    return names;
}

TEST(ReadSharedArchive, ReadsTheCatalogueFromEitherTrailerForm) {
    ArchiveBuilder archive;
    archive.entry("other.prd", ValueStream().text("x").bytes())
        .entry("maps.prd", MapsStream({"dunes", "hills"}))
        .entry("zzz.prd", ValueStream().integer(1).bytes());
    for (const Bytes& file : {archive.standard(), archive.alternate(0), archive.alternate(-9)}) {
        const SharedArchive shared = ReadSharedArchive(file);
        ASSERT_TRUE(shared.ok);
        EXPECT_EQ(MapNames(shared), (std::vector<std::string>{"dunes", "hills"}));
        EXPECT_EQ(shared.catalogue.maps[0], Map("dunes", 12.5f, -100, 0, 300, "dunes_b"));
        EXPECT_TRUE(shared.messages.empty());
        ASSERT_EQ(shared.directory.size(), 3u);
        EXPECT_EQ(shared.directory[1].name, PadText("maps.prd", 64));
        EXPECT_EQ(shared.directory[1].auxText, archive.records()[1].auxText);
    }
}

TEST(ReadSharedArchive, LaterMapsEntryWinsAndNamesAreCleaned) {
    ArchiveBuilder archive;
    archive.entry("maps.prd", MapsStream({"early"}))
        .entry("\tmaps.prd  ", MapsStream({"late"}), ' ')
        .entry("MAPS.PRD", MapsStream({"capital"}));
    const SharedArchive shared = ReadSharedArchive(archive.standard());
    ASSERT_TRUE(shared.ok);
    EXPECT_EQ(MapNames(shared), std::vector<std::string>{"late"});
}

TEST(ReadSharedArchive, WithoutMapsEntryTheFirstEntryIsUsed) {
    ArchiveBuilder archive;
    archive.entry("first.prd", MapsStream({"first"})).entry("second.prd", MapsStream({"second"}));
    const SharedArchive shared = ReadSharedArchive(archive.standard());
    ASSERT_TRUE(shared.ok);
    EXPECT_EQ(MapNames(shared), std::vector<std::string>{"first"});
}

TEST(ReadSharedArchive, AlternateCountZeroIsABadFile) {
    ArchiveBuilder archive;
    archive.entry("maps.prd", MapsStream({"dunes"}));
    for (const Bytes& file :
         {archive.alternateWithCount(0, 0), archive.standardWithCount(10001, 0)}) {
        const SharedArchive shared = ReadSharedArchive(file);
        EXPECT_FALSE(shared.ok);
        EXPECT_EQ(shared.messages, Messages{Message{"Bad File"}});
        EXPECT_TRUE(shared.catalogue.maps.empty());
    }
}

TEST(ReadSharedArchive, BadTagEndsTheStartUp) {
    ArchiveBuilder archive;
    archive.entry("first.prd", ValueStream().integer(1).bytes());
    const Bytes maps = ValueStream().list(2).text("maps").tag(7).bytes();
    archive.entry("maps.prd", maps);
    const SharedArchive shared = ReadSharedArchive(archive.standard());
    EXPECT_FALSE(shared.ok);
    // The bad tag ends 8 + 8 + 12 + 4 bytes into the file.
    EXPECT_EQ(shared.messages,
              (Messages{Message{"new type found! 7\nOr error."}, Message{"32", "Fpos"}}));
    EXPECT_TRUE(shared.catalogue.maps.empty());
}

TEST(ReadSharedArchive, CatalogueMessagesAreShownAndStartUpGoesOn) {
    ArchiveBuilder archive;
    archive.entry("maps.prd", ValueStream().list(9).text("nam").list(2).text("x").bytes());
    const SharedArchive shared = ReadSharedArchive(archive.standard());
    EXPECT_TRUE(shared.ok);
    ASSERT_FALSE(shared.messages.empty());
    EXPECT_EQ(shared.messages[0], Message{"error"});
    EXPECT_EQ(shared.catalogue.maps.size(), 1u);
}

Bytes PictureIndexHead(std::int32_t count, int records, std::size_t extraBytes = 0) {
    Bytes head;
    for (std::int32_t word : {7, 8, 9})
        AppendInt32(head, word);
    AppendInt32(head, count);
    AppendInt32(head, -1);
    AppendInt32(head, -2);
    for (int j = 0; j < records; ++j) {
        fixtures::AppendText(head, fixtures::Padded("pic" + std::to_string(j) + "\t ", 32));
        AppendInt32(head, 1000 * (j + 1));
        AppendInt32(head, -j);
    }
    head.insert(head.end(), extraBytes, 0x41);
    return head;
}

PictureIndexEntry IndexRecord(int j) {
    PictureIndexEntry record;
    record.name = fixtures::Padded("pic" + std::to_string(j) + "\t ", 32);
    record.offset = 1000 * (j + 1);
    record.extra = -j;
    return record;
}

TEST(ReadPictureIndex, ReadsTheCountedRecords) {
    const auto index = ReadPictureIndex(PictureIndexHead(3, 3, 500));
    EXPECT_EQ(index,
              (std::vector<PictureIndexEntry>{IndexRecord(0), IndexRecord(1), IndexRecord(2)}));
    EXPECT_EQ(ReadPictureIndex(PictureIndexHead(2, 3)).size(), 2u);
}

TEST(ReadPictureIndex, CountsThatLieGiveWhatIsThere) {
    const std::pair<const char*, Bytes> cases[] = {
        {"count larger than the file", PictureIndexHead(5, 2, 39)},
        {"count far larger than the file", PictureIndexHead(INT_MAX, 2)},
    };
    for (const auto& [label, head] : cases) {
        SCOPED_TRACE(label);
        EXPECT_EQ(ReadPictureIndex(head),
                  (std::vector<PictureIndexEntry>{IndexRecord(0), IndexRecord(1)}));
    }
    EXPECT_TRUE(ReadPictureIndex(PictureIndexHead(-1, 2)).empty());
    EXPECT_TRUE(ReadPictureIndex(PictureIndexHead(INT_MIN, 2)).empty());
    EXPECT_TRUE(ReadPictureIndex(PictureIndexHead(0, 2)).empty());
    EXPECT_TRUE(ReadPictureIndex(Bytes{}).empty());
    EXPECT_TRUE(ReadPictureIndex(Bytes(15, 0xFF)).empty());
}

TEST(ReadPictureIndexFile, ReadsAFileAndMissingIsEmpty) {
    fixtures::TempDir folder;
    const std::string path = folder.write(kPictureFileName, PictureIndexHead(2, 2, 100));
    EXPECT_EQ(ReadPictureIndexFile(path),
              (std::vector<PictureIndexEntry>{IndexRecord(0), IndexRecord(1)}));
    EXPECT_TRUE(ReadPictureIndexFile(folder.file("missing.pbd")).empty());
    EXPECT_TRUE(ReadPictureIndexFile(folder.write("empty.pbd", {})).empty());
}

} // namespace
} // namespace kmission
