// The main window and the map view at the screen's pixel density (CTest runs
// them at QT_SCALE_FACTOR 1 and 2): the map's lines stay one device pixel
// thin and the view's sunken border grows with the view. With
// KMISSION_SCREENSHOT_DIR set, the grabs are also written there as PNG files
// (scripts/screenshot.sh).
#include "editor_fixture.h"
#include "map_painter.h"

#include <QDir>

namespace kmission::test {
namespace {

// Writes `image` to $KMISSION_SCREENSHOT_DIR/NAME-SCALE.png when that is set.
void Keep(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("KMISSION_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString scale = qEnvironmentVariable("QT_SCALE_FACTOR", "1");
        EXPECT_TRUE(image.save(QDir(folder).filePath(name + "-" + scale + ".png")));
    }
}

int Count(const QImage& image, QRect area, QRgb colour) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixel(x, y) == colour;
        }
    }
    return count;
}

class ScreenshotTest : public EditorFixture {};

TEST_F(ScreenshotTest, LinesAreOneDevicePixelThinAndTheBorderGrowsWithTheView) {
    startEditor();
    openMission(pbd("readermp01.PBD"));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    const qreal scale = window_->devicePixelRatio();
    EXPECT_EQ(scale, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    const QImage image = window_->grab().toImage();
    Keep(image, "main-window");
    EXPECT_EQ(image.size(), window_->size() * scale);
    const QImage map = grabView();
    Keep(map, "map-view");
    ASSERT_EQ(map.size(), view()->size() * scale);

    // The vertical axis runs through the whole drawing area; its neighbours
    // hold at most the pixel where the horizontal axis crosses them. The
    // same for rows.
    const auto column = [&](int x) { return Count(map, {x, 0, 1, map.height()}, kAxisColour); };
    const auto row = [&](int y) { return Count(map, {0, y, map.width(), 1}, kAxisColour); };
    int x = 0;
    int y = 0;
    for (int i = 1; i < std::max(map.width(), map.height()); ++i) {
        x = i < map.width() && column(i) > column(x) ? i : x;
        y = i < map.height() && row(i) > row(y) ? i : y;
    }
    EXPECT_GE(column(x), map.height() - 4 * scale);
    EXPECT_LE(std::max(column(x - 1), column(x + 1)), 1);
    EXPECT_GE(row(y), map.width() / 2);
    EXPECT_LE(std::max(row(y - 1), row(y + 1)), 1);

    // Unit boxes are outlines: no 2 x 2 block all in the unit colour.
    EXPECT_GT(Count(map, map.rect(), kUnitColour), 20 * scale);
    for (int by = 0; by + 1 < map.height(); ++by) {
        for (int bx = 0; bx + 1 < map.width(); ++bx) {
            ASSERT_LT(Count(map, {bx, by, 2, 2}, kUnitColour), 4) << bx << "," << by;
        }
    }

    // The two-ring sunken border, one design pixel per ring, on every side.
    const int ring = static_cast<int>(scale);
    const int right = map.width() - 1;
    const int bottom = map.height() - 1;
    const int midX = map.width() / 2 + 3; // off the axes
    const int midY = map.height() / 2 + 3;
    for (int d = 0; d < ring; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(map.pixel(d, midY), kBorderOuterShadow);
        EXPECT_EQ(map.pixel(midX, d), kBorderOuterShadow);
        EXPECT_EQ(map.pixel(ring + d, midY), kBorderInnerShadow);
        EXPECT_EQ(map.pixel(midX, ring + d), kBorderInnerShadow);
        EXPECT_EQ(map.pixel(right - d, midY), kBorderOuterLight);
        EXPECT_EQ(map.pixel(midX, bottom - d), kBorderOuterLight);
        EXPECT_EQ(map.pixel(right - ring - d, midY), kBorderInnerLight);
        EXPECT_EQ(map.pixel(midX, bottom - ring - d), kBorderInnerLight);
    }
}

} // namespace
} // namespace kmission::test
