#include "core_fixtures.h"
#include "demo_installation.h"
#include "demo_maps.h"
#include "tool_process.h"

#include <QImage>

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

struct Picture {
    std::int16_t width;
    std::int16_t height;
    std::vector<std::uint16_t> pixels; // 5-6-5, top row first
};

// "rimage.pbd": 24-byte header with the record count as its fourth int32,
// 40-byte records (name, offset, extra), then the pictures; record j shows
// pictures[pictureOf[j]].
Bytes PictureFile(const std::vector<std::string>& names, const std::vector<Picture>& pictures,
                  const std::vector<std::size_t>& pictureOf) {
    const auto count = static_cast<std::int32_t>(names.size());
    std::vector<std::int32_t> offsets;
    std::int32_t at = 24 + 40 * count;
    for (const Picture& p : pictures) {
        offsets.push_back(at);
        at += 16 + 2 * p.width * p.height;
    }
    Bytes out;
    for (std::int32_t value : {0, 0, 0, count, 0, 0}) {
        fixtures::AppendInt32(out, value);
    }
    for (std::size_t j = 0; j < names.size(); ++j) {
        std::string name = names[j];
        name.resize(32, '\0');
        fixtures::AppendText(out, name);
        fixtures::AppendInt32(out, offsets[pictureOf[j]]);
        fixtures::AppendInt32(out, 0);
    }
    for (const Picture& p : pictures) {
        fixtures::AppendInt32(out, 0);
        fixtures::AppendInt16(out, p.width);
        fixtures::AppendInt16(out, p.height);
        out.insert(out.end(), 8, 0);
        for (std::uint16_t v : p.pixels) {
            fixtures::AppendInt16(out, static_cast<std::int16_t>(v));
        }
    }
    return out;
}

// Two records match "Tiny" once cleaned and ignoring case; the later one,
// the 2 x 2 picture, is the one the editor shows.
Bytes two_matching_records() {
    const Picture decoy{1, 1, {0x07E0}};
    const Picture colours{2, 2, {0x0000, 0xFFFF, 0xF800, 0x001F}};
    return PictureFile({"tiny", "other", "TINY\t "}, {decoy, colours}, {0, 0, 1});
}

QRgb Rgb(int r, int g, int b) {
    return qRgb(r, g, b);
}

TEST(PictureCommand, WritesTheDecodedColoursTopRowFirst) {
    ScratchDir dir;
    WriteBytes(dir.file("rimage.pbd"), two_matching_records());

    const ToolRun run = RunTool({"picture", dir.file("rimage.pbd"), "Tiny", dir.file("out.png")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Bytes png = ReadBytes(dir.file("out.png"));
    ASSERT_GT(png.size(), 26u);
    EXPECT_EQ(png[24], 8) << "bit depth";
    EXPECT_EQ(png[25], 2) << "colour type RGB, no alpha";
    const QImage image(QString::fromStdString(dir.file("out.png")));
    ASSERT_EQ(image.size(), QSize(2, 2));
    EXPECT_EQ(image.pixel(0, 0), Rgb(7, 3, 7));
    EXPECT_EQ(image.pixel(1, 0), Rgb(255, 255, 255));
    EXPECT_EQ(image.pixel(0, 1), Rgb(255, 3, 7));
    EXPECT_EQ(image.pixel(1, 1), Rgb(7, 3, 255));
}

TEST(PictureCommand, WritesADemoMapWhoseRecordIsLast) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(demo::WriteDemoInstallation(dir.path().string(), error)) << error;

    const ToolRun run = RunTool({"picture", dir.file("pbd/rimage.pbd"),
                                 demo::DemoMaps().front().name, dir.file("first.png")});

    ASSERT_EQ(run.exitCode, 0) << run.err;
    const QImage image(QString::fromStdString(dir.file("first.png")));
    ASSERT_EQ(image.size(), QSize(640, 480));
    const auto& pixels = demo::DemoTerrain(0).pixels;
    int wrong = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const std::uint16_t v = pixels[static_cast<std::size_t>(y * 640 + x)];
            wrong += image.pixel(x, y) !=
                     Rgb((v >> 11) * 8 + 7, ((v >> 5) & 63) * 4 + 3, (v & 31) * 8 + 7);
        }
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
} // namespace kmission::test
