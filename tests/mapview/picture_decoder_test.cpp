#include "picture_decoder.h"

#include "core_fixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace kmission {
namespace {

using fixtures::PictureFile;
using fixtures::PictureSpec;

constexpr std::uint32_t Rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return blue | green << 8 | red << 16;
}

struct ColourCase {
    std::uint8_t b0;
    std::uint8_t b1;
    std::uint32_t expected;
};

TEST(PixelToColor, EdgeCases) {
    const ColourCase cases[] = {
        {0x00, 0x00, Rgb(7, 3, 7)},       // 0x0000
        {0xFF, 0xFF, Rgb(255, 255, 255)}, // 0xFFFF
        {0x00, 0xF8, Rgb(255, 3, 7)},     // 0xF800
        {0x1F, 0x00, Rgb(7, 3, 255)},     // 0x001F
        {0xE0, 0x07, Rgb(7, 255, 7)},     // 0x07E0
    };
    for (const ColourCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.b0) + ", " + std::to_string(c.b1));
        EXPECT_EQ(PixelToColor(c.b0, c.b1), c.expected);
    }
}

// Every 16-bit value, from the 5-6-5 fields of the little-endian word.
TEST(PixelToColor, EveryValueWidensItsFields) {
    for (std::uint32_t v = 0; v < 65536; ++v) {
        const std::uint32_t red = (v >> 11) * 8 + 7;
        const std::uint32_t green = ((v >> 5) & 63) * 4 + 3;
        const std::uint32_t blue = (v & 31) * 8 + 7;
        ASSERT_EQ(
            PixelToColor(static_cast<std::uint8_t>(v & 0xFF), static_cast<std::uint8_t>(v >> 8)),
            Rgb(red, green, blue))
            << v;
    }
}

std::vector<PictureIndexEntry> Index(std::initializer_list<std::string> names) {
    std::vector<PictureIndexEntry> index;
    std::int32_t offset = 100;
    for (const std::string& name : names) {
        PictureIndexEntry record;
        record.name = name;
        record.offset = offset++;
        index.push_back(record);
    }
    return index;
}

TEST(FindPictureRecord, MatchesCleanedNamesIgnoringCaseAndTakesTheLast) {
    using fixtures::Padded;
    struct Case {
        const char* label;
        std::vector<PictureIndexEntry> index;
        std::string mapName;
        int expected;
    };
    const Case cases[] = {
        {"exact", Index({Padded("hills", 32), Padded("dunes", 32)}), "dunes", 2},
        {"case differs", Index({Padded("DUNES", 32)}), "dunes", 1},
        {"map name in capitals", Index({Padded("dunes", 32)}), "Dunes", 1},
        {"later of two that differ in case", Index({Padded("dunes", 32), Padded("Dunes", 32)}),
         "DUNES", 2},
        {"trailing spaces", Index({Padded("dunes", 32, ' ')}), "dunes", 1},
        {"control characters", Index({Padded("\tdunes\r\n", 32)}), "dunes", 1},
        {"full width name", Index({std::string(32, 'q')}), std::string(32, 'Q'), 1},
        {"prefix is no match", Index({Padded("dunes", 32)}), "dune", 0},
        {"longer is no match", Index({Padded("dune", 32)}), "dunes", 0},
        {"no records", Index({}), "dunes", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<PictureIndexEntry> index = c.index;
        EXPECT_EQ(FindPictureRecord(index, c.mapName), c.expected);
    }
}

TEST(FindPictureRecord, LeavesEveryNameCleanedAndPadded) {
    std::vector<PictureIndexEntry> index =
        Index({fixtures::Padded("\tdunes", 32), fixtures::Padded("  hills", 32, ' ')});
    FindPictureRecord(index, "nothing");
    EXPECT_EQ(index[0].name, fixtures::Padded("dunes", 32, ' '));
    EXPECT_EQ(index[1].name, fixtures::Padded("hills", 32, ' '));
    EXPECT_EQ(index[0].offset, 100);
}

// A 3 x 2 picture whose pixels are all different.
PictureSpec SmallPicture(std::string name = "dunes") {
    return {std::move(name), 3, 2, {0x0000, 0xFFFF, 0xF800, 0x001F, 0x07E0, 0x1234}};
}

std::vector<std::uint32_t> Colours(const std::vector<std::uint16_t>& pixels) {
    std::vector<std::uint32_t> colours;
    for (std::uint16_t pixel : pixels)
        colours.push_back(PixelToColor(static_cast<std::uint8_t>(pixel & 0xFF),
                                       static_cast<std::uint8_t>(pixel >> 8)));
    return colours;
}

// The picture's bytes placed at `offset` behind filler bytes.
Bytes Placed(const PictureSpec& picture, std::size_t offset) {
    Bytes file(offset, 0x99);
    fixtures::Append(file, fixtures::PictureBytes(picture));
    return file;
}

TEST(DecodePicture, FirstStoredRowIsTheTopRow) {
    const PictureSpec picture = SmallPicture();
    const auto decoded = DecodePicture(Placed(picture, 40), 40);
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 3);
    EXPECT_EQ(decoded->height, 2);
    ASSERT_GE(decoded->pixels.size(), 6u);
    const std::vector<std::uint32_t> expected = Colours(picture.pixels);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            SCOPED_TRACE(std::to_string(x) + ", " + std::to_string(y));
            EXPECT_EQ(decoded->pixels[static_cast<std::size_t>(y * 3 + x)],
                      expected[static_cast<std::size_t>(y * 3 + x)]);
        }
    }
    EXPECT_EQ(decoded->pixels[0], Rgb(7, 3, 7));
    EXPECT_EQ(decoded->pixels[3], Rgb(7, 3, 255));
}

TEST(DecodePicture, PixelDataEndingAtTheEndOfTheFileIsEnough) {
    const Bytes file = Placed(SmallPicture(), 0);
    ASSERT_EQ(file.size(), 16u + 12u);
    EXPECT_TRUE(DecodePicture(file, 0).has_value());
    const Bytes one_byte_short(file.begin(), file.end() - 1);
    EXPECT_FALSE(DecodePicture(one_byte_short, 0).has_value());
}

PictureSpec header_says(std::int16_t width, std::int16_t height) {
    return {"x", width, height, {0x1111, 0x2222, 0x3333, 0x4444}};
}

TEST(DecodePicture, HeaderThatLiesIsRefused) {
    const std::pair<const char*, PictureSpec> cases[] = {
        {"width 0", header_says(0, 2)},
        {"height 0", header_says(2, 0)},
        {"negative width", header_says(-2, 2)},
        {"negative height", header_says(2, -2)},
        {"most negative", header_says(-32768, -32768)},
        {"larger than the file", header_says(3, 2)},
        {"far larger than the file", header_says(32767, 32767)},
    };
    for (const auto& [label, picture] : cases) {
        SCOPED_TRACE(label);
        EXPECT_FALSE(DecodePicture(Placed(picture, 8), 8).has_value());
    }
}

TEST(DecodePicture, OffsetOutsideTheFileIsRefused) {
    const Bytes file = Placed(SmallPicture(), 0);
    for (std::int64_t offset : {std::int64_t{-16}, std::int64_t{-1}, std::int64_t{20},
                                static_cast<std::int64_t>(file.size()), std::int64_t{1} << 40}) {
        SCOPED_TRACE(offset);
        EXPECT_FALSE(DecodePicture(file, offset).has_value());
    }
}

// The size check comes before anything is read or allocated for the pixels.
TEST(DecodePicture, LyingHeaderReadsNoMoreThanTheFileHolds) {
    const Bytes file = Placed(header_says(32767, 32767), 0);
    std::size_t largest = 0;
    const ReadAtFn readAt = [&](std::int64_t position, void* buffer, std::size_t size) {
        largest = std::max(largest, size);
        if (position < 0 || static_cast<std::size_t>(position) >= file.size())
            return std::size_t{0};
        const std::size_t got = std::min(size, file.size() - static_cast<std::size_t>(position));
        std::memcpy(buffer, file.data() + position, got);
        return got;
    };
    EXPECT_FALSE(DecodePicture(readAt, static_cast<std::int64_t>(file.size()), 0).has_value());
    EXPECT_LE(largest, file.size());
}

TEST(DecodePicture, ReportsEveryRow) {
    const PictureSpec tall{"tall", 2, 5, std::vector<std::uint16_t>(10, 0xABCD)};
    const Bytes file = Placed(tall, 0);
    const ReadAtFn readAt = [&](std::int64_t position, void* buffer, std::size_t size) {
        const std::size_t got = std::min(size, file.size() - static_cast<std::size_t>(position));
        std::memcpy(buffer, file.data() + position, got);
        return got;
    };
    int rows = 0;
    const auto decoded =
        DecodePicture(readAt, static_cast<std::int64_t>(file.size()), 0, [&rows] { ++rows; });
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(rows, 5);
}

TEST(LoadPicture, FindsTheRecordAndDecodesItsPicture) {
    fixtures::TempDir folder;
    PictureSpec hills = SmallPicture("hills");
    hills.pixels = {1, 2, 3, 4, 5, 6};
    const Bytes file = PictureFile({SmallPicture("dunes"), hills});
    const std::string path = folder.write(kPictureFileName, file);

    std::vector<PictureIndexEntry> index = ReadPictureIndex(file);
    const auto decoded = LoadPicture(path, index, "HILLS");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->width, 3);
    ASSERT_GE(decoded->pixels.size(), 6u);
    EXPECT_EQ(std::vector<std::uint32_t>(decoded->pixels.begin(), decoded->pixels.begin() + 6),
              Colours(hills.pixels));
}

TEST(LoadPicture, LaterOfTwoRecordsThatDifferInCaseIsUsed) {
    fixtures::TempDir folder;
    PictureSpec later = SmallPicture("DUNES");
    later.pixels = {9, 9, 9, 9, 9, 9};
    const Bytes file = PictureFile({SmallPicture("dunes"), later});
    const std::string path = folder.write(kPictureFileName, file);
    std::vector<PictureIndexEntry> index = ReadPictureIndex(file);
    const auto decoded = LoadPicture(path, index, "Dunes");
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(decoded->pixels[0], PixelToColor(9, 0));
}

TEST(LoadPicture, NothingWithoutARecordOrAFile) {
    fixtures::TempDir folder;
    const Bytes file = PictureFile({SmallPicture("dunes")});
    std::vector<PictureIndexEntry> index = ReadPictureIndex(file);
    EXPECT_FALSE(LoadPicture(folder.file(kPictureFileName), index, "dunes").has_value());
    const std::string path = folder.write(kPictureFileName, file);
    EXPECT_FALSE(LoadPicture(path, index, "desert").has_value());
    std::vector<PictureIndexEntry> empty;
    EXPECT_FALSE(LoadPicture(path, empty, "dunes").has_value());
}

} // namespace
} // namespace kmission
