#include "reader_node.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <utility>
#include <vector>

namespace kmission {
namespace {

using namespace std::string_literals;

struct NodeCase {
    const char* what;
    std::int32_t type;
    std::int32_t length;
    std::string text;
};

// Texts that fit in the node and texts that do not, lengths that are the
// usual one for the type and lengths that are not, and types the reader
// never gives.
const NodeCase kNodeCases[] = {
    {"blank", kNodeBlank, 0, ""},
    {"integer", kNodeInteger, -1, "-2147483648"},
    {"float of thirteen characters", kNodeFloat, -1, "-1.234568E+38"},
    {"list header", kNodeList, -1, "3"},
    {"empty string", kNodeString, 0, ""},
    {"string of eleven bytes", kNodeString, 11, "db_name_abc"},
    {"string of twelve bytes", kNodeString, 12, "db_name_abcd"},
    {"string cleaned shorter", kNodeString, 6, "abcd"},
    {"string cut short by the end of the file", kNodeString, 100, "abc"},
    {"string with NUL and high bytes", kNodeString, 4, "\xE9\0\xFF!"s},
    {"long string", kNodeString, 5000, std::string(5000, 'x')},
    {"integer with a length", kNodeInteger, 7, "12"},
    {"blank with a text", kNodeBlank, 0, "x"},
    {"unknown type", 1000, -5, "odd"},
};

class ReaderNodeHolds : public testing::TestWithParam<NodeCase> {};

TEST_P(ReaderNodeHolds, WhatItWasGivenThroughCopiesAndMoves) {
    const NodeCase& c = GetParam();
    const ReaderNode node(c.type, c.length, c.text);
    EXPECT_EQ(node.type(), c.type);
    EXPECT_EQ(node.length(), c.length);
    EXPECT_EQ(node.text(), c.text);

    ReaderNode copy = node;
    EXPECT_EQ(copy, node);
    ReaderNode moved = std::move(copy);
    EXPECT_EQ(moved, node);
    ReaderNode assigned(kNodeString, 40, std::string(40, 'y'));
    assigned = moved;
    EXPECT_EQ(assigned, node);
    assigned = ReaderNode{};
    EXPECT_EQ(assigned, ReaderNode{});
}

TEST_P(ReaderNodeHolds, ANewTextOfAnySizeKeepingTypeAndLength) {
    const NodeCase& c = GetParam();
    for (const std::string& replacement :
         {""s, "7"s, "12345678901"s, "123456789012"s, std::string(300, 'z')}) {
        ReaderNode node(c.type, c.length, c.text);
        node.setText(replacement);
        EXPECT_EQ(node.text(), replacement);
        EXPECT_EQ(node.type(), c.type);
        EXPECT_EQ(node.length(), c.length);
    }
}

INSTANTIATE_TEST_SUITE_P(Nodes, ReaderNodeHolds, testing::ValuesIn(kNodeCases),
                         [](const testing::TestParamInfo<NodeCase>& info) {
                             std::string name;
                             for (const char c : std::string(info.param.what)) {
                                 name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(ReaderNode, TakesANewTextFromPartOfItsOwn) {
    for (const std::string& text : {"abcdefgh"s, std::string(64, 'q') + "tail"}) {
        ReaderNode node(kNodeString, 99, text);
        node.setText(node.text().substr(2));
        EXPECT_EQ(node.text(), text.substr(2));
        EXPECT_EQ(node.length(), 99);
    }
}

TEST(ReaderNode, NodesDifferInTypeLengthOrText) {
    const ReaderNode node(kNodeString, 3, "abc");
    EXPECT_NE(node, ReaderNode(kNodeInteger, 3, "abc"));
    EXPECT_NE(node, ReaderNode(kNodeString, 4, "abc"));
    EXPECT_NE(node, ReaderNode(kNodeString, 3, "abd"));
}

TEST(ReaderNode, ListsOfNodesGrowAndCopyWithTheirTexts) {
    std::vector<ReaderNode> nodes(1);
    for (int i = 0; i < 1000; ++i) {
        nodes.emplace_back(kNodeString, -1, std::string(static_cast<std::size_t>(i % 40), 'a'));
    }
    const std::vector<ReaderNode> copy = nodes;
    ASSERT_EQ(copy.size(), 1001u);
    for (std::size_t k = 1; k < copy.size(); ++k) {
        EXPECT_EQ(copy[k].text().size(), (k - 1) % 40);
        EXPECT_EQ(copy[k].length(), -1);
    }
}

} // namespace
} // namespace kmission
