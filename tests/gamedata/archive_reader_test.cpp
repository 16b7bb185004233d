#include "archive.h"
#include "reader_tree.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>

namespace kmission {
namespace {

using namespace std::string_literals;
using namespace fixtures;
constexpr auto kRange = TrailerError::CountOutOfRange, kZero = TrailerError::AlternateCountZero,
               kBeyond = TrailerError::DirectoryBeyondFile;
constexpr std::int32_t kI = kNodeInteger, kF = kNodeFloat, kL = kNodeList;
constexpr auto kOne = TrailerForms::StandardOnly;
constexpr auto kBoth = TrailerForms::StandardOrAlternate;

// An archive whose records really fill the directory the count claims.
ArchiveBuilder With(int count) {
    ArchiveBuilder archive;
    for (int i = 0; i < count; ++i)
        archive.record(Record("e" + std::to_string(i) + ".prd"));
    return archive;
}

TEST(ReadTrailer, AcceptsOnlyTheFormsCountsAndDirectoriesThatFit) {
    const Bytes tenThousand = With(10000).standard();
    // The file, the forms, then the count and trailer size read, or 0, 0 and the refusal.
    // clang-format off
    const std::tuple<Bytes, TrailerForms, std::int32_t, std::int32_t, TrailerError> cases[] = {
        {With(1).standard(), kOne, 1, 8, {}}, {tenThousand, kOne, 10000, 8, {}},
        {With(3).standardWithCount(3, 5), kBoth, 3, 8, {}}, // the standard form first
        {With(3).standardWithCount(10001, 0), kOne, 0, 0, kRange}, {With(1).standardWithCount(0), kOne, 0, 0, kRange},
        {With(3).alternate(0), kOne, 0, 0, kRange},
        {With(3).alternate(0), kBoth, 3, 12, {}}, {With(2).alternate(10001), kBoth, 2, 12, {}},
        {With(10000).alternate(), kBoth, 10000, 12, {}}, {With(2).alternateWithCount(0), kBoth, 0, 0, kZero},
        {With(3).standardWithCount(10001, 0), kBoth, 0, 0, kZero}, {Bytes{1, 0, 0}, kOne, 0, 0, kBeyond},
        {With(0).standardWithCount(1), kOne, 0, 0, kBeyond},
        {Bytes(tenThousand.begin() + 1, tenThousand.end()), kOne, 0, 0, kBeyond},
        {With(2).alternateWithCount(500), kBoth, 0, 0, kBeyond},
        {With(2).alternateWithCount(-3), kBoth, 0, 0, kBeyond}, {With(10001).alternate(), kBoth, 0, 0, kBeyond}};
    // clang-format on
    for (const auto& [file, forms, count, size, error] : cases) {
        const TrailerResult result = ReadTrailer(file, forms);
        SCOPED_TRACE(testing::Message() << count << " " << static_cast<int>(error));
        EXPECT_EQ(result.trailer ? result.trailer->count : 0, count);
        EXPECT_EQ(result.trailer ? result.trailer->trailerSize : 0, size);
        EXPECT_EQ(result.trailer ? TrailerError{} : result.error, error);
    }
}

// Bytes in front of every entry, so that positions are not counted from 0 by luck.
constexpr std::int64_t kLead = 10;

Bytes AtLead(const Bytes& entry, const Bytes& after = {}) {
    Bytes file(kLead, 0xCC);
    Append(file, entry);
    Append(file, after);
    return file;
}

TEST(ParseEntry, TurnsValuesIntoNodesUntilTheEndTagTheSizeOrTheFileEnds) {
    const ReaderNode i4 = Node(kI, "4"), i5 = Node(kI, "5");
    const Bytes i5i6 = ValueStream().integer(5).integer(6).bytes();
    // The entry, the nodes, the size (-1: the entry's own) and the bytes after it.
    // clang-format off
    const std::tuple<Bytes, NodeList, std::int64_t, Bytes> cases[] = {
        {ValueStream().text("ab\tcd\0"s).text("  db name ").text("\xE9t\xFF").bytes(), // cleaned
         Nodes({{kNodeString, 6, "abcd"}, {kNodeString, 10, "db name"}, Node(kNodeString, "\xE9t\xFF")}), -1, {}},
        {ValueStream().list(3).text("").list(-1).bytes(),
         Nodes({Node(kNodeList, "3"), Node(kNodeString, ""), Node(kNodeList, "-1")}), -1, {}},
        {ValueStream().integer(5).end().integer(2).bytes(), Nodes({i5}), -1, {}},
        // A tag ending exactly at the end is processed, its payload read from beyond.
        {ValueStream().integer(4).tag(kNodeInteger).bytes(), Nodes({i4, i5}), -1, ValueStream().tag(5).integer(6).bytes()},
        {i5i6, Nodes({i5, Node(kI, "6")}), -1, ValueStream().integer(7).bytes()},
        {i5i6, Nodes({i5}), 0, {}}, // the first value is read whatever the size
        {ValueStream().integer(5).bytes(), Nodes({i5}), -1, ValueStream().tag(77).bytes()},
        // The end of the file ends the entry after the current value; missing bytes are zero.
        {ValueStream().integer(4).tag(1).raw({5, 0}).bytes(), Nodes({i4, i5}), 1000, {}},
        {ValueStream().integer(5).raw({1, 0}).bytes(), Nodes({i5}), 1000, {}},
        {ValueStream().textWithLength(100, "abc").bytes(), Nodes({{kNodeString, 100, "abc"}}), 1000, {}}};
    // clang-format on
    for (const auto& [entry, expected, size, after] : cases) {
        SCOPED_TRACE(testing::PrintToString(entry));
        NodeList nodes = Nodes({Node(kI, "old")});
        const auto length = size < 0 ? std::ssize(entry) : size;
        EXPECT_FALSE(ParseEntry(AtLead(entry, after), kLead, length, nodes).has_value());
        EXPECT_EQ(nodes, expected);
    }
}

// Equal nodes have the same type, length and text, however each was built:
// texts of every inline size to the last byte, a text shortened in place,
// texts held in a block, a type no file has.
TEST(ReaderNode, EqualWhenTypeLengthAndTextAre) {
    ReaderNode shortened = Node(kNodeFloat, "12345.6789");
    shortened.setText("1.5");
    const ReaderNode longText(kNodeString, 20, std::string(20, 'x'));
    const struct {
        ReaderNode a, b;
        bool equal;
    } cases[] = {
        {Node(kNodeString, "abcdefghijklmno"), Node(kNodeString, "abcdefghijklmno"), true},
        {Node(kNodeString, "abcdefghijklmno"), Node(kNodeString, "abcdefghijklmnx"), false},
        {Node(kNodeString, "abc"), Node(kNodeString, "abx"), false},
        {Node(kNodeString, "ab"), Node(kNodeString, "abc"), false},
        {shortened, Node(kNodeFloat, "1.5"), true},
        {Node(kNodeString, "1"), Node(kNodeFloat, "1"), false},
        {Node(kNodeString, "abc"), ReaderNode(kNodeString, 5, "abc"), false},
        {longText, ReaderNode(kNodeString, 20, std::string(20, 'x')), true},
        {longText, ReaderNode(kNodeString, 20, std::string(19, 'x') + "y"), false},
        {ReaderNode(16, -1, "7"), ReaderNode(kNodeBlank, 0, "7"), false}, // no type is lost
    };
    for (const auto& [a, b, equal] : cases) {
        EXPECT_EQ(a == b, equal) << a.text() << " / " << b.text();
    }
}

TEST(ParseEntry, KeepsToTheNodeLimitAndYieldsEvery1024Values) {
    // clang-format off
    for (const auto& [values, limit, refused, yields] :
         {std::tuple{3, 3, false, 1}, {4, 3, true, 1}, {2047, 5000, false, 2}, {2048, 5000, false, 3}}) {
        // clang-format on
        ValueStream stream;
        for (int i = 0; i < values; ++i)
            stream.integer(i);
        int yielded = 0;
        NodeList nodes;
        const auto failure = ParseEntry(stream.bytes(), 0, std::ssize(stream.bytes()), nodes,
                                        ParseOptions{limit, [&yielded] { ++yielded; }});
        EXPECT_EQ(failure.has_value(), refused) << values;
        EXPECT_EQ(failure ? static_cast<int>(failure->error) : yielded,
                  refused ? static_cast<int>(ParseError::TooManyNodes) : yields);
    }
    // The messages of a refusal are pinned end to end by the bad-input matrix but this one.
    const ParseFailure tooMany{ParseError::TooManyNodes, 1, 40};
    EXPECT_EQ(StartupParseMessages(tooMany), (Messages{Message{"Bad File"}, {"40", "Fpos"}}));
    const NodeList nodes = Nodes({Node(kNodeString, "one"), Node(kI, "2")});
    for (const auto& [k, text] :
         {std::pair{std::int64_t{1}, "one"}, {2, "2"}, {0, ""}, {3, ""}, {-1, ""}})
        EXPECT_EQ(NodeText(nodes, k), text) << k;
}

// The value stream of `nodes`, made part by part as a save makes it, in room
// that held other bytes; or the refusal.
std::pair<Bytes, std::optional<SerializeFailure>> Serialized(const NodeList& nodes) {
    Bytes stream;
    Bytes room = BytesOf("old bytes");
    for (std::size_t next = 1; next < nodes.size();) {
        const SerializedPart part = SerializeNodes(nodes, next, room);
        if (part.failure) {
            return {Bytes{}, part.failure};
        }
        stream.insert(stream.end(), room.begin(),
                      room.begin() + static_cast<std::ptrdiff_t>(part.size));
        next = part.next;
    }
    return {stream, std::nullopt};
}

// The bytes of a typed text: integers and lists round half to even, nothing
// but the non-finite texts of FloatText is special, and what does not fit its
// type is refused.
TEST(SerializeNodes, TypedTextsGoThroughTheNumberReaderOrAreRefused) {
    const auto integer = [](std::int32_t value) { return ValueStream().integer(value).bytes(); };
    const auto real = [](float value) { return ValueStream().real(value).bytes(); };
    const auto bits = [](std::uint32_t value) { return ValueStream().realBits(value).bytes(); };
    // clang-format off
    const std::tuple<std::int32_t, std::string, Bytes> cases[] = {
        {kI, "12.5", integer(12)}, {kI, "13.5", integer(14)}, {kI, "-2.5", integer(-2)},
        {kI, "12,5", integer(12)}, {kI, "", integer(0)}, {kI, "-", integer(0)},
        {kI, "999999999", integer(999999999)}, {kI, "1234567890", integer(1234567890)},
        {kI, "2147483647.4", integer(INT_MAX)}, {kI, "-2147483648.5", integer(INT_MIN)},
        {kL, "-2147483648", ValueStream().list(INT_MIN).bytes()}, {kL, "2147483647.5", {}},
        {kI, "2147483648", {}}, {kI, "-2147483649", {}}, {kI, "1E400", {}},
        {kF, "0.1", real(0.1f)}, {kF, "12,5", real(12)}, {kF, "", real(0)},
        {kF, "inf", real(0)}, {kF, "NAN ", real(0)}, {kF, "1E-50", real(0)},
        {kF, "3.402823E+38", real(3.402823e38f)}, {kF, "1.401298E-45", real(std::bit_cast<float>(1u))},
        {kF, "INF", bits(0x7F800000u)}, {kF, "-INF", bits(0xFF800000u)},
        {kF, "NAN", bits(0x7FC00000u)}, {kF, "-NAN", bits(0xFFC00000u)}, {kF, "-0", bits(0x80000000u)},
        {kF, "3.5E+38", {}}, {kF, "-1E400", {}}, {7, "1", {}}};
    // clang-format on
    for (const auto& [type, text, bytes] : cases) {
        SCOPED_TRACE(text);
        const auto [out, failure] = Serialized(Nodes({Node(kNodeString, "k"), Node(type, text)}));
        EXPECT_EQ(failure ? failure->node : 0, bytes.empty() ? 2 : 0);
        EXPECT_EQ(failure ? failure->text : "", bytes.empty() ? text : "");
        EXPECT_EQ(out, bytes.empty() ? out : ValueStream().text("k").raw(bytes).bytes());
    }
    // A text typed later keeps its spaces and controls; a blank node ends the stream.
    EXPECT_EQ(Serialized(Nodes({{kNodeString, 3, " a\tb "}, {}, Node(kI, "6")})).first,
              ValueStream().text(" a\tb ").end().bytes());
}

} // namespace
} // namespace kmission
