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
using enum TrailerError;
constexpr auto kStandard = TrailerForms::StandardOnly;
constexpr auto kEither = TrailerForms::StandardOrAlternate;

// An archive whose records really fill the directory the count claims.
ArchiveBuilder WithRecords(int count) {
    ArchiveBuilder archive;
    for (int i = 0; i < count; ++i)
        archive.record(Record("e" + std::to_string(i) + ".prd"));
    return archive;
}

struct TrailerCase {
    Bytes file;
    TrailerForms forms;
    std::int32_t count; // 0: refused with `error`
    std::int32_t size;
    TrailerError error;
};

TEST(ReadTrailer, AcceptsOnlyTheFormsCountsAndDirectoriesThatFit) {
    const Bytes tenThousand = WithRecords(10000).standard();
    // clang-format off
    const TrailerCase cases[] = {
        {WithRecords(1).standard(), kStandard, 1, 8, {}}, {tenThousand, kStandard, 10000, 8, {}},
        {WithRecords(3).standardWithCount(3, 5), kEither, 3, 8, {}}, // the standard form first
        {WithRecords(3).standardWithCount(10001, 0), kStandard, 0, 0, CountOutOfRange},
        {WithRecords(1).standardWithCount(0), kStandard, 0, 0, CountOutOfRange},
        {WithRecords(1).standardWithCount(-1), kStandard, 0, 0, CountOutOfRange},
        {WithRecords(1).standardWithCount(INT_MIN), kStandard, 0, 0, CountOutOfRange},
        {WithRecords(3).alternate(0), kStandard, 0, 0, CountOutOfRange},
        {WithRecords(3).alternate(0), kEither, 3, 12, {}},
        {WithRecords(2).alternate(10001), kEither, 2, 12, {}},
        {WithRecords(2).alternate(-7), kEither, 2, 12, {}},
        {WithRecords(10000).alternate(), kEither, 10000, 12, {}},
        {WithRecords(2).alternateWithCount(0), kEither, 0, 0, AlternateCountZero},
        {WithRecords(3).standardWithCount(10001, 0), kEither, 0, 0, AlternateCountZero},
        {Bytes{}, kEither, 0, 0, AlternateCountZero},
        {Bytes{1, 0, 0}, kStandard, 0, 0, DirectoryBeyondFile},
        {WithRecords(0).standardWithCount(1), kStandard, 0, 0, DirectoryBeyondFile},
        {Bytes(tenThousand.begin() + 1, tenThousand.end()), kStandard, 0, 0, DirectoryBeyondFile},
        {WithRecords(2).standardWithCount(10000), kStandard, 0, 0, DirectoryBeyondFile},
        {WithRecords(2).alternateWithCount(500), kEither, 0, 0, DirectoryBeyondFile},
        {WithRecords(2).alternateWithCount(-3), kEither, 0, 0, DirectoryBeyondFile},
        {WithRecords(10001).alternate(), kEither, 0, 0, DirectoryBeyondFile}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const TrailerResult result = ReadTrailer(cases[i].file, cases[i].forms);
        EXPECT_EQ(result.trailer ? result.trailer->count : 0, cases[i].count) << i;
        EXPECT_EQ(result.trailer ? result.trailer->trailerSize : 0, cases[i].size) << i;
        if (!result.trailer) {
            EXPECT_EQ(result.error, cases[i].error) << i;
        }
    }
}

// Records with every byte value in the fixed-width fields, read back from both forms.
TEST(ReadDirectory, ReadsEveryFieldOfEveryRecord) {
    ArchiveBuilder archive;
    ArchiveEntry odd = Record(std::string(64, 'n'), 0, 4);
    odd.auxText = "\0\x01\x7F\x80\xFF"s + std::string(59, '\xAA');
    archive.data(BytesOf("abcd"));
    archive.record(odd).record(Record("maps.prd", 2, 2, ' ')).record(Record("\xE9.prd", -5, 9));
    for (const Bytes& file : {archive.standard(77), archive.alternate(0, -1)}) {
        const TrailerResult trailer = ReadTrailer(file, kEither);
        ASSERT_TRUE(trailer.trailer.has_value());
        EXPECT_EQ(ReadDirectory(file, *trailer.trailer), archive.records());
    }
}

// The entries are packed from offset 0 in directory order; an empty entry takes
// the position of the next; names and auxiliary fields go out byte for byte.
TEST(WriteArchive, PacksEntriesAndKeepsEveryOtherField) {
    ArchiveEntry odd = Record(std::string(64, '\xFE'), 9, 9);
    odd.auxText = "\0\0\x01 x\xFF"s + std::string(58, ' ');
    odd.aux1 = INT_MIN;
    odd.aux2 = 32767;
    ArchiveEntry bare; // short fields are padded with NULs
    bare.name = "bare.prd";
    bare.auxText = "x";
    std::vector<ArchiveEntry> directory = {odd, Record("b.prd", 4, 5),
                                           Record("empty.prd", 500, 77, ' '), bare,
                                           Record("tail.prd", 3, 3)};
    const Bytes file =
        WriteArchive(directory, {BytesOf("AAA"), BytesOf("BBBBB"), BytesOf(""), BytesOf("CC")});

    ArchiveBuilder expected;
    expected.entry("", BytesOf("AAA")).entry("b.prd", BytesOf("BBBBB"));
    expected.entry("empty.prd", {}, ' ').entry("", BytesOf("CC")).entry("tail.prd", {});
    std::vector<ArchiveEntry>& records = expected.records();
    records[0] = {0, 3, odd.name, odd.aux1, odd.auxText, odd.aux2, odd.aux3, odd.aux4, odd.aux5};
    records[3] = {8, 2, fixtures::Padded("bare.prd"), 0, fixtures::Padded("x"), 0, 0, 0, 0};
    EXPECT_EQ(file, expected.standard());
    for (std::size_t i = 0; i < directory.size(); ++i) {
        EXPECT_EQ(directory[i].offset, records[i].offset) << i;
        EXPECT_EQ(directory[i].size, records[i].size) << i;
    }
    std::vector<ArchiveEntry> none;
    EXPECT_EQ(WriteArchive(none, {}), ArchiveBuilder().standard());
}

// Texts of every size around the inline limit and lengths usual or not for
// the type survive copies, moves and new texts (also part of their own).
TEST(ReaderNode, HoldsTypeLengthAndTextThroughCopiesMovesAndNewTexts) {
    // clang-format off
    const ReaderNode cases[] = {
        {kNodeBlank, 0, ""}, {kNodeInteger, -1, "-2147483648"}, {kNodeFloat, -1, "-1.234568E+38"},
        {kNodeString, 11, "db_name_abc"}, {kNodeString, 12, "db_name_abcd"},
        {kNodeString, 6, "abcd"},
        {kNodeString, 4, "\xE9\0\xFF!"s}, {kNodeInteger, 7, "12"}, {kNodeBlank, 0, "x"},
        {1000, -5, std::string(300, 'o')}};
    // clang-format on
    for (const ReaderNode& node : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(node.text())));
        ReaderNode copy = node, moved = std::move(copy), assigned(kNodeString, 40, "y");
        assigned = moved;
        EXPECT_EQ(assigned, node);
        for (const std::string& text : {""s, "12345678901"s, "123456789012"s}) {
            assigned.setText(text);
            EXPECT_EQ(assigned, ReaderNode(node.type(), node.length(), text));
        }
        const std::size_t cut = std::min<std::size_t>(1, node.text().size());
        moved.setText(moved.text().substr(cut));
        EXPECT_EQ(moved.text(), node.text().substr(cut));
        EXPECT_EQ(moved.length(), node.length());
    }
    const ReaderNode node(kNodeString, 3, "abc");
    EXPECT_NE(node, ReaderNode(kNodeInteger, 3, "abc"));
    EXPECT_NE(node, ReaderNode(kNodeString, 4, "abc"));
    EXPECT_NE(node, ReaderNode(kNodeString, 3, "abd"));
}

// Bytes in front of every entry, so that positions are not counted from 0 by luck.
constexpr std::int64_t kLead = 10;

struct ParseCase {
    Bytes entry;
    NodeList expected;
    std::int64_t size = -1; // -1: the entry's own size
    Bytes after = {};       // bytes that follow the entry in the file
};

TEST(ParseEntry, TurnsValuesIntoNodesUntilTheEndTagTheSizeOrTheFileEnds) {
    const ReaderNode i4 = Node(kNodeInteger, "4"), i5 = Node(kNodeInteger, "5");
    const Bytes i5i6 = ValueStream().integer(5).integer(6).bytes();
    // clang-format off
    const ParseCase cases[] = {
        {ValueStream().integer(-5).integer(INT_MIN).integer(INT_MAX).bytes(),
         Nodes({Node(kNodeInteger, "-5"), Node(kNodeInteger, "-2147483648"),
                Node(kNodeInteger, "2147483647")})},
        {ValueStream().real(0.1f).real(-2.5f).real(12345678.0f).real(-0.0f).bytes(),
         Nodes({Node(kNodeFloat, "0.1"), Node(kNodeFloat, "-2.5"), Node(kNodeFloat, "1.234568E+07"),
                Node(kNodeFloat, "-0")})},
        {ValueStream().text("ab\tcd\0"s).text("  db name ").text("\xE9t\xFF").bytes(), // cleaned
         Nodes({{kNodeString, 6, "abcd"}, {kNodeString, 10, "db name"},
                Node(kNodeString, "\xE9t\xFF")})},
        {ValueStream().list(3).text("").list(-1).bytes(),
         Nodes({Node(kNodeList, "3"), Node(kNodeString, ""), Node(kNodeList, "-1")})},
        {ValueStream().end().bytes(), Nodes({})},
        {ValueStream().integer(5).end().integer(2).bytes(), Nodes({i5})},
        // A tag ending exactly at the end is processed, its payload read from beyond.
        {ValueStream().integer(4).tag(kNodeInteger).bytes(), Nodes({i4, i5}), -1,
         ValueStream().tag(5).integer(6).bytes()},
        {i5i6, Nodes({i5, Node(kNodeInteger, "6")}), -1, ValueStream().integer(7).bytes()},
        {ValueStream().integer(5).text("x").end().bytes(), Nodes({i5, Node(kNodeString, "x")}), 17,
         i5i6},
        {i5i6, Nodes({i5}), 0}, // the first value is read whatever the size
        {ValueStream().integer(5).bytes(), Nodes({i5}), -1, ValueStream().tag(77).bytes()},
        // The end of the file ends the entry after the current value; missing bytes are zero.
        {ValueStream().integer(4).tag(1).raw({5, 0}).bytes(), Nodes({i4, i5}), 1000},
        {ValueStream().integer(5).raw({1, 0}).bytes(), Nodes({i5}), 1000},
        {ValueStream().textWithLength(100, "abc").bytes(), Nodes({{kNodeString, 100, "abc"}}),
         1000}};
    // clang-format on
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.entry));
        Bytes file(kLead, 0xCC);
        fixtures::Append(file, c.entry);
        fixtures::Append(file, c.after);
        NodeList nodes = Nodes({Node(kNodeInteger, "old")});
        const auto size = c.size < 0 ? static_cast<std::int64_t>(c.entry.size()) : c.size;
        EXPECT_FALSE(ParseEntry(file, kLead, size, nodes).has_value());
        EXPECT_EQ(nodes, c.expected);
    }
}

TEST(ParseEntry, EntriesAtTheFileEdgesAndOutsideIt) {
    const Bytes file = ValueStream().integer(1).integer(2).bytes();
    const std::pair<std::int64_t, NodeList> cases[] = {
        {0, Nodes({Node(kNodeInteger, "1"), Node(kNodeInteger, "2")})},
        {8, Nodes({Node(kNodeInteger, "2")})},
        {16, Nodes({})},
        {500, Nodes({})},
        {-50, Nodes({})}};
    for (const auto& [offset, expected] : cases) {
        NodeList nodes{ReaderNode{}};
        EXPECT_FALSE(ParseEntry(file, offset, 16, nodes).has_value()) << offset;
        EXPECT_EQ(nodes, expected) << offset;
    }
}

struct FailureCase {
    Bytes entry;
    ParseError error;
    std::int32_t tag;
    std::int64_t position; // relative to the entry's offset
    std::string startup, mission;
};

TEST(ParseEntry, FailureNamesTheTagAndThePositionAfterIt) {
    const std::string negative = "holds a string of negative length -";
    // clang-format off
    const FailureCase cases[] = {
        {ValueStream().tag(7).bytes(), ParseError::BadTag, 7, 4, "new type found! 7\nOr error.",
         "Corrupted Mission!  7"},
        {ValueStream().tag(INT_MIN).bytes(), ParseError::BadTag, INT_MIN, 4,
         "new type found!-2147483648\nOr error.", "Corrupted Mission! -2147483648"},
        {ValueStream().text("ab").tag(-3).bytes(), ParseError::BadTag, -3, 14,
         "new type found!-3\nOr error.", "Corrupted Mission! -3"},
        {ValueStream().list(2).integer(1).tag(5).bytes(), ParseError::BadTag, 5, 20,
         "new type found! 5\nOr error.", "Corrupted Mission!  5"},
        {ValueStream().integer(3).textWithLength(-4, "abcd").bytes(),
            ParseError::NegativeStringLength,
         -4, 16, "Bad File: \"maps.prd\" " + negative + "4.",
             "Corrupted Mission! The entry \"aiv.prd\" " + negative + "4."},
        {ValueStream().textWithLength(-1, "").bytes(), ParseError::NegativeStringLength, -1, 8,
         "Bad File: \"maps.prd\" " + negative + "1.",
             "Corrupted Mission! The entry \"aiv.prd\" " + negative + "1."}};
    // clang-format on
    for (const FailureCase& c : cases) {
        SCOPED_TRACE(c.mission);
        Bytes file(kLead, 0xCC);
        fixtures::Append(file, c.entry);
        NodeList nodes{ReaderNode{}};
        const auto failure = ParseEntry(file, kLead, 1000, nodes);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->error, c.error);
        EXPECT_EQ(failure->tag, c.tag);
        EXPECT_EQ(failure->filePosition, kLead + c.position);
        const Message fpos{std::to_string(kLead + c.position), "Fpos"};
        EXPECT_EQ(StartupParseMessages(*failure), (Messages{Message{c.startup}, fpos}));
        EXPECT_EQ(MissionParseMessages(*failure, "aiv.prd"), (Messages{Message{c.mission}, fpos}));
    }
    const ParseFailure tooMany{ParseError::TooManyNodes, 1, 40};
    EXPECT_EQ(StartupParseMessages(tooMany), (Messages{Message{"Bad File"}, {"40", "Fpos"}}));
    EXPECT_EQ(MissionParseMessages(tooMany, "big.prd")[0].text,
              "Corrupted Mission! The entry \"big.prd\" holds more values than the editor can "
              "keep (32767).");
}

TEST(ParseEntry, KeepsToTheNodeLimitAndYieldsEvery1024Values) {
    for (const auto& [values, limit, refused, yields] : {std::tuple{3, 3, false, 1},
                                                         {4, 3, true, 1},
                                                         {2047, 5000, false, 2},
                                                         {2048, 5000, false, 3}}) {
        ValueStream stream;
        for (int i = 0; i < values; ++i)
            stream.integer(i);
        int yielded = 0;
        ParseOptions options{limit, [&yielded] { ++yielded; }};
        NodeList nodes{ReaderNode{}};
        const auto failure =
            ParseEntry(stream.bytes(), 0, std::ssize(stream.bytes()), nodes, options);
        EXPECT_EQ(failure.has_value(), refused) << values;
        if (failure)
            EXPECT_EQ(failure->error, ParseError::TooManyNodes);
        else
            EXPECT_EQ(yielded, yields) << values;
    }
    const NodeList nodes = Nodes({Node(kNodeString, "one"), Node(kNodeInteger, "2")});
    for (const auto& [k, text] :
         {std::pair{std::int64_t{1}, "one"}, {2, "2"}, {0, ""}, {3, ""}, {-1, ""}, {1000000, ""}})
        EXPECT_EQ(NodeText(nodes, k), text) << k;
}

Bytes Serialized(const NodeList& nodes) {
    Bytes out = BytesOf("pre");
    const auto failure = SerializeNodes(nodes, out);
    EXPECT_FALSE(failure.has_value()) << (failure ? failure->text : "");
    EXPECT_EQ(std::string(out.begin(), out.begin() + 3), "pre");
    return Bytes(out.begin() + 3, out.end());
}

// Every value written as this program writes it, non-finite floats and minus
// zero included, parses and serialises back to the same bytes.
TEST(SerializeNodes, CanonicalStreamsComeBackByteForByte) {
    ValueStream stream;
    stream.list(3).text("Desert \xE9t\xE9").integer(-5).integer(INT_MIN).integer(123456789);
    stream.real(0.1f).real(12345680.0f).real(1e-7f).realBits(0x80000000u).realBits(0x7F800000u);
    const Bytes canonical =
        stream.realBits(0xFF800000u).realBits(0x7FC00000u).realBits(0xFFC00000u).text("").bytes();
    NodeList nodes;
    ASSERT_FALSE(ParseEntry(canonical, 0, std::ssize(canonical), nodes).has_value());
    EXPECT_EQ(Serialized(nodes), canonical);
    // Any other NaN stays a NaN of the same sign.
    const Bytes signalling = ValueStream().realBits(0x7F800001u).bytes();
    ASSERT_FALSE(ParseEntry(signalling, 0, 8, nodes).has_value());
    const Bytes written = Serialized(nodes);
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(Int32At(written, 4)));
    EXPECT_TRUE(std::isnan(value) && !std::signbit(value));
}

TEST(SerializeNodes, TypedTextsGoThroughTheNumberReader) {
    // clang-format off
    const std::pair<std::string, std::int32_t> integers[] = {
        {"12.5", 12}, {"13.5", 14}, {"-2.5", -2}, {"12,5", 12}, {"abc", 0}, {"", 0}, {"-", 0},
        {" 1 2", 12},
        {"1.5E2", 150}, {"12a", 12}, {"999999999", 999999999}, {"1234567890", 1234567890},
        {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}, {"2147483647.4", INT_MAX},
        {"-2147483648.5", INT_MIN}};
    // clang-format on
    for (const auto& [text, expected] : integers) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Serialized(Nodes({Node(kNodeInteger, text)})),
                  ValueStream().integer(expected).bytes());
        EXPECT_EQ(Serialized(Nodes({Node(kNodeList, text)})), ValueStream().list(expected).bytes());
    }
    // clang-format off
    const std::pair<std::string, float> floats[] = {
        {"0.1", 0.1f}, {"12,5", 12.0f}, {"", 0.0f}, {"1.234568E+07", 12345680.0f}, {"inf", 0.0f},
        {"3.402823E+38", 3.402823e38f}, {"1.401298E-45", std::bit_cast<float>(1u)}, {"NAN ", 0.0f},
        {"1E-50", 0.0f}};
    // clang-format on
    for (const auto& [text, expected] : floats) {
        SCOPED_TRACE(text);
        EXPECT_EQ(Serialized(Nodes({Node(kNodeFloat, text)})),
                  ValueStream().real(expected).bytes());
    }
    // A text typed later keeps its spaces and controls; a blank node ends the stream.
    EXPECT_EQ(Serialized(Nodes({{kNodeString, 3, " a\tb "}, {}, Node(kNodeInteger, "6")})),
              ValueStream().text(" a\tb ").end().bytes());
}

TEST(SerializeNodes, RefusesATextThatDoesNotFitItsType) {
    const ReaderNode misfits[] = {
        Node(kNodeInteger, "2147483648"),   Node(kNodeInteger, "-2147483649"),
        Node(kNodeInteger, "2147483647.5"), Node(kNodeInteger, "1E10"),
        Node(kNodeList, "3000000000"),      Node(kNodeList, "1E400"),
        Node(kNodeFloat, "3.5E+38"),        Node(kNodeFloat, "-1E39"),
        Node(kNodeFloat, "1E400"),          Node(7, "1")};
    for (const ReaderNode& misfit : misfits) {
        SCOPED_TRACE(misfit.text());
        Bytes out;
        const auto failure =
            SerializeNodes(Nodes({Node(kNodeInteger, "1"), Node(kNodeString, "key"), misfit}), out);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->node, 3);
        EXPECT_EQ(failure->text, misfit.text());
    }
}

} // namespace
} // namespace kmission
