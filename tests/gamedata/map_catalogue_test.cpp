#include "map_catalogue.h"

#include "core_fixtures.h"
#include "text.h"

#include <gtest/gtest.h>

#include <climits>

namespace kmission {
namespace {

using namespace fixtures;

// The fifteen texts of one well-formed map record, in node order.
std::vector<std::string> RecordTexts(const std::string& name = "dunes",
                                     const std::string& mpp = "25", const std::string& x = "-8000",
                                     const std::string& z = "8200") {
    return {"9", "name",   "2", name, "bitmap", "2", "dunes_bmp", "mpp", "2",
            mpp, "offset", "4", x,    "0",      z};
}

// Nodes built from texts; the walk looks at their texts only.
NodeList NodesOf(const std::vector<std::string>& texts) {
    NodeList nodes{ReaderNode{}};
    for (const std::string& text : texts)
        nodes.push_back(Node(kNodeString, text));
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
    return {PadText(name, 12), PadText(bitmap, 12), mpp, x, y, z};
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

struct WalkCase {
    const char* label;
    std::vector<std::string> texts;
    std::vector<MapInfo> maps;
};

TEST(BuildMapCatalogue, WalksTheNodesForRecordsOfNine) {
    std::vector<std::string> odd = RecordTexts("abcdefghijklmno", "0.1", "12.5", "13.5");
    odd[6] = "\xE9t\xE9";
    odd[13] = "-2.5";
    const MapInfo dunes = Map("dunes", 25.0f, -8000, 0, 8200);
    // clang-format off
    const WalkCase cases[] = {
        {"one record", Concat({{"maps", "3"}, RecordTexts()}), {dunes}},
        {"records in order", Concat({{"maps", "4"}, RecordTexts("one", "1"),
        {"pad"}, RecordTexts("two", "2")}),
         {Map("one", 1.0f, -8000, 0, 8200), Map("two", 2.0f, -8000, 0, 8200)}},
        {"values cut, padded and rounded", odd, {Map("abcdefghijkl", 0.1f, 12, -2, 14,
            "\xE9t\xE9")}},
        {"the node after maps is skipped", Concat({{"maps"}, RecordTexts()}), {}},
        {"the node after a record is skipped", Concat({RecordTexts(), RecordTexts("second")}),
        {dunes}},
        {"exact texts only", Concat({{"09", "9.0", "Maps"}, RecordTexts()}), {dunes}},
        {"cut short by the end", {"maps", "1", "9", "name", "2", "dunes"},
        {Map("dunes", 0, 0, 0, 0, "")}},
        {"the last node is looked at", {"x", "9"}, {Map("", 0.0f, 0, 0, 0, "")}},
        {"no nodes", {}, {}}};
    // clang-format on
    for (const WalkCase& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(BuildMapCatalogue(NodesOf(c.texts)).maps, c.maps);
    }
}

TEST(BuildMapCatalogue, EachKeyAndCountHasItsMessageInNodeOrder) {
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "error"}, {2, "error 2"},  {4, "error"},  {5, "error 22"},
        {7, "error"}, {8, "error 23"}, {10, "error"}, {11, "error 24"}};
    std::vector<std::string> allWrong = RecordTexts();
    for (const auto& [node, message] : cases) {
        SCOPED_TRACE(node);
        std::vector<std::string> texts = RecordTexts();
        texts[node] = texts[node] == "2" ? "3" : "x";
        allWrong[node] = texts[node];
        const MapCatalogue catalogue = BuildMapCatalogue(NodesOf(texts));
        EXPECT_EQ(MessageTexts(catalogue.messages), std::vector<std::string>{message});
        EXPECT_EQ(catalogue.maps, std::vector<MapInfo>{Map("dunes", 25.0f, -8000, 0, 8200)});
    }
    EXPECT_EQ(MessageTexts(BuildMapCatalogue(NodesOf(allWrong)).messages),
              (std::vector<std::string>{"error", "error 2", "error", "error 22", "error",
                                        "error 23", "error", "error 24"}));
}

// The "maps.prd" stream of a catalogue with the given maps.
Bytes MapsStream(const std::vector<std::string>& names) {
    ValueStream stream;
    stream.list(2).text("maps").list(static_cast<std::int32_t>(names.size()) + 1);
    for (const std::string& name : names) {
        stream.list(9).setting("name", {name}).setting("bitmap", {name + "_b"});
        stream.text("mpp").list(2).real(12.5f).text("offset").list(4).integer(-100);
        stream.integer(0).integer(300).list(1); // an empty list between records
    }
    return stream.bytes();
}

std::vector<MapInfo> Maps(std::initializer_list<const char*> names) {
    std::vector<MapInfo> maps;
    for (const char* name : names)
        maps.push_back(Map(name, 12.5f, -100, 0, 300, std::string(name) + "_b"));
    return maps;
}

TEST(ReadSharedArchive, ReadsTheLastMapsEntryOrTheFirstFromEitherTrailerForm) {
    ArchiveBuilder archive;
    archive.entry("other.prd", MapsStream({"other"}))
        .entry("maps.prd", MapsStream({"dunes", "hills"}))
        .entry("\tmaps.prd  ", MapsStream({"late"}), ' ')
        .entry("MAPS.PRD", MapsStream({"capital"}));
    for (const Bytes& file : {archive.standard(), archive.alternate(0), archive.alternate(-9)}) {
        const SharedArchive shared = ReadSharedArchive(file);
        ASSERT_TRUE(shared.ok);
        EXPECT_EQ(shared.catalogue.maps, Maps({"late"}));
        EXPECT_TRUE(shared.messages.empty());
        ASSERT_EQ(shared.directory.size(), 4u);
        EXPECT_EQ(shared.directory[2].name, PadText("maps.prd", 64));
        EXPECT_EQ(shared.directory[2].auxText, archive.records()[2].auxText);
    }
    ArchiveBuilder unnamed;
    unnamed.entry("first.prd", MapsStream({"dunes", "hills"})).entry("b.prd", MapsStream({"b"}));
    EXPECT_EQ(ReadSharedArchive(unnamed.standard()).catalogue.maps, Maps({"dunes", "hills"}));
}

TEST(ReadSharedArchive, RefusalsEndTheStartUpAndCatalogueMessagesDoNot) {
    ArchiveBuilder archive;
    archive.entry("maps.prd", MapsStream({"dunes"}));
    for (const Bytes& file :
         {archive.alternateWithCount(0, 0), archive.standardWithCount(10001, 0)}) {
        const SharedArchive shared = ReadSharedArchive(file);
        EXPECT_FALSE(shared.ok);
        EXPECT_EQ(shared.messages, Messages{Message{"Bad File"}});
    }
    ArchiveBuilder badTag;
    badTag.entry("first.prd", ValueStream().integer(1).bytes())
        .entry("maps.prd", ValueStream().list(2).text("maps").tag(7).bytes());
    const SharedArchive refused = ReadSharedArchive(badTag.standard());
    EXPECT_FALSE(refused.ok);
    // The bad tag ends 8 + 8 + 12 + 4 bytes into the file.
    EXPECT_EQ(refused.messages,
              (Messages{Message{"new type found! 7\nOr error."}, Message{"32", "Fpos"}}));
    EXPECT_EQ(refused.mapsNodes, NodeList{ReaderNode{}});

    ArchiveBuilder untidy;
    untidy.entry("maps.prd", ValueStream().list(9).text("nam").list(2).text("x").bytes());
    const SharedArchive shown = ReadSharedArchive(untidy.standard());
    EXPECT_TRUE(shown.ok);
    EXPECT_EQ(shown.messages, shown.catalogue.messages);
    EXPECT_EQ(MessageTexts(shown.messages).front(), "error");
    EXPECT_EQ(shown.catalogue.maps.size(), 1u);
}

Bytes PictureIndexHead(std::int32_t count, int records, std::size_t extraBytes = 0) {
    Bytes head;
    for (std::int32_t word : {7, 8, 9, count, -1, -2})
        AppendInt32(head, word);
    for (int j = 0; j < records; ++j) {
        AppendText(head, Padded("pic" + std::to_string(j) + "\t ", 32));
        AppendInt32(head, 1000 * (j + 1));
        AppendInt32(head, -j);
    }
    head.insert(head.end(), extraBytes, 0x41);
    return head;
}

std::vector<PictureIndexEntry> IndexRecords(int count) {
    std::vector<PictureIndexEntry> records;
    for (int j = 0; j < count; ++j)
        records.push_back({Padded("pic" + std::to_string(j) + "\t ", 32), 1000 * (j + 1), -j});
    return records;
}

TEST(ReadPictureIndex, ReadsTheCountedRecordsThatAreThere) {
    // Counts that are negative or larger than the file give the records that are there.
    // clang-format off
    const std::pair<Bytes, int> cases[] = {
        {PictureIndexHead(3, 3, 500), 3}, {PictureIndexHead(2, 3), 2},
        {PictureIndexHead(5, 2, 39), 2},
        {PictureIndexHead(INT_MAX, 2), 2}, {PictureIndexHead(-1, 2), 0},
        {PictureIndexHead(INT_MIN, 2), 0},
        {PictureIndexHead(0, 2), 0}, {Bytes(23, 0xFF), 0}};
    // clang-format on
    TempDir folder;
    for (const auto& [head, count] : cases) {
        SCOPED_TRACE(count);
        EXPECT_EQ(ReadPictureIndex(head), IndexRecords(count));
        EXPECT_EQ(ReadPictureIndexFile(folder.write("rimage.pbd", head)), IndexRecords(count));
    }
    EXPECT_TRUE(ReadPictureIndexFile(folder.file("missing.pbd")).empty());
}

} // namespace
} // namespace kmission
