#include "map_catalogue.h"

#include "core_fixtures.h"
#include "text.h"

#include <gtest/gtest.h>

#include <climits>

namespace kmission {
namespace {

using namespace fixtures;

// The fifteen texts of one well-formed map record, in node order.
// clang-format off
std::vector<std::string> RecordTexts(const std::string& name = "dunes", const std::string& mpp = "25",
                                     const std::string& x = "-8000") {
    return {"9", "name", "2", name, "bitmap", "2", "dunes_bmp", "mpp", "2", mpp, "offset", "4", x, "0", "8200"};
}
// clang-format on

// Nodes built from texts; the walk looks at their texts only.
NodeList NodesOf(std::initializer_list<std::vector<std::string>> parts) {
    NodeList nodes{ReaderNode{}};
    for (const auto& part : parts)
        for (const std::string& text : part)
            nodes.push_back(Node(kNodeString, text));
    return nodes;
}

MapInfo Map(const std::string& name, float mpp = 25, std::int16_t x = -8000, std::int16_t y = 0,
            std::int16_t z = 8200, const std::string& bitmap = "dunes_bmp") {
    return {PadText(name, 12), PadText(bitmap, 12), mpp, x, y, z};
}

TEST(BuildMapCatalogue, WalksTheNodesForRecordsOfNine) {
    std::vector<std::string> odd = RecordTexts("abcdefghijklmno", "0.1", "12.5");
    odd[13] = "-2.5";
    const MapInfo dunes = Map("dunes");
    // clang-format off
    const std::pair<NodeList, std::vector<MapInfo>> cases[] = {
        {NodesOf({{"maps", "4"}, RecordTexts("one", "1"), {"pad"}, RecordTexts("two", "2")}),
         {Map("one", 1), Map("two", 2)}},
        {NodesOf({odd}), {Map("abcdefghijkl", 0.1f, 12, -2)}}, // cut, padded and rounded
        {NodesOf({{"maps"}, RecordTexts()}), {}}, // the node after "maps" is skipped
        {NodesOf({RecordTexts(), RecordTexts("second")}), {dunes}}, // and the node after a record
        {NodesOf({{"09", "9.0", "Maps"}, RecordTexts()}), {dunes}}, // exact texts only
        {NodesOf({{"maps", "1", "9", "name", "2", "dunes"}}), {Map("dunes", 0, 0, 0, 0, "")}},
        {NodesOf({{"x", "9"}}), {Map("", 0, 0, 0, 0, "")}}, // the last node is looked at
        {NodesOf({}), {}}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(BuildMapCatalogue(cases[i].first).maps, cases[i].second) << i;

    // Each key and count has its message, in node order; the values are still read.
    std::vector<std::string> wrong = RecordTexts();
    for (const std::size_t node : {1, 2, 4, 5, 7, 8, 10, 11})
        wrong[node] = wrong[node] == "2" ? "3" : "x";
    const MapCatalogue catalogue = BuildMapCatalogue(NodesOf({wrong}));
    EXPECT_EQ(catalogue.maps, std::vector<MapInfo>{dunes});
    const std::string texts[] = {"error", "error 2",  "error", "error 22",
                                 "error", "error 23", "error", "error 24"};
    ASSERT_EQ(catalogue.messages.size(), std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(catalogue.messages[i], Message{texts[i]}) << i;
}

// The "maps.prd" stream of a catalogue with one map.
Bytes MapsStream(const std::string& name) {
    ValueStream stream;
    stream.list(2).text("maps").list(2).list(9).setting("name", {name}).setting("bitmap", {"b"});
    stream.text("mpp").list(2).real(12.5f).text("offset").list(4);
    return stream.integer(-100).integer(0).integer(300).bytes();
}

TEST(ReadSharedArchive, ReadsTheLastMapsEntryWithItsNameCleaned) {
    ArchiveBuilder archive;
    archive.entry("other.prd", MapsStream("other"))
        .entry("maps.prd", MapsStream("dunes"))
        .entry("\tmaps.prd  ", MapsStream("late"), ' ')
        .entry("MAPS.PRD", MapsStream("capital"));
    const SharedArchive shared = ReadSharedArchive(archive.standard());
    EXPECT_TRUE(shared.ok && shared.messages.empty());
    EXPECT_EQ(shared.catalogue.maps, std::vector<MapInfo>{Map("late", 12.5f, -100, 0, 300, "b")});
    ASSERT_EQ(shared.directory.size(), 4u);
    EXPECT_EQ(shared.directory[2].name, PadText("maps.prd", 64));

    // A refused catalogue leaves no nodes behind.
    archive.entry("maps.prd", ValueStream().list(2).text("maps").tag(7).bytes());
    const SharedArchive refused = ReadSharedArchive(archive.standard());
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.mapsNodes, NodeList{ReaderNode{}});
}

} // namespace
} // namespace kmission
