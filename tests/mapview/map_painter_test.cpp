#include "map_painter.h"

#include "mapview_fixtures.h"
#include "view_transform.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <string>

namespace kmission {
namespace {

using mapview_test::Entry;
using mapview_test::Map;
using mapview_test::PictureRecord;
using mapview_test::Placed;
using mapview_test::Region;
using mapview_test::RgbAt;
using mapview_test::UnitNode;
using mapview_test::Units;

constexpr QRgb kBackground = 0xff102030;

// Image pixel of a drawing-area pixel: the border is 2 pixels wide.
constexpr int At(int drawingAreaPixel) {
    return drawingAreaPixel + kViewBorder;
}

QImage Render(const EditorState& state, const QImage& surface = {}, QSize size = {640, 480}) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    PaintMapView(painter, state, surface, size, QColor::fromRgb(kBackground));
    painter.end();
    return image;
}

// A loaded view where one world unit is one pixel: world (x, z) is
// drawing-area pixel (x, z).
EditorState UnitScale() {
    EditorState state;
    state.mapLoaded = true;
    state.viewRect = {0, 0, 636, 476};
    return state;
}

int CountColour(const QImage& image, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += RgbAt(image, x, y) == colour;
        }
    }
    return count;
}

bool OnlyBackgroundInside(const QImage& image) {
    for (int y = kViewBorder; y < image.height() - kViewBorder; ++y) {
        for (int x = kViewBorder; x < image.width() - kViewBorder; ++x) {
            if (RgbAt(image, x, y) != kBackground) {
                return false;
            }
        }
    }
    return true;
}

EntryTree Rectangle(std::string_view name) {
    return Region(name, {{"100", "100"}, {"200", "100"}, {"200", "150"}, {"100", "150"}});
}

TEST(PaintMapView, DrawsOnlyTheBackgroundBeforeAMapIsLoaded) {
    EditorState state = UnitScale();
    state.mapLoaded = false;
    state.mission.missionEntries = {Rectangle("reg_inside_1"),
                                    Units("aiv_units", {{"player_1", "50", "50"}})};
    QImage surface(640, 480, QImage::Format_RGB32);
    surface.fill(Qt::red);
    EXPECT_TRUE(OnlyBackgroundInside(Render(state, surface)));
}

TEST(PaintMapView, DrawsASunkenBorder) {
    const QImage image = Render(EditorState{});
    struct Case {
        int x;
        int y;
        QRgb colour;
    };
    const Case cases[] = {
        {0, 0, kBorderOuterShadow},    {320, 0, kBorderOuterShadow},  {0, 240, kBorderOuterShadow},
        {320, 479, kBorderOuterLight}, {639, 240, kBorderOuterLight}, {1, 1, kBorderInnerShadow},
        {320, 1, kBorderInnerShadow},  {1, 240, kBorderInnerShadow},  {320, 478, kBorderInnerLight},
        {638, 240, kBorderInnerLight}, {2, 2, kBackground},           {637, 477, kBackground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_EQ(RgbAt(image, c.x, c.y), c.colour);
    }
}

TEST(PaintMapView, ColoursARegionByItsKind) {
    struct Case {
        const char* name;
        QRgb colour;
    };
    const Case cases[] = {
        {"reg_inside_1", kInsideRegionColour},
        {"reg_outside_2", kOutsideRegionColour},
        {"reg_outsid", kOutsideRegionColour},
        {"reg_border", kOtherRegionColour},
        {"reg_Inside", kOtherRegionColour},
        {"reg_in", kOtherRegionColour},
        {"\x02reg_inside", kInsideRegionColour}, // the name is cleaned first
        {"Reg_inside", kBackground},             // not a region at all
        {"aiv_inside", kBackground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditorState state = UnitScale();
        state.mission.missionEntries = {Rectangle(c.name)};
        const QImage image = Render(state);
        EXPECT_EQ(RgbAt(image, At(150), At(100)), c.colour);
        EXPECT_EQ(RgbAt(image, At(200), At(125)), c.colour);
        EXPECT_EQ(RgbAt(image, At(150), At(125)), kBackground); // never filled
    }
}

TEST(PaintMapView, ClosesTheOutlineBackToTheFirstCorner) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {
        Region("reg_inside", {{"100", "100"}, {"200", "100"}, {"200", "200"}})};
    const QImage image = Render(state);
    EXPECT_EQ(RgbAt(image, At(150), At(100)), kInsideRegionColour);
    EXPECT_EQ(RgbAt(image, At(200), At(150)), kInsideRegionColour);
    EXPECT_EQ(RgbAt(image, At(150), At(150)), kInsideRegionColour); // the closing diagonal
    EXPECT_EQ(RgbAt(image, At(170), At(130)), kBackground);
}

TEST(PaintMapView, ARegionWithOneCornerIsASinglePixel) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {Region("reg_border", {{"300.4", "200"}})};
    const QImage image = Render(state);
    EXPECT_EQ(CountColour(image, kOtherRegionColour), 1);
    EXPECT_EQ(RgbAt(image, At(300), At(200)), kOtherRegionColour);
}

TEST(PaintMapView, ARegionWithoutCornersDrawsNothing) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {Region("reg_border", {})};
    EXPECT_EQ(CountColour(Render(state), kOtherRegionColour), 0);
}

TEST(PaintMapView, SkipsACornerWithoutItsValueNodes) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {Region("reg_border", {{"100", "100"}, {"200", "100"}})};
    const QImage expected = Render(state);
    // A third corner cut off after its X node: its Z node would be beyond the end.
    NodeList& nodes = state.mission.missionEntries[0].nodes;
    for (const char* text : {"node_3", "7", "pos", "4", "400"}) {
        nodes.push_back(mapview_test::Text(text));
    }
    nodes.push_back(mapview_test::Number("0"));
    EXPECT_EQ(Render(state), expected);
}

// Ten pixels per world unit, so that rounding to whole world units shows.
EditorState TenPixelsPerUnit() {
    EditorState state;
    state.mapLoaded = true;
    state.viewRect = {0, 0, 63.6f, 47.6f};
    return state;
}

TEST(PaintMapView, ASegmentStartsAtTheRoundedPreviousCorner) {
    struct Case {
        const char* firstX;
        int dot;          // the first corner, exact
        int segmentStart; // the next segment starts at the rounded corner
    };
    const Case cases[] = {{"10.6", 106, 110}, {"10.5", 105, 100}, {"11.5", 115, 120}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.firstX);
        EditorState state = TenPixelsPerUnit();
        state.mission.missionEntries = {
            Region("reg_inside", {{c.firstX, "10"}, {"30", "10"}, {"30", "30"}})};
        const QImage image = Render(state);
        EXPECT_EQ(RgbAt(image, At(c.dot), At(100)), kInsideRegionColour);
        EXPECT_EQ(RgbAt(image, At(c.segmentStart), At(100)), kInsideRegionColour);
        EXPECT_EQ(RgbAt(image, At(c.segmentStart - 1), At(100)), kBackground);
    }
}

TEST(PaintMapView, ASegmentEndsAtTheExactCorner) {
    EditorState state = TenPixelsPerUnit();
    state.mission.missionEntries = {
        Region("reg_inside", {{"10", "10"}, {"30.4", "10"}, {"30.4", "30"}})};
    const QImage image = Render(state);
    EXPECT_EQ(RgbAt(image, At(304), At(100)), kInsideRegionColour);
    EXPECT_EQ(RgbAt(image, At(305), At(100)), kBackground);
}

// Checks the outline of a unit box from (left, top) to (right, bottom).
void ExpectBox(const QImage& image, int left, int top, int right, int bottom, QRgb colour) {
    const int midX = (left + right) / 2;
    const int midY = (top + bottom) / 2;
    for (const auto& [x, y] : {std::pair{left, top},
                               {right, top},
                               {left, bottom},
                               {right, bottom},
                               {midX, top},
                               {midX, bottom},
                               {left, midY},
                               {right, midY}}) {
        SCOPED_TRACE(testing::Message() << "outline " << x << ", " << y);
        EXPECT_EQ(RgbAt(image, At(x), At(y)), colour);
    }
    for (const auto& [x, y] : {std::pair{midX, midY},
                               {left - 1, midY},
                               {right + 1, midY},
                               {midX, top - 1},
                               {midX, bottom + 1}}) {
        SCOPED_TRACE(testing::Message() << "not drawn " << x << ", " << y);
        EXPECT_NE(RgbAt(image, At(x), At(y)), colour);
    }
}

TEST(PaintMapView, DrawsAUnitAsATenUnitBox) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {Units("aiv_units", {{"player_1", "100", "200"}})};
    ExpectBox(Render(state), 95, 195, 105, 205, kUnitColour);
}

// On a denser screen a unit box is filled as device-pixel rectangles rather
// than stroked; it must cover exactly the pixels of its four one-pixel lines,
// also where the drawing area's edge cuts it.
TEST(PaintMapView, AUnitBoxHasThePixelsOfItsOutlineAtEveryWholeRatio) {
    struct Case {
        int ratio;
        int x;
        int z;
    };
    const Case cases[] = {{1, 100, 200}, {2, 100, 200}, {3, 100, 200},
                          {2, 1, 300},   {2, 633, 473}, {3, -4, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "ratio " << c.ratio << " at " << c.x << ", " << c.z);
        // The world origin, and with it the axes, far outside the view.
        EditorState state = UnitScale();
        state.viewRect.left = 1000.0f;
        state.viewRect.top = 1000.0f;
        const QSize size(640, 480);
        const auto paint = [&](bool withUnit) {
            state.mission.missionEntries.clear();
            if (withUnit) {
                state.mission.missionEntries = {
                    Units("aiv_units",
                          {{"player_1", std::to_string(c.x + 1000), std::to_string(c.z + 1000)}})};
            }
            QImage image(size * c.ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(c.ratio);
            QPainter painter(&image);
            PaintMapView(painter, state, {}, size, QColor::fromRgb(kBackground));
            return image;
        };
        const QImage boxed = paint(true);
        QImage expected = paint(false);
        QPainter painter(&expected);
        painter.setClipRect(QRect(kViewBorder, kViewBorder, 636, 476));
        QPen pen(QColor::fromRgb(kUnitColour));
        pen.setCosmetic(true);
        painter.setPen(pen);
        const int left = At(std::max(c.x - 5, -2));
        const int right = At(std::min(c.x + 5, 637));
        const int top = At(std::max(c.z - 5, -2));
        const int bottom = At(std::min(c.z + 5, 477));
        const QLine outline[] = {{left, top, right, top},
                                 {right, top, right, bottom},
                                 {right, bottom, left, bottom},
                                 {left, bottom, left, top}};
        painter.drawLines(outline, 4);
        painter.end();
        EXPECT_EQ(boxed, expected);
    }
}

TEST(PaintMapView, ShiftsUnitBoxesButNotRegions) {
    EditorState state = UnitScale();
    state.nodeShiftX = 10.0f;
    state.nodeShiftZ = -20.0f;
    state.mission.missionEntries = {Rectangle("reg_inside"),
                                    Units("aiv_units", {{"stealth_2", "100", "200"}})};
    const QImage image = Render(state);
    ExpectBox(image, 105, 175, 115, 185, kUnitColour);
    EXPECT_EQ(RgbAt(image, At(100), At(200)), kBackground);
    EXPECT_EQ(RgbAt(image, At(150), At(100)), kInsideRegionColour);
}

TEST(PaintMapView, DrawsTheUnitsOfEveryUnitEntryOnly) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {
        Units("aiv_first", {{"player_1", "100", "100"}, {"tank_2", "300", "100"}}),
        Units("units.prd", {{"player_3", "100", "300"}}),
        Units("aiv_second", {{"remote_4", "200", "100"}}),
    };
    const QImage image = Render(state);
    ExpectBox(image, 95, 95, 105, 105, kUnitColour);
    ExpectBox(image, 195, 95, 205, 105, kUnitColour);
    EXPECT_EQ(RgbAt(image, At(295), At(100)), kBackground); // not a unit name
    EXPECT_EQ(RgbAt(image, At(95), At(300)), kBackground);  // not a unit entry
}

TEST(PaintMapView, SkipsAUnitWithoutItsAngleNode) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {Units("aiv_units", {{"player_1", "100", "100"}})};
    state.mission.missionEntries[0].nodes.pop_back();
    EXPECT_EQ(CountColour(Render(state), kUnitColour), 0);
}

TEST(PaintMapView, ShowsTheSelectedUnitInMagentaOnlyInMoveMode) {
    struct Case {
        const char* what;
        bool moveMode;
        int selectedEntry;
        int selectedUnit;
        QRgb first;
        QRgb second;
        QRgb otherSecond; // the second unit of the other entry, same node number
    };
    const QRgb cyan = kUnitColour;
    const QRgb magenta = kSelectedUnitColour;
    const Case cases[] = {
        {"second selected in move mode", true, 1, 1, cyan, magenta, cyan},
        {"first selected in move mode", true, 1, 0, magenta, cyan, cyan},
        {"selected outside move mode", false, 1, 1, cyan, cyan, cyan},
        {"other entry selected", true, 0, 1, cyan, cyan, magenta},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EditorState state = UnitScale();
        state.mission.missionEntries = {
            Units("aiv_other", {{"player_9", "400", "400"}, {"player_8", "420", "400"}}),
            Units("aiv_units", {{"player_1", "100", "100"}, {"player_2", "200", "100"}})};
        state.moveMode = c.moveMode;
        state.selectedEntry = c.selectedEntry;
        state.selectedNode = UnitNode(c.selectedUnit);
        const QImage image = Render(state);
        ExpectBox(image, 95, 95, 105, 105, c.first);
        ExpectBox(image, 195, 95, 205, 105, c.second);
        ExpectBox(image, 415, 395, 425, 405, c.otherSecond);
    }
}

TEST(PaintMapView, DrawsTheAxesLast) {
    EditorState state = UnitScale();
    state.viewRect = {-318, -238, 636, 476}; // world 0 in the middle
    state.mission.missionEntries = {Units("aiv_units", {{"player_1", "0", "50"}})};
    const QImage image = Render(state);
    for (int y : {0, 100, 475}) {
        EXPECT_EQ(RgbAt(image, At(318), At(y)), kAxisColour) << y;
    }
    for (int x : {0, 100, 635}) {
        EXPECT_EQ(RgbAt(image, At(x), At(238)), kAxisColour) << x;
    }
    // Over the unit box's top side.
    EXPECT_EQ(RgbAt(image, At(318), At(283)), kAxisColour);
    EXPECT_EQ(RgbAt(image, At(314), At(283)), kUnitColour);
}

// A picture of `width` x `height` whose pixel (x, y) is `colour(x, y)`.
template <typename Colour> DecodedPicture Picture(int width, int height, Colour colour) {
    DecodedPicture picture;
    picture.width = width;
    picture.height = height;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.pixels.push_back(colour(x, y));
        }
    }
    return picture;
}

EditorState DunesLoaded() {
    EditorState state;
    state.mapCatalogue = {Map("dunes", 2.0f, 100, 300)};
    state.pictureIndex = {PictureRecord("dunes")};
    SetMapScale(state, "dunes");
    state.mapLoaded = true;
    return state;
}

// Dunes' world origin, where the axes cross, is at drawing-area pixel (50, 149).
TEST(PaintMapView, DrawsThePictureAtItsRectangle) {
    const std::uint32_t blue = PixelToColor(0x1F, 0x00); // (7, 3, 255)
    const QImage surface =
        MakeMapSurface(Picture(640, 480,
                               [&](int x, int y) {
                                   return x == 10 && y == 20 ? blue : std::uint32_t(x << 16 | y);
                               }),
                       Qt::white);
    const QImage image = Render(DunesLoaded(), surface);
    EXPECT_EQ(RgbAt(image, At(10), At(20)), qRgb(7, 3, 255));
    EXPECT_EQ(RgbAt(image, At(11), At(20)), qRgb(11, 0, 20));
    EXPECT_EQ(RgbAt(image, At(200), At(300)), qRgb(200, 1, 300 - 256));
    EXPECT_EQ(RgbAt(image, At(635), At(475)), qRgb(635 - 512, 1, 475 - 256));
}

TEST(PaintMapView, AZoomedInPictureIsLarger) {
    // A red stripe over picture columns 300 ... 339.
    const QImage surface = MakeMapSurface(
        Picture(640, 480, [](int x, int) { return x >= 300 && x < 340 ? 0xff0000u : 0x000000u; }),
        Qt::white);
    EditorState state = DunesLoaded();
    const QImage before = Render(state, surface);
    ZoomIn(state);
    const QImage after = Render(state, surface);
    // The stripe now covers about 316 ... 357.
    EXPECT_EQ(RgbAt(before, At(305), At(300)), qRgb(255, 0, 0));
    EXPECT_EQ(RgbAt(after, At(305), At(300)), qRgb(0, 0, 0));
    EXPECT_EQ(RgbAt(before, At(345), At(300)), qRgb(0, 0, 0));
    EXPECT_EQ(RgbAt(after, At(345), At(300)), qRgb(255, 0, 0));
    EXPECT_EQ(RgbAt(after, At(320), At(300)), qRgb(255, 0, 0));
}

// Four quadrant colours of the picture's top-left 2 x 2 pixels.
std::uint32_t Quadrants(int x, int y) {
    static const std::uint32_t colours[2][2] = {{0x112233, 0x445566}, {0x778899, 0xaabbcc}};
    return x < 2 && y < 2 ? colours[y][x] : 0x000000u;
}

TEST(PaintMapView, StretchesSinglePicturePixelsWhenZoomedFarIn) {
    struct Case {
        int zoomIns;
        int pixelsPerSource; // about
    };
    // 40 zooms: Qt stretches the picture; 100 zooms: each pixel is filled alone.
    for (const Case c : {Case{40, 8}, Case{100, 169}}) {
        SCOPED_TRACE(c.zoomIns);
        EditorState state = DunesLoaded();
        for (int i = 0; i < c.zoomIns; ++i) {
            ZoomIn(state);
        }
        const QImage surface = MakeMapSurface(Picture(640, 480, Quadrants), Qt::white);
        const QImage image = Render(state, surface);
        const int near = c.pixelsPerSource / 2;
        const int far = c.pixelsPerSource + c.pixelsPerSource / 2;
        EXPECT_EQ(RgbAt(image, At(near), At(near)), 0xff112233);
        EXPECT_EQ(RgbAt(image, At(far), At(near)), 0xff445566);
        EXPECT_EQ(RgbAt(image, At(near), At(far)), 0xff778899);
        EXPECT_EQ(RgbAt(image, At(far), At(far)), 0xffaabbcc);
        EXPECT_EQ(RgbAt(image, At(3 * c.pixelsPerSource), At(near)), 0xff000000);
    }
}

TEST(PaintMapView, SurvivesAbsurdCoordinates) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {
        Region("reg_inside", {{"-1e30", "10"}, {"1e30", "10"}, {"1e999", "-1e999"}}),
        Region("reg_border", {{"-1e300", "-1e300"}, {"1e300", "1e300"}}),
        Units("aiv_units", {{"player_1", "1e30", "1e30"},
                            {"player_2", "-1e999", "5"},
                            {"player_3", "nonsense", "7.5e-400"}}),
    };
    QElapsedTimer clock;
    clock.start();
    const QImage image = Render(state);
    EXPECT_LT(clock.elapsed(), 1000);
    // From the corner rounded into 16 bits to the exact far corner: across the view.
    EXPECT_EQ(RgbAt(image, At(300), At(10)), kInsideRegionColour);
    // From the corner clamped to -32768 to the exact far corner: the diagonal.
    EXPECT_EQ(RgbAt(image, At(100), At(100)), kOtherRegionColour);
    // A unit whose texts hold no number is at (0, 0).
    EXPECT_EQ(RgbAt(image, At(5), At(5)), kUnitColour);

    // A view zoomed so far that every object is far beyond the window.
    state.viewRect = {0, 0, 1e-30f, 1e-30f};
    Render(state);
    state.viewRect = {0, 0, 0, 0};
    Render(state);
}

TEST(PaintMapView, PaintsAViewSmallerThanItsBorder) {
    EditorState state = UnitScale();
    state.mission.missionEntries = {Rectangle("reg_inside")};
    const QImage image = Render(state, {}, {3, 3});
    EXPECT_EQ(RgbAt(image, 0, 0), kBorderOuterShadow);
}

TEST(MakeMapSurface, PutsThePictureTopLeftOnTheBackground) {
    const QImage surface =
        MakeMapSurface(Picture(3, 2, [](int x, int y) { return std::uint32_t(0x010000 * x + y); }),
                       QColor(1, 2, 3));
    EXPECT_EQ(surface.size(), QSize(640, 480));
    EXPECT_EQ(surface.format(), QImage::Format_RGB32);
    EXPECT_EQ(surface.pixel(2, 1), qRgb(2, 0, 1));
    EXPECT_EQ(surface.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(surface.pixel(3, 0), qRgb(1, 2, 3));
    EXPECT_EQ(surface.pixel(0, 2), qRgb(1, 2, 3));
}

TEST(MakeMapSurface, KeepsAPictureLargerThanTheView) {
    const QImage surface =
        MakeMapSurface(Picture(700, 500, [](int, int) { return 0xabcdefu; }), Qt::black);
    EXPECT_EQ(surface.size(), QSize(700, 500));
    EXPECT_EQ(surface.pixel(699, 499), qRgb(0xab, 0xcd, 0xef));
}

TEST(MakeMapSurface, AnIncompletePictureGivesTheBackground) {
    DecodedPicture picture = Picture(4, 4, [](int, int) { return 0xffffffu; });
    picture.pixels.resize(15);
    const QImage surface = MakeMapSurface(picture, QColor(9, 9, 9));
    EXPECT_EQ(surface.size(), QSize(640, 480));
    EXPECT_EQ(surface.pixel(0, 0), qRgb(9, 9, 9));
}

} // namespace
} // namespace kmission
