#include "core_fixtures.h"
#include "demo_installation.h"
#include "demo_maps.h"
#include "tool_process.h"

#include <QImage>

#include <gtest/gtest.h>

namespace kmission::test {
namespace {

// Two records match "Tiny" once cleaned and ignoring case; the later one,
// the 2 x 2 picture, is the one the editor shows.
Bytes two_matching_records() {
    return fixtures::PictureFile({{"tiny", 1, 1, {0x07E0}},
                                  {"other", 1, 1, {0x07E0}},
                                  {"TINY\t ", 2, 2, {0x0000, 0xFFFF, 0xF800, 0x001F}}});
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
