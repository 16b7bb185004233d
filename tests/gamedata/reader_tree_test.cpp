#include "reader_tree.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <limits>
#include <string>

namespace kmission {
namespace {

using namespace std::string_literals;
using fixtures::AppendInt32;
using fixtures::FloatNode;
using fixtures::Int32In;
using fixtures::IntNode;
using fixtures::ListNode;
using fixtures::Nodes;
using fixtures::StringNode;
using fixtures::ValueStream;

// Bytes in front of every entry, so that positions are not counted from 0 by luck.
constexpr std::int64_t kLead = 10;

Bytes Placed(const Bytes& entry, const Bytes& after = {}) {
    Bytes file(kLead, 0xCC);
    fixtures::Append(file, entry);
    fixtures::Append(file, after);
    return file;
}

struct Parsed {
    std::optional<ParseFailure> failure;
    NodeList nodes{ReaderNode{}};
};

// Parses `entry` placed at kLead with its exact size, or `size` when given.
Parsed Parse(const Bytes& entry, std::optional<std::int64_t> size = {}, const Bytes& after = {},
             const ParseOptions& options = {}) {
    Parsed parsed;
    const Bytes file = Placed(entry, after);
    parsed.failure = ParseEntry(file, kLead, size.value_or(static_cast<std::int64_t>(entry.size())),
                                parsed.nodes, options);
    return parsed;
}

struct ParseCase {
    const char* label;
    Bytes entry;
    NodeList expected;
};

TEST(ParseEntry, TurnsEveryValueTypeIntoText) {
    const ParseCase cases[] = {
        {"negative integer", ValueStream().integer(-5).bytes(), Nodes({IntNode("-5")})},
        {"integer extremes", ValueStream().integer(INT_MIN).integer(INT_MAX).integer(0).bytes(),
         Nodes({IntNode("-2147483648"), IntNode("2147483647"), IntNode("0")})},
        {"floats", ValueStream().real(0.1f).real(-2.5f).real(12345678.0f).real(0.0f).bytes(),
         Nodes({FloatNode("0.1"), FloatNode("-2.5"), FloatNode("1.234568E+07"), FloatNode("0")})},
        {"string with controls", ValueStream().text("ab\tcd\0"s).bytes(),
         Nodes({ReaderNode{kNodeString, 6, "abcd"}})},
        {"string with outer spaces", ValueStream().text("  db name  ").bytes(),
         Nodes({ReaderNode{kNodeString, 11, "db name"}})},
        {"string with upper half bytes", ValueStream().text("\xE9t\xE9\xFF").bytes(),
         Nodes({ReaderNode{kNodeString, 4, "\xE9t\xE9\xFF"}})},
        {"empty string", ValueStream().text("").integer(1).bytes(),
         Nodes({ReaderNode{kNodeString, 0, ""}, IntNode("1")})},
        {"list elements follow as nodes",
         ValueStream().list(3).text("name").list(2).text("dunes").bytes(),
         Nodes({ListNode("3"), StringNode("name"), ListNode("2"), StringNode("dunes")})},
        {"negative list count", ValueStream().list(-1).bytes(), Nodes({ListNode("-1")})},
        {"only the end tag", ValueStream().end().bytes(), Nodes({})},
        {"end tag stops the entry", ValueStream().integer(1).end().integer(2).integer(3).bytes(),
         Nodes({IntNode("1")})},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed = Parse(c.entry);
        EXPECT_FALSE(parsed.failure.has_value());
        EXPECT_EQ(parsed.nodes, c.expected);
    }
}

TEST(ParseEntry, FloatTextsAcrossMagnitudes) {
    const std::pair<float, const char*> cases[] = {
        {0.1f, "0.1"},           {12345678.0f, "1.234568E+07"},
        {1e-7f, "1E-07"},        {0.0f, "0"},
        {-2.5f, "-2.5"},         {100000.0f, "100000"},
        {1234567.0f, "1234567"}, {0.0001f, "0.0001"},
        {0.00001f, "1E-05"},
    };
    for (const auto& [value, text] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Parse(ValueStream().real(value).bytes()).nodes, Nodes({FloatNode(text)}));
    }
}

TEST(ParseEntry, EmptiesTheStoreFirst) {
    Parsed parsed;
    parsed.nodes = Nodes({IntNode("old"), IntNode("older")});
    const Bytes file = Placed(ValueStream().integer(7).bytes());
    EXPECT_FALSE(ParseEntry(file, kLead, 8, parsed.nodes).has_value());
    EXPECT_EQ(parsed.nodes, Nodes({IntNode("7")}));
}

// The position test comes after each value and its following tag: a tag that
// ends exactly at offset + size is processed, its payload read from beyond.
TEST(ParseEntry, TagEndingAtTheEntryEndIsStillProcessed) {
    const Bytes entry = ValueStream().integer(5).tag(kNodeInteger).bytes();
    Bytes after;
    AppendInt32(after, 9);
    ValueStream next;
    next.integer(11);
    fixtures::Append(after, next.bytes());
    EXPECT_EQ(Parse(entry, {}, after).nodes, Nodes({IntNode("5"), IntNode("9")}));
}

TEST(ParseEntry, StopsOnceThePositionPassesTheEnd) {
    const Bytes entry = ValueStream().integer(5).integer(6).bytes();
    const Bytes following = ValueStream().integer(7).integer(8).bytes();
    EXPECT_EQ(Parse(entry, {}, following).nodes, Nodes({IntNode("5"), IntNode("6")}));
}

TEST(ParseEntry, SizeLeavingOutTheEndTagStopsAtThePositionTest) {
    const Bytes entry = ValueStream().integer(5).text("x").end().bytes();
    const Bytes following = ValueStream().integer(99).bytes();
    const Parsed parsed = Parse(entry, static_cast<std::int64_t>(entry.size()) - 4, following);
    EXPECT_FALSE(parsed.failure.has_value());
    EXPECT_EQ(parsed.nodes, Nodes({IntNode("5"), StringNode("x")}));
}

// The first value is read before anything is tested, whatever the size says.
TEST(ParseEntry, FirstValueIsReadEvenForSizeZero) {
    const Parsed parsed = Parse(ValueStream().integer(5).integer(6).bytes(), 0);
    EXPECT_EQ(parsed.nodes, Nodes({IntNode("5")}));
}

// A bad tag just past a complete entry is never examined: the position test
// stops the parse first.
TEST(ParseEntry, BadTagBeyondTheEntryIsNotAFailure) {
    Bytes bad_tag_after;
    AppendInt32(bad_tag_after, 77);
    const Parsed parsed = Parse(ValueStream().integer(5).bytes(), {}, bad_tag_after);
    EXPECT_FALSE(parsed.failure.has_value());
    EXPECT_EQ(parsed.nodes, Nodes({IntNode("5")}));
}

Bytes value_cut_by_end_of_file() {
    Bytes bytes = ValueStream().integer(4).bytes();
    AppendInt32(bytes, kNodeInteger);
    bytes.push_back(0x05);
    bytes.push_back(0x00);
    return bytes;
}

Bytes tag_cut_by_end_of_file() {
    Bytes bytes = ValueStream().integer(4).bytes();
    bytes.push_back(0x01);
    bytes.push_back(0x00);
    return bytes;
}

Bytes string_longer_than_file() {
    return ValueStream().textWithLength(100, "abc").bytes();
}

TEST(ParseEntry, EndOfFileEndsTheEntryAfterTheCurrentValue) {
    const ParseCase cases[] = {
        {"value cut short", value_cut_by_end_of_file(), Nodes({IntNode("4"), IntNode("5")})},
        {"tag cut short", tag_cut_by_end_of_file(), Nodes({IntNode("4")})},
        {"string longer than the file", string_longer_than_file(),
         Nodes({ReaderNode{kNodeString, 100, "abc"}})},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.label);
        // The entry claims far more bytes than the file holds.
        const Parsed parsed = Parse(c.entry, 1000);
        EXPECT_FALSE(parsed.failure.has_value());
        EXPECT_EQ(parsed.nodes, c.expected);
    }
}

TEST(ParseEntry, EntryBeyondTheEndOfTheFileHasNoNodes) {
    NodeList nodes{ReaderNode{}};
    const Bytes file = ValueStream().integer(1).bytes();
    EXPECT_FALSE(ParseEntry(file, 500, 20, nodes).has_value());
    EXPECT_EQ(nodes, Nodes({}));
}

struct FailureCase {
    const char* label;
    Bytes entry;
    ParseError error;
    std::int32_t tag;
    std::int64_t position; // relative to the entry's offset
};

TEST(ParseEntry, FailureCarriesTheTagAndThePositionAfterIt) {
    const FailureCase cases[] = {
        {"tag 7 first", ValueStream().tag(7).integer(1).bytes(), ParseError::BadTag, 7, 4},
        {"tag 5 after a value", ValueStream().integer(1).tag(5).bytes(), ParseError::BadTag, 5, 12},
        {"negative tag", ValueStream().text("ab").tag(-3).integer(1).bytes(), ParseError::BadTag,
         -3, 14},
        {"most negative tag", ValueStream().tag(INT_MIN).bytes(), ParseError::BadTag, INT_MIN, 4},
        {"bad tag inside a list", ValueStream().list(2).integer(1).tag(12).bytes(),
         ParseError::BadTag, 12, 20},
        {"negative string length", ValueStream().integer(3).textWithLength(-4, "abcd").bytes(),
         ParseError::NegativeStringLength, -4, 16},
        {"string length -1", ValueStream().textWithLength(-1, "").integer(1).bytes(),
         ParseError::NegativeStringLength, -1, 8},
    };
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.label);
        const Parsed parsed = Parse(c.entry);
        ASSERT_TRUE(parsed.failure.has_value());
        EXPECT_EQ(parsed.failure->error, c.error);
        EXPECT_EQ(parsed.failure->tag, c.tag);
        EXPECT_EQ(parsed.failure->filePosition, kLead + c.position);
    }
}

TEST(ParseEntry, RefusesMoreNodesThanTheLimit) {
    ParseOptions limit;
    limit.maxNodes = 3;
    const Bytes three = ValueStream().integer(1).integer(2).integer(3).bytes();
    const Bytes four = ValueStream().integer(1).integer(2).integer(3).integer(4).bytes();
    EXPECT_FALSE(Parse(three, {}, {}, limit).failure.has_value());
    const Parsed parsed = Parse(four, {}, {}, limit);
    ASSERT_TRUE(parsed.failure.has_value());
    EXPECT_EQ(parsed.failure->error, ParseError::TooManyNodes);
}

TEST(ParseEntry, LetsTheCallerYieldWhileReading) {
    ValueStream many;
    for (int i = 0; i < 5000; ++i)
        many.integer(i);
    int yields = 0;
    ParseOptions options;
    options.yield = [&yields] { ++yields; };
    const Parsed parsed = Parse(many.bytes(), {}, {}, options);
    EXPECT_EQ(parsed.nodes.size(), 5001u);
    EXPECT_GE(yields, 1);
    EXPECT_LE(yields, 5000);
}

TEST(NodeText, ReadsBlankOutsideTheNodes) {
    const NodeList nodes = Nodes({StringNode("one"), IntNode("2")});
    EXPECT_EQ(NodeText(nodes, 1), "one");
    EXPECT_EQ(NodeText(nodes, 2), "2");
    EXPECT_EQ(NodeText(nodes, 0), "");
    EXPECT_EQ(NodeText(nodes, 3), "");
    EXPECT_EQ(NodeText(nodes, 1000000), "");
    EXPECT_EQ(NodeText(nodes, -1), "");
}

Bytes Serialized(const NodeList& nodes) {
    Bytes out;
    const auto failure = SerializeNodes(nodes, out);
    EXPECT_FALSE(failure.has_value()) << (failure ? failure->text : "");
    return out;
}

TEST(SerializeNodes, CanonicalStreamsComeBackByteForByte) {
    const Bytes canonical = ValueStream()
                                .list(3)
                                .text("name")
                                .list(2)
                                .text("Desert \xE9t\xE9")
                                .integer(-5)
                                .integer(INT_MIN)
                                .real(0.1f)
                                .real(-2.5f)
                                .real(12345680.0f)
                                .real(1e-7f)
                                .text("")
                                .bytes();
    const Parsed parsed = Parse(canonical);
    ASSERT_FALSE(parsed.failure.has_value());
    EXPECT_EQ(Serialized(parsed.nodes), canonical);
}

TEST(SerializeNodes, MinusFiveRoundTripsToTheSameEightBytes) {
    const Bytes entry = ValueStream().integer(-5).bytes();
    EXPECT_EQ(Serialized(Parse(entry).nodes), entry);
}

TEST(SerializeNodes, StringIsWrittenWithTheLengthOfItsText) {
    const Parsed parsed = Parse(ValueStream().text("ab\tcd\0"s).bytes());
    EXPECT_EQ(Serialized(parsed.nodes), ValueStream().text("abcd").bytes());
    // A text typed later keeps its spaces and controls.
    NodeList typed = Nodes({ReaderNode{kNodeString, 3, " a\tb "}});
    EXPECT_EQ(Serialized(typed), ValueStream().text(" a\tb ").bytes());
}

TEST(SerializeNodes, DropsTheEndTag) {
    const Parsed parsed = Parse(ValueStream().integer(1).end().bytes());
    EXPECT_EQ(Serialized(parsed.nodes), ValueStream().integer(1).bytes());
}

TEST(SerializeNodes, BlankNodeEndsTheStream) {
    const NodeList nodes = Nodes({IntNode("5"), ReaderNode{}, IntNode("6")});
    EXPECT_EQ(Serialized(nodes), ValueStream().integer(5).tag(kNodeBlank).bytes());
}

struct IntegerTextCase {
    std::string text;
    std::int32_t expected;
};

TEST(SerializeNodes, IntegerTextsGoThroughTheNumberReader) {
    const IntegerTextCase cases[] = {
        {"12.5", 12},
        {"13.5", 14},
        {"-2.5", -2},
        {"12,5", 12},
        {"abc", 0},
        {"", 0},
        {" 1 2", 12},
        {"1.5E2", 150},
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483647.4", INT_MAX},
        {"-2147483648.5", INT_MIN},
    };
    for (const IntegerTextCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Serialized(Nodes({IntNode(c.text)})), ValueStream().integer(c.expected).bytes());
        EXPECT_EQ(Serialized(Nodes({ListNode(c.text)})), ValueStream().list(c.expected).bytes());
    }
}

TEST(SerializeNodes, FloatTextsGoToTheNearestFloat) {
    const std::pair<std::string, float> cases[] = {
        {"0.1", 0.1f},
        {"12,5", 12.0f},
        {"-2.5", -2.5f},
        {"1.234568E+07", 12345680.0f},
        {"3.402823E+38", 3.402823e38f},
        {"1.401298E-45", std::numeric_limits<float>::denorm_min()},
        {"", 0.0f},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Serialized(Nodes({FloatNode(text)})), ValueStream().real(expected).bytes());
    }
}

// Non-finite floats read from a file must come back as the same value.
TEST(SerializeNodes, NonFiniteFloatsSurvive) {
    const std::uint32_t patterns[] = {0x7F800000u, 0xFF800000u, 0x7FC00000u, 0xFFC00000u};
    for (std::uint32_t bits : patterns) {
        SCOPED_TRACE(bits);
        const Bytes entry = ValueStream().realBits(bits).bytes();
        EXPECT_EQ(Serialized(Parse(entry).nodes), entry);
    }
    // Any other NaN stays a NaN of the same sign.
    const Bytes signalling = ValueStream().realBits(0x7F800001u).bytes();
    const Bytes written = Serialized(Parse(signalling).nodes);
    ASSERT_EQ(written.size(), 8u);
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(Int32In(written, 4)));
    EXPECT_TRUE(std::isnan(value));
    EXPECT_FALSE(std::signbit(value));
}

TEST(SerializeNodes, RefusesATextThatDoesNotFitItsType) {
    const ReaderNode misfits[] = {
        IntNode("2147483648"), IntNode("-2147483649"), IntNode("2147483647.5"),
        IntNode("1E10"),       ListNode("3000000000"), ListNode("1E400"),
        FloatNode("3.5E+38"),  FloatNode("-1E39"),     FloatNode("1E400"),
    };
    for (const ReaderNode& misfit : misfits) {
        SCOPED_TRACE(misfit.text());
        const NodeList nodes = Nodes({IntNode("1"), StringNode("key"), misfit, IntNode("2")});
        Bytes out;
        const auto failure = SerializeNodes(nodes, out);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->node, 3);
        EXPECT_EQ(failure->text, misfit.text());
    }
}

TEST(ParseMessages, StartUpNamesTheTagThenThePosition) {
    const Messages positive = StartupParseMessages({ParseError::BadTag, 7, 1234});
    ASSERT_EQ(positive.size(), 2u);
    EXPECT_EQ(positive[0], Message{"new type found! 7\nOr error."});
    EXPECT_EQ(positive[1], (Message{"1234", "Fpos"}));

    const Messages negative = StartupParseMessages({ParseError::BadTag, -3, 18});
    ASSERT_EQ(negative.size(), 2u);
    EXPECT_EQ(negative[0], Message{"new type found!-3\nOr error."});
    EXPECT_EQ(negative[1], (Message{"18", "Fpos"}));
}

TEST(ParseMessages, MissionNamesTheTagThenThePosition) {
    const Messages positive = MissionParseMessages({ParseError::BadTag, 7, 22}, "aiv_a.prd");
    ASSERT_EQ(positive.size(), 2u);
    EXPECT_EQ(positive[0], Message{"Corrupted Mission!  7"});
    EXPECT_EQ(positive[1], (Message{"22", "Fpos"}));

    const Messages negative = MissionParseMessages({ParseError::BadTag, -3, 4}, "aiv_a.prd");
    ASSERT_EQ(negative.size(), 2u);
    EXPECT_EQ(negative[0], Message{"Corrupted Mission! -3"});
    EXPECT_EQ(negative[1], (Message{"4", "Fpos"}));

    const Messages zero = MissionParseMessages({ParseError::BadTag, 0, 4}, "aiv_a.prd");
    ASSERT_FALSE(zero.empty());
    EXPECT_EQ(zero[0].text, "Corrupted Mission!  0");
}

TEST(ParseMessages, RefusalsOfOursSayWhatWentWrong) {
    for (ParseError error : {ParseError::NegativeStringLength, ParseError::TooManyNodes}) {
        const Messages startup = StartupParseMessages({error, -4, 16});
        ASSERT_FALSE(startup.empty());
        EXPECT_FALSE(startup[0].text.empty());
        EXPECT_NE(startup[0].text.find("new type found!"), 0u);

        const Messages mission = MissionParseMessages({error, -4, 16}, "aiv_units.prd");
        ASSERT_FALSE(mission.empty());
        EXPECT_NE(mission[0].text.find("aiv_units.prd"), std::string::npos) << mission[0].text;
    }
}

} // namespace
} // namespace kmission
