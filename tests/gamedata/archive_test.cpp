#include "archive.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace kmission {
namespace {

using namespace std::string_literals;
using fixtures::AppendInt32;
using fixtures::ArchiveBuilder;
using fixtures::BytesOf;
using fixtures::Int32In;
using fixtures::Record;

// An archive whose records really fill the directory the count claims.
ArchiveBuilder WithRecords(int count) {
    ArchiveBuilder archive;
    for (int i = 0; i < count; ++i)
        archive.record(Record("e" + std::to_string(i) + ".prd"));
    return archive;
}

// Standard-form bytes whose last int32 is `count` and whose int32 at L - 8 is
// `before`, with `records` directory records in front.
Bytes trailer_ending_in(std::int32_t count, std::int32_t before, int records = 3) {
    return WithRecords(records).standardWithCount(count, before);
}

struct TrailerCase {
    const char* label;
    Bytes file;
    TrailerForms forms;
    std::optional<Trailer> expected;
};

TEST(ReadTrailer, AcceptsOnlyTheFormsAndCountsAllowed) {
    const TrailerCase cases[] = {
        {"standard, one record", WithRecords(1).standard(), TrailerForms::StandardOnly,
         Trailer{1, 8}},
        {"standard, 10000 records", WithRecords(10000).standard(), TrailerForms::StandardOnly,
         Trailer{10000, 8}},
        {"standard preferred where both fit", trailer_ending_in(3, 5),
         TrailerForms::StandardOrAlternate, Trailer{3, 8}},
        {"10001 is no standard count", trailer_ending_in(10001, 0, 3), TrailerForms::StandardOnly,
         std::nullopt},
        {"0 is no standard count", trailer_ending_in(0, 1, 1), TrailerForms::StandardOnly,
         std::nullopt},
        {"negative is no standard count", trailer_ending_in(-1, 1, 1), TrailerForms::StandardOnly,
         std::nullopt},
        {"most negative count", trailer_ending_in(INT_MIN, 1, 1), TrailerForms::StandardOnly,
         std::nullopt},
        {"alternate form refused for missions", WithRecords(3).alternate(0),
         TrailerForms::StandardOnly, std::nullopt},
        {"alternate form after 0", WithRecords(3).alternate(0), TrailerForms::StandardOrAlternate,
         Trailer{3, 12}},
        {"alternate form after 10001", WithRecords(2).alternate(10001),
         TrailerForms::StandardOrAlternate, Trailer{2, 12}},
        {"alternate form after a negative", WithRecords(2).alternate(-7),
         TrailerForms::StandardOrAlternate, Trailer{2, 12}},
        {"alternate count 0", WithRecords(2).alternateWithCount(0, 0),
         TrailerForms::StandardOrAlternate, std::nullopt},
        {"empty file", Bytes{}, TrailerForms::StandardOrAlternate, std::nullopt},
        {"three bytes", Bytes{1, 0, 0}, TrailerForms::StandardOnly, std::nullopt},
    };
    for (const TrailerCase& c : cases) {
        SCOPED_TRACE(c.label);
        const TrailerResult result = ReadTrailer(c.file, c.forms);
        ASSERT_EQ(result.trailer.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(result.trailer->count, c.expected->count);
            EXPECT_EQ(result.trailer->trailerSize, c.expected->trailerSize);
        }
    }
}

TEST(ReadTrailer, NamesWhyItRefused) {
    EXPECT_EQ(ReadTrailer(trailer_ending_in(10001, 0), TrailerForms::StandardOnly).error,
              TrailerError::CountOutOfRange);
    EXPECT_EQ(ReadTrailer(trailer_ending_in(0, 3), TrailerForms::StandardOnly).error,
              TrailerError::CountOutOfRange);
    EXPECT_EQ(
        ReadTrailer(WithRecords(2).alternateWithCount(0, 0), TrailerForms::StandardOrAlternate)
            .error,
        TrailerError::AlternateCountZero);
    EXPECT_EQ(ReadTrailer(trailer_ending_in(10001, 0), TrailerForms::StandardOrAlternate).error,
              TrailerError::AlternateCountZero);
}

// A count whose directory would need more bytes than there are.
TEST(ReadTrailer, RefusesADirectoryLargerThanTheFile) {
    Bytes only_trailer;
    AppendInt32(only_trailer, 1);
    AppendInt32(only_trailer, 1);
    EXPECT_EQ(ReadTrailer(only_trailer, TrailerForms::StandardOnly).error,
              TrailerError::DirectoryBeyondFile);

    Bytes one_byte_short = WithRecords(1).standard();
    one_byte_short.erase(one_byte_short.begin());
    EXPECT_FALSE(ReadTrailer(one_byte_short, TrailerForms::StandardOnly).trailer.has_value());

    EXPECT_EQ(ReadTrailer(trailer_ending_in(10000, 1, 2), TrailerForms::StandardOnly).error,
              TrailerError::DirectoryBeyondFile);

    const Bytes alternate_too_many = WithRecords(2).alternateWithCount(500, 0);
    EXPECT_FALSE(
        ReadTrailer(alternate_too_many, TrailerForms::StandardOrAlternate).trailer.has_value());
    const Bytes alternate_negative = WithRecords(2).alternateWithCount(-3, 0);
    EXPECT_FALSE(
        ReadTrailer(alternate_negative, TrailerForms::StandardOrAlternate).trailer.has_value());
}

TEST(ReadDirectory, ReadsEveryFieldOfEveryRecord) {
    ArchiveBuilder archive;
    ArchiveEntry exact = Record(std::string(64, 'n'), 0, 4);
    exact.auxText = std::string("\0\x01\x7F\x80\xFF"s) + std::string(59, '\xAA');
    archive.data(BytesOf("abcd"));
    archive.record(exact)
        .record(Record("maps.prd", 2, 2, ' '))
        .record(Record("\xE9t\xE9.prd", -5, INT_MAX));
    const Bytes file = archive.standard(77);

    const TrailerResult trailer = ReadTrailer(file, TrailerForms::StandardOnly);
    ASSERT_TRUE(trailer.trailer.has_value());
    EXPECT_EQ(ReadDirectory(file, *trailer.trailer), archive.records());
}

// The 12-byte trailer: the records end at L - 12, and the four bytes before the
// count belong to neither the directory nor the count.
TEST(ReadDirectory, AlternateDirectoryEndsTwelveBytesBeforeTheEnd) {
    ArchiveBuilder archive;
    archive.entry("first.prd", BytesOf("12345678"))
        .entry("maps.prd", BytesOf("abc"))
        .entry("last.prd", BytesOf("z"));
    const Bytes file = archive.alternate(0, -1);
    ASSERT_EQ(Int32In(file, file.size() - 4), 0);
    ASSERT_EQ(Int32In(file, file.size() - 8), 3);

    const TrailerResult trailer = ReadTrailer(file, TrailerForms::StandardOrAlternate);
    ASSERT_TRUE(trailer.trailer.has_value());
    EXPECT_EQ(ReadDirectory(file, *trailer.trailer), archive.records());
}

TEST(FindEntry, ComparesCleanedNamesAndTakesTheLastMatch) {
    const std::vector<ArchiveEntry> directory = {
        Record("maps.prd", 1),         Record("MAPS.PRD", 2),     Record("other.prd", 3),
        Record("maps.prd", 4, 0, ' '), Record("\tmaps.prd\r", 5), Record("maps.prd2", 6),
    };
    EXPECT_EQ(FindEntry(directory, "maps.prd"), 4);
    EXPECT_EQ(FindEntry(directory, "MAPS.PRD"), 1);
    EXPECT_EQ(FindEntry(directory, "other.prd"), 2);
    EXPECT_EQ(FindEntry(directory, "maps"), -1);
    EXPECT_EQ(FindEntry({}, "maps.prd"), -1);
}

// Reads back the archive the writer made, by hand.
struct WrittenArchive {
    std::vector<ArchiveEntry> records;
    std::int32_t first = 0;
    std::int32_t count = 0;
};

WrittenArchive Decode(const Bytes& file) {
    return {fixtures::DirectoryIn(file), Int32In(file, file.size() - 8),
            Int32In(file, file.size() - 4)};
}

TEST(WriteArchive, PacksEntriesInDirectoryOrderFromOffsetZero) {
    // As read: the second entry lies first in the file and there are gaps.
    std::vector<ArchiveEntry> directory = {Record("a.prd", 40, 3), Record("b.prd", 4, 5),
                                           Record("c.prd", 100, 2)};
    const std::vector<Bytes> entryBytes = {BytesOf("AAA"), BytesOf("BBBBB"), BytesOf("CC")};
    const std::vector<ArchiveEntry> before = directory;

    const Bytes file = WriteArchive(directory, entryBytes);

    EXPECT_EQ(file.size(), 10u + 3 * 148 + 8);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 10), "AAABBBBBCC");
    const WrittenArchive written = Decode(file);
    EXPECT_EQ(written.first, 1);
    EXPECT_EQ(written.count, 3);
    ASSERT_EQ(written.records.size(), 3u);
    const std::int32_t offsets[] = {0, 3, 8};
    const std::int32_t sizes[] = {3, 5, 2};
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        ArchiveEntry expected = before[i];
        expected.offset = offsets[i];
        expected.size = sizes[i];
        EXPECT_EQ(written.records[i], expected);
        EXPECT_EQ(directory[i], expected);
    }
}

TEST(WriteArchive, WritesNamesAndAuxiliaryFieldsByteForByte) {
    ArchiveEntry odd = Record(std::string(64, '\xFE'), 9, 9);
    odd.auxText = std::string("\0\0\x01 x\xFF"s) + std::string(58, ' ');
    odd.aux1 = INT_MIN;
    odd.aux2 = 32767;
    std::vector<ArchiveEntry> directory = {odd, Record("  spaced.prd", 0, 0, ' '),
                                           Record("\xE9t\xE9.prd\t", 0, 0)};
    const std::vector<ArchiveEntry> before = directory;
    const Bytes file = WriteArchive(directory, {BytesOf("x"), BytesOf("yy"), BytesOf("")});
    const WrittenArchive written = Decode(file);
    ASSERT_EQ(written.records.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(written.records[i].name, before[i].name);
        EXPECT_EQ(written.records[i].auxText, before[i].auxText);
        EXPECT_EQ(written.records[i].aux1, before[i].aux1);
        EXPECT_EQ(written.records[i].aux2, before[i].aux2);
        EXPECT_EQ(written.records[i].aux3, before[i].aux3);
        EXPECT_EQ(written.records[i].aux4, before[i].aux4);
        EXPECT_EQ(written.records[i].aux5, before[i].aux5);
    }
}

TEST(WriteArchive, EmptyEntryTakesThePositionOfTheNext) {
    std::vector<ArchiveEntry> directory = {Record("a.prd"), Record("empty.prd", 500, 77),
                                           Record("c.prd"), Record("tail.prd", 3, 3)};
    const Bytes file =
        WriteArchive(directory, {BytesOf("aaaa"), BytesOf(""), BytesOf("cc"), BytesOf("")});
    const WrittenArchive written = Decode(file);
    ASSERT_EQ(written.records.size(), 4u);
    EXPECT_EQ(written.records[1].offset, 4);
    EXPECT_EQ(written.records[1].size, 0);
    EXPECT_EQ(written.records[2].offset, 4);
    EXPECT_EQ(written.records[3].offset, 6);
    EXPECT_EQ(written.records[3].size, 0);
}

TEST(WriteArchive, ReadsBackAsTheSameDirectory) {
    std::vector<ArchiveEntry> directory = {Record("mpinfo.prd", 999, 1), Record("aiv.prd", 1, 1)};
    const Bytes file = WriteArchive(directory, {BytesOf("info"), BytesOf("units!")});
    const TrailerResult trailer = ReadTrailer(file, TrailerForms::StandardOnly);
    ASSERT_TRUE(trailer.trailer.has_value());
    EXPECT_EQ(trailer.trailer->trailerSize, 8);
    EXPECT_EQ(ReadDirectory(file, *trailer.trailer), directory);
}

TEST(WriteArchive, NoEntriesGiveTheBareTrailer) {
    std::vector<ArchiveEntry> directory;
    const Bytes file = WriteArchive(directory, {});
    ASSERT_EQ(file.size(), 8u);
    EXPECT_EQ(Int32In(file, 0), 1);
    EXPECT_EQ(Int32In(file, 4), 0);
}

TEST(WriteDirectoryAndTrailer, AppendsAfterWhatIsThere) {
    Bytes out = BytesOf("data");
    ByteWriter writer(out);
    const std::vector<ArchiveEntry> directory = {Record("one.prd", 0, 4)};
    WriteDirectoryAndTrailer(writer, directory);
    ASSERT_EQ(out.size(), 4u + 148 + 8);
    EXPECT_EQ(fixtures::RecordIn(out, 4), directory[0]);
    EXPECT_EQ(Int32In(out, 152), 1);
    EXPECT_EQ(Int32In(out, 156), 1);
}

} // namespace
} // namespace kmission
