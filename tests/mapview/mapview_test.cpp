// The map view: the picture decoder, the world <-> pixel transform, the painter
// (pinned pixel by pixel), the widget, the Map menu step and the command-line
// renderer.
#include "core_fixtures.h"
#include "map_painter.h"
#include "mission_map.h"
#include "picture_decoder.h"
#include "render_view.h"
#include "text.h"
#include "view_transform.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <functional>
#include <limits>

namespace kmission {
namespace {

using fixtures::PictureSpec;
using Rgba = std::uint32_t;

constexpr Rgba Rgb(Rgba red, Rgba green, Rgba blue) {
    return blue | green << 8 | red << 16;
}

MapInfo Map(std::string_view name, float mpp, std::int16_t offsetX = 0, std::int16_t offsetZ = 0) {
    return {
        .name = PadText(name, kMapNameWidth), .mpp = mpp, .offsetX = offsetX, .offsetZ = offsetZ};
}

PictureIndexEntry PictureRecord(std::string_view name) {
    return {fixtures::Padded(name, 32), 100, 0};
}

// An entry of points (region corners or units) after a header setting, each
// in the game's layout: the name node k, X at k + 4, Z at k + 6, the angle at
// k + 7. Painting reads only the texts.
using Point = std::array<std::string, 3>; // name, x, z
EntryTree Entry(std::string_view name, const std::vector<Point>& points) {
    EntryTree entry{PadText(name, 64), {ReaderNode{}}};
    for (const std::string text : {"units", "2", "n"})
        entry.nodes.emplace_back(kNodeString, static_cast<std::int32_t>(text.size()), text);
    for (const auto& [point, x, z] : points)
        for (const std::string& text :
             {point, std::string("7"), std::string("pos"), std::string("4"), x, std::string("0"), z,
              std::string("90")})
            entry.nodes.emplace_back(kNodeString, static_cast<std::int32_t>(text.size()), text);
    return entry;
}

EntryTree Region(std::string_view name,
                 const std::vector<std::pair<std::string, std::string>>& at) {
    std::vector<Point> corners;
    for (const auto& [x, z] : at)
        corners.push_back({"node_" + std::to_string(corners.size() + 1), x, z});
    return Entry(name, corners);
}

// ---- Picture decoder ----

// A 3 x 2 picture (or one whose header claims another size) at `at` behind
// filler bytes, `cut` bytes short of its end.
Bytes PictureAt(std::size_t at, std::int16_t width = 3, std::int16_t height = 2, int cut = 0) {
    Bytes file(at, 0x99);
    fixtures::Append(file, fixtures::PictureBytes({"x", width, height, {0, 0xFFFF, 0xF800, 0x1F}}));
    fixtures::Append(file, {0xE0, 0x07, 0x34, 0x12});
    file.resize(file.size() - static_cast<std::size_t>(cut));
    return file;
}

// Each 5-6-5 channel widened to eight bits, green from both bytes; the
// header refused when it claims a size below 1 or more data than the file
// holds (checked at the exact end), or the offset is before the file.
TEST(PictureDecoder, DecodesOnlyWhatTheFileHolds) {
    const std::tuple<Bytes, std::int64_t, bool> cases[] = {
        {PictureAt(0), 0, true},           {PictureAt(40), 40, true},
        {PictureAt(0, 3, 2, 1), 0, false}, {PictureAt(8, 0, 2), 8, false},
        {PictureAt(8, 2, 0), 8, false},    {PictureAt(8, 32767, 32767), 8, false},
        {PictureAt(0), -1, false}};
    const std::vector<Rgba> pixels{Rgb(7, 3, 7),   Rgb(255, 255, 255), Rgb(255, 3, 7),
                                   Rgb(7, 3, 255), Rgb(7, 255, 7),     Rgb(23, 71, 167)};
    for (const auto& [file, offset, ok] : cases) {
        const auto decoded = DecodePicture(file, offset);
        ASSERT_EQ(decoded.has_value(), ok) << file.size() << " bytes from " << offset;
        if (ok) {
            EXPECT_EQ(std::pair(decoded->width, decoded->height), std::pair(3, 2));
            EXPECT_EQ(decoded->pixels, pixels);
        }
    }
}

// The last record whose cleaned name matches ignoring case; the index is left
// cleaned.
TEST(PictureDecoder, LoadsThePictureOfTheLastMatchingRecord) {
    fixtures::TempDir folder;
    const Bytes file = fixtures::PictureFile(
        {{"dunes", 1, 1, {1}}, {"\tDUNES\r\n", 1, 1, {9}}, {"hills", 1, 1, {5}}});
    const std::string path = folder.write(kPictureFileName, file);
    std::vector<PictureIndexEntry> index = ReadPictureIndex(file);
    EXPECT_EQ(LoadPicture(folder.file("missing"), index, "dunes"), std::nullopt);
    EXPECT_EQ(LoadPicture(path, index, "Dunes")->pixels, std::vector<Rgba>{Rgb(7, 3, 79)});
    EXPECT_EQ(index[1].name, PadText("DUNES", 32)) << "left cleaned";
}

// ---- View transform ----

// "dunes" has mpp 2 and its top-left corner at world (100, 300).
EditorState ThreeMaps() {
    EditorState state;
    state.mapCatalogue = {Map("steppe", 4.0f, -500, 700), Map("dunes", 2.0f, 100, 300),
                          Map("islands", 8.0f)};
    state.pictureIndex = {PictureRecord("dunes")};
    return state;
}

EditorState DunesScaled() {
    EditorState state = ThreeMaps();
    EXPECT_TRUE(SetMapScale(state, "dunes").messages.empty());
    return state;
}

// The last map whose cleaned name matches ignoring case gives the view its
// corner and its size from the float mpp widened. A map or picture not found
// or an mpp of 0 or NaN is reported; a name not found still takes the zoom of
// the map found before.
TEST(ViewTransform, SetMapScaleGivesTheLastMatchingMapsSystemOrSaysWhyNot) {
    constexpr float kNan = std::numeric_limits<float>::quiet_NaN();
    const auto tenth = static_cast<double>(0.1f);
    // map, currentMap before, no pictures, mpp of "DUNES"; currentMap, zoom after
    const std::tuple<const char*, int, bool, float, int, double> cases[] = {
        {"dUnEs", 0, false, 0.1f, 4, -tenth}, {"sahara", 0, false, 2.0f, 0, 123.0},
        {"sahara", 3, false, 2.0f, 3, -8.0},  {"dunes", 0, true, 2.0f, 4, -2.0},
        {"dunes", 0, false, 0.0f, 4, -0.0},   {"dunes", 0, false, kNan, 4, kNan}};
    for (const auto& [map, before, noPicture, mpp, after, zoom] : cases) {
        SCOPED_TRACE(testing::Message() << map << before << noPicture << mpp);
        EditorState state = ThreeMaps();
        state.mapCatalogue[1].name = std::string(" \x01") + "Dunes\t";
        state.mapCatalogue.push_back(Map("DUNES", mpp, -7, 9));
        state.pictureIndex.push_back(PictureRecord("dUNES  "));
        if (noPicture)
            state.pictureIndex.clear();
        state.currentMap = before;
        state.viewZoom = 123.0;
        const MapScaleResult result = SetMapScale(state, map);
        const bool ok = mpp == 0.1f;
        const ViewRect rect =
            ok ? ViewRect{-7, 9, static_cast<float>(-640 * tenth), static_cast<float>(-480 * tenth)}
               : ViewRect{};
        EXPECT_EQ(std::tuple(result.resizeView, state.viewRect, state.currentMap),
                  std::tuple(ok, rect, after));
        EXPECT_EQ(result.messages.size(), ok ? 0u : 1u);
        EXPECT_EQ(ok ? std::string() : result.messages.at(0).text,
                  ok ? "" : "Major error in Scale.");
        EXPECT_TRUE(std::isnan(zoom) ? std::isnan(state.viewZoom) : state.viewZoom == zoom);
        EXPECT_EQ(state.mapCatalogue[1].name, "Dunes       ") << "names are left cleaned";
    }
}

// Zooming scales the view; the picture's rectangle rounds half to even.
TEST(ViewTransform, PictureRectFollowsZoomAndPan) {
    const std::tuple<const char*, float, float, PixelRect> cases[] = {
        {"", 100, 300, {0, 0, 640, 480}},  {"i", 100, 300, {0, 0, 674, 505}},
        {"o", 100, 300, {0, 0, 610, 457}}, {"io", 100, 300, {0, 0, 642, 481}},
        {"", 80, 305, {-10, 2, 640, 480}}, {"", 80, 307, {-10, 4, 640, 480}}};
    for (const auto& [steps, left, top, rect] : cases) {
        EditorState state = DunesScaled();
        for (const char* step = steps; *step != '\0'; ++step)
            *step == 'i' ? ZoomIn(state) : ZoomOut(state);
        state.viewRect.left = left;
        state.viewRect.top = top;
        EXPECT_EQ(MapPictureRect(state), rect) << steps << " " << left << " " << top;
    }
    EditorState state = DunesScaled();
    for (double zoom : {0.0, -1e-300}) {
        state.viewZoom = zoom;
        EXPECT_EQ(MapPictureRect(state), std::nullopt) << zoom;
    }
    EXPECT_EQ(MapPictureRect(ThreeMaps()), std::nullopt) << "no current map";
}

TEST(ViewTransform, ResizeKeepsTheMarginsWhileTheyFit) {
    EXPECT_EQ(DrawingAreaSize({5, 3}), (ViewSize{1, 0})) << "inside the border";
    const ViewSize cases[][3] = {{{640, 480}, {9, 34}, {1, 1}},
                                 {{640, 480}, {8, 513}, {640, 480}},
                                 {{640, 480}, {648, 33}, {640, 480}},
                                 {{300, 200}, {-5, 1000}, {300, 967}}};
    for (const auto& [view, client, expected] : cases)
        EXPECT_EQ(ResizedViewSize(view, client), expected)
            << client.width << " x " << client.height;
}

// Reset (its success through the editor) leaves the view alone until a map
// is loaded, and for a map without a usable mpp.
TEST(ViewTransform, ResetNeedsALoadedMapWithAnMpp) {
    for (const auto& [loaded, mpp] : {std::pair(false, 2.0f), std::pair(true, 0.0f)}) {
        EditorState state = DunesScaled();
        ZoomIn(state);
        state.mapLoaded = loaded;
        state.mapCatalogue[1].mpp = mpp;
        const EditorState before = state;
        ResetView(state, {800, 600});
        EXPECT_EQ(std::pair(state.viewRect, state.viewZoom),
                  std::pair(before.viewRect, before.viewZoom));
    }
}

// ---- Painting ----

constexpr QRgb kBackground = 0xff102030;

QImage Render(const EditorState& state, const QImage& surface = {}, QSize size = {640, 480}) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    PaintMapView(painter, state, surface, size, QColor::fromRgb(kBackground));
    return image;
}

// A loaded view where world (x, z) is drawing-area pixel (x, z) by default.
EditorState Loaded(std::vector<EntryTree> entries, ViewRect rect = {0, 0, 636, 476}) {
    EditorState state;
    state.mapLoaded = true;
    state.viewRect = rect;
    state.mission.missionEntries = std::move(entries);
    return state;
}

EditorState Changed(EditorState state, const std::function<void(EditorState&)>& change) {
    change(state);
    return state;
}

// Drawing-area pixels (x, y) and their colours.
using Pixels = std::vector<std::tuple<int, int, QRgb>>;

// Pixels of one colour at x, y pairs.
Pixels At(QRgb colour, std::initializer_list<int> xy) {
    Pixels pixels;
    for (const int* p = xy.begin(); p != xy.end(); p += 2)
        pixels.push_back({p[0], p[1], colour});
    return pixels;
}

void ExpectPixels(const QImage& image, const Pixels& pixels) {
    for (const auto& [x, y, colour] : pixels)
        EXPECT_EQ(image.pixel(x + kViewBorder, y + kViewBorder) | 0xff000000u, colour)
            << x << ", " << y;
}

Pixels All(std::initializer_list<Pixels> parts) {
    Pixels all;
    for (const Pixels& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The outline of the unit box around (x, z) and the background just off it.
Pixels Box(int x, int z, QRgb c) {
    return All({At(c, {x - 5, z - 5, x + 5, z - 5, x - 5, z + 5, x + 5, z + 5, x, z - 5, x, z + 5,
                       x - 5, z, x + 5, z}),
                At(kBackground, {x, z, x - 6, z, x + 6, z, x, z - 6, x, z + 6})});
}

// Two unit entries, the second unit of the second selected (its node 12 is
// also a unit of the first); the colour of each box in turn.
EditorState Selecting(bool moveMode) {
    return Changed(
        Loaded({Entry("aiv_other", {{"player_9", "400", "400"}, {"player_8", "420", "400"}}),
                Entry("aiv_units", {{"player_1", "100", "100"}, {"player_2", "200", "100"}})}),
        [&](EditorState& s) { s.moveMode = moveMode, s.selectedEntry = 1, s.selectedNode = 12; });
}
Pixels Boxes(QRgb first, QRgb second, QRgb third) {
    return All({Box(100, 100, first), Box(200, 100, second), Box(420, 400, third)});
}

// Dunes opened and zoomed in `zoomIns` times; its world origin is at
// drawing-area pixel (50, 149) before any zoom.
EditorState Dunes(int zoomIns) {
    EditorState state = DunesScaled();
    state.mapLoaded = true;
    for (int i = 0; i < zoomIns; ++i)
        ZoomIn(state);
    return state;
}

QImage Surface(int width, int height, const std::function<Rgba(int, int)>& colour) {
    DecodedPicture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.pixels.push_back(colour(x, y));
    return MakeMapSurface(picture, Qt::white);
}

EntryTree Rectangle(std::string_view name) {
    return Region(name, {{"100", "100"}, {"200", "100"}, {"200", "150"}, {"100", "150"}});
}

TEST(MapPainter, PaintsEverySceneExactly) {
    const QRgb in = kInsideRegionColour, other = kOtherRegionColour, cyan = kUnitColour,
               axis = kAxisColour, bg = kBackground;
    const QRgb red = 0xffff0000, black = 0xff000000;
    // Ten drawing-area pixels per world unit; each segment starts at the
    // previous corner rounded to whole world units and ends at the exact corner.
    const auto tenPerUnit = [](int z, std::string firstX, std::string secondX) {
        const std::string at = std::to_string(z), below = std::to_string(z + 3);
        return Region("reg_inside", {{firstX, at}, {secondX, at}, {firstX, below}});
    };
    const std::vector<EntryTree> absurd = {
        Region("reg_inside", {{"-1e30", "10"}, {"1e30", "10"}, {"1e999", "-1e999"}}),
        Region("reg_border", {{"-1e300", "-1e300"}, {"1e300", "1e300"}}),
        Entry("aiv", {{"player_1", "1e30", "1e30"},
                      {"player_2", "-1e999", "5"},
                      {"player_3", "x", "7e-400"}})};
    const QImage stripe =
        Surface(640, 480, [](int x, int) { return x >= 300 && x < 340 ? 0xff0000u : 0u; });
    const QImage quadrants = Surface(640, 480, [](int x, int y) {
        return x < 2 && y < 2 ? Rgba{0x112233} + 0x333333 * Rgba(2 * y + x) : 0u;
    });
    const auto region = [&](QRgb c) {
        return All({At(c, {150, 100, 200, 125}), At(bg, {150, 125})});
    };
    const struct {
        const char* what;
        EditorState state;
        Pixels pixels;
        QImage surface = {};
    } scenes[] = {
        {"a sunken border, nothing else before a map is loaded",
         Changed(Loaded({Rectangle("reg_inside_1"), Entry("aiv_u", {{"player_1", "50", "50"}})}),
                 [](EditorState& s) { s.mapLoaded = false; }),
         All({At(kBorderOuterShadow, {-2, -2, 318, -2, -2, 238}),
              At(kBorderOuterLight, {318, 477, 637, 238}),
              At(kBorderInnerShadow, {-1, -1, 318, -1, -1, 238}),
              At(kBorderInnerLight, {318, 476, 636, 238}),
              At(bg, {0, 0, 635, 475, 150, 100, 45, 50, 0, 100})})},
        // The kind is characters 5 to 10 of the cleaned name.
        {"reg_outsid", Loaded({Rectangle("reg_outsid")}), region(kOutsideRegionColour)},
        {"reg_Inside", Loaded({Rectangle("reg_Inside")}), region(other)},
        {"name cleaned first", Loaded({Rectangle("\x02reg_inside")}), region(in)},
        {"Reg_inside", Loaded({Rectangle("Reg_inside")}), region(bg)},
        // A closed outline; a lone corner is one pixel; a corner cut short
        // (no Z node) is skipped.
        {"outlines",
         Changed(Loaded({Region("reg_inside", {{"100", "100"}, {"200", "100"}, {"200", "200"}}),
                         Region("reg_border", {{"300.4", "200"}}),
                         Region("reg_border", {{"100", "400"}, {"200", "400"}})}),
                 [](EditorState& s) {
                     for (const char* text : {"node_3", "7", "pos", "4", "400", "0"})
                         s.mission.missionEntries[2].nodes.emplace_back(kNodeFloat, -1, text);
                 }),
         All({At(in, {150, 100, 200, 150, 150, 150}), At(bg, {170, 130}), At(other, {300, 200}),
              At(bg, {299, 200, 301, 200, 300, 199, 300, 201}), At(other, {150, 400}),
              At(bg, {300, 400})})},
        {"rounded segment starts",
         Loaded({tenPerUnit(10, "10.6", "30"), tenPerUnit(20, "10.5", "30"),
                 tenPerUnit(30, "11.5", "30"), tenPerUnit(40, "10", "30.4")},
                {0, 0, 63.6f, 47.6f}),
         All({At(in, {106, 100, 110, 100, 105, 200, 100, 200, 115, 300, 120, 300, 304, 400}),
              At(bg, {109, 100, 99, 200, 119, 300, 305, 400})})},
        // Units of every unit entry, by unit names only, moved by the node
        // shift (regions are not); one without its angle node is skipped.
        {"units",
         Changed(Loaded({Entry("aiv_first", {{"player_1", "100", "100"}, {"tank_2", "300", "100"}}),
                         Entry("units.prd", {{"player_3", "100", "300"}}),
                         Entry("aiv_second", {{"remote_4", "200", "100"}}),
                         Entry("aiv_cut", {{"stealth_5", "400", "100"}}),
                         Region("reg_inside", {{"100", "200"}, {"200", "200"}})}),
                 [](EditorState& s) {
                     s.mission.missionEntries[3].nodes.pop_back();
                     s.nodeShiftX = 10.0f, s.nodeShiftZ = -20.0f;
                 }),
         All({Box(110, 80, cyan), Box(210, 80, cyan), At(bg, {305, 80, 105, 280, 405, 80}),
              At(in, {150, 200})})},
        {"selected in move mode", Selecting(true), Boxes(cyan, kSelectedUnitColour, cyan)},
        {"selected outside move mode", Selecting(false), Boxes(cyan, cyan, cyan)},
        {"axes drawn last",
         Loaded({Entry("aiv", {{"player_1", "0", "50"}})}, {-318, -238, 636, 476}),
         All({At(axis, {318, 0, 318, 475, 0, 238, 635, 238, 318, 283}), At(cyan, {314, 283})})},
        {"picture zoomed in", Dunes(1), All({At(black, {305, 300}), At(red, {320, 300, 345, 300})}),
         stripe},
        {"picture stretched by Qt", Dunes(40),
         All({At(0xff112233, {4, 4}), At(0xff445566, {12, 4}), At(0xff778899, {4, 12}),
              At(0xffaabbcc, {12, 12}), At(black, {24, 4})}),
         quadrants},
        {"picture pixels filled one by one", Dunes(100),
         All({At(0xff112233, {84, 84}), At(0xff445566, {253, 84}), At(0xff778899, {84, 253}),
              At(black, {507, 84})}),
         quadrants},
        {"absurd coordinates", Loaded(absurd),
         All({At(in, {300, 10}), At(other, {100, 100}), At(cyan, {5, 5})})},
        {"every object far beyond the view", Loaded(absurd, {0, 0, 1e-30f, 1e-30f}),
         At(bg, {300, 200, 318, 238})},
        {"a zero view rect draws nothing", Loaded(absurd, {0, 0, 0, 0}), At(bg, {300, 200, 0, 0})},
    };
    for (const auto& scene : scenes) {
        SCOPED_TRACE(scene.what);
        ExpectPixels(Render(scene.state, scene.surface), scene.pixels);
    }
    EXPECT_EQ(Render(Loaded({Rectangle("reg_inside")}), {}, {3, 3}).pixel(0, 0),
              kBorderOuterShadow);
}

// On a denser screen a unit box is filled as device-pixel rectangles; it must
// cover exactly the pixels of its four one-pixel lines, also where the drawing
// area's edge cuts it. The axes lie far outside the view.
TEST(MapPainter, AUnitBoxHasThePixelsOfItsOutlineAtEveryWholeRatio) {
    const int cases[][3] = {{1, 100, 200}, {2, 100, 200}, {3, 100, 200},
                            {2, 1, 300},   {2, 633, 473}, {3, -4, 2}};
    for (const auto& [ratio, x, z] : cases) {
        const auto paint = [&, ratio = ratio](std::vector<Point> units) {
            QImage image(QSize(640, 480) * ratio, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            QPainter painter(&image);
            PaintMapView(painter, Loaded({Entry("aiv", units)}, {1000, 1000, 636, 476}), {},
                         {640, 480}, QColor::fromRgb(kBackground));
            return image;
        };
        QImage expected = paint({});
        QPainter painter(&expected);
        painter.setClipRect(QRect(kViewBorder, kViewBorder, 636, 476));
        QPen pen(QColor::fromRgb(kUnitColour));
        pen.setCosmetic(true);
        painter.setPen(pen);
        // The sides clipped to the drawing area, in view pixels (border 2).
        const int l = std::max(x - 5, -2) + 2, r = std::min(x + 5, 637) + 2;
        const int t = std::max(z - 5, -2) + 2, b = std::min(z + 5, 477) + 2;
        const QLine outline[] = {{l, t, r, t}, {r, t, r, b}, {r, b, l, b}, {l, b, l, t}};
        painter.drawLines(outline, 4);
        painter.end();
        EXPECT_EQ(paint({{"player_1", std::to_string(x + 1000), std::to_string(z + 1000)}}),
                  expected)
            << "ratio " << ratio << " at " << x << ", " << z;
    }
}

// A drag step repaints only the selected unit's area before and after the
// move. That must give the pixels of painting the whole view again, at every
// whole ratio, at a scale that rounds, with a node shift, where the drawing
// area's edge cuts the box and over another unit.
TEST(MapPainter, RepaintingAMovedUnitsAreasGivesTheWholeViewsPixels) {
    const struct {
        int ratio;
        ViewRect view;
        float shift;
        Point from, to;
    } cases[] = {
        {1, {0, 0, 636, 476}, 0, {"", "100", "100"}, {"", "120", "104"}},
        {2, {0.3f, 0.7f, 411.5f, 333.3f}, 0, {"", "100.6", "99"}, {"", "60.4", "140.3"}},
        {3, {0, 0, 636, 476}, 2.5f, {"", "500", "300"}, {"", "400", "250"}},
        {3, {0, 0, 636, 476}, 0, {"", "600", "440"}, {"", "634", "474"}},
        {2, {0, 0, 636, 476}, 0, {"", "-3", "200"}, {"", "30", "203"}},
    };
    for (const auto& [ratio, view, shift, from, to] : cases) {
        EditorState state = Loaded(
            {Entry("aiv", {{"player_1", from[1], from[2]}, {"player_2", "103", "101"}})}, view);
        state.moveMode = true, state.selectedEntry = 0, state.selectedNode = 4;
        state.nodeShiftX = state.nodeShiftZ = shift;
        const QSize size(640, 480);
        const auto paint = [&](QImage& image, QRect area) {
            QPainter painter(&image);
            painter.setClipRect(area);
            PaintMapView(painter, state, {}, size, QColor::fromRgb(kBackground));
        };
        QImage stepped(size * ratio, QImage::Format_RGB32);
        stepped.setDevicePixelRatio(ratio);
        QImage whole = stepped;
        paint(stepped, QRect(QPoint(0, 0), size));
        const QRect before = SelectedUnitArea(state, size);
        state.mission.missionEntries[0].nodes[8].setText(to[1]);
        state.mission.missionEntries[0].nodes[10].setText(to[2]);
        paint(stepped, before | SelectedUnitArea(state, size));
        paint(whole, QRect(QPoint(0, 0), size));
        EXPECT_EQ(stepped, whole) << "ratio " << ratio << " to " << to[1] << ", " << to[2];
    }
}

// The view keeps the background, the picture and the regions as a layer, and
// the units over it as a second one, between repaints. They must show exactly
// what painting everything again shows after any change of a text (an edit or
// its undo), a name, the selection, the node shift, the view, the picture or
// the size; the first is drawn again only when the regions or the view change.
TEST(MapPainter, TheViewsLayerShowsWhatPaintingAgainShowsAndIsKeptWhileThatHolds) {
    EditorState state = Dunes(0);
    // The view is larger than the picture; one region and the unit lie
    // beside it.
    state.mission.missionEntries = {
        Region("reg_inside_1", {{"-100", "100"}, {"-300", "100"}, {"-300", "0"}}),
        Region("reg_border_2", {{"-900", "-150"}, {"-1000", "-150"}, {"-1000", "-200"}}),
        Entry("aiv", {{"player_1", "-1100", "-500"}, {"player_2", "-1094", "-497"}})};
    QImage surface =
        Surface(640, 480, [](int x, int) { return x >= 100 && x < 140 ? 0xff0000u : 0u; });
    QSize size(900, 600);
    const auto paint = [&](MapLayers* layers) {
        QImage image(size * 2, QImage::Format_RGB32);
        image.setDevicePixelRatio(2);
        QPainter painter(&image);
        PaintMapView(painter, state, surface, size, QColor::fromRgb(kBackground), layers);
        return image;
    };
    const auto regionNode = [&](int k) -> ReaderNode& {
        return state.mission.missionEntries[0].nodes[static_cast<std::size_t>(k)];
    };
    // The first unit's name is node 4, its X 8 and Z 10; the second's 12, 16, 18.
    NodeList& units = state.mission.missionEntries[2].nodes;
    const struct {
        const char* what;
        std::function<void()> change;
        bool drawnAgain;
    } steps[] = {
        {"first paint", [] {}, true},
        {"nothing changed", [] {}, false},
        {"a unit moved", [&] { units[8].setText("-1150"); }, false},
        {"and back and down", [&] { units[8].setText("-1100"), units[10].setText("-450"); }, false},
        {"a unit moved onto another", [&] { units[18].setText("-447"); }, false},
        {"the lower one moved away", [&] { units[10].setText("-400"); }, false},
        {"a unit renamed away", [&] { units[12].setText("tank_2"); }, false},
        {"a node renamed into a unit", [&] { units[12].setText("remote_2"); }, false},
        {"a unit selected", [&] { state.moveMode = true, state.selectedEntry = 2; }, false},
        {"its name node selected", [&] { state.selectedNode = 4; }, false},
        {"the node shift", [&] { state.nodeShiftZ = 12.5f; }, false},
        {"a unit lost its angle", [&] { units.pop_back(); }, false},
        {"a corner moved", [&] { regionNode(8).setText("-150"); }, true},
        {"the move undone", [&] { regionNode(8).setText("-100"); }, true},
        {"a corner renamed", [&] { regionNode(12).setText("node_x"); }, true},
        {"the region's kind", [&] { state.mission.missionEntries[0].name[5] = 'o'; }, true},
        {"panned", [&] { state.viewRect.left -= 20.0f; }, true},
        {"another picture", [&] { surface.setPixel(0, 0, 0xff00ff00); }, true},
        {"resized",
         [&] {
             size = {700, 500};
         },
         true},
        {"map unloaded", [&] { state.mapLoaded = false; }, true},
    };
    MapLayers layers;
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const int before = layers.base.redrawCount();
        step.change();
        EXPECT_EQ(paint(&layers), paint(nullptr));
        EXPECT_EQ(layers.base.redrawCount() - before, step.drawnAgain ? 1 : 0);
    }
}

// The picture's pixels on the background, at least the view's size; an
// incomplete picture gives the background only.
TEST(MapPainter, MakesASurfaceOfAtLeastTheViewOnTheBackground) {
    const QImage small = Surface(3, 2, [](int x, int y) { return Rgba(0x010000 * x + y); });
    EXPECT_EQ(std::tuple(small.size(), small.pixel(2, 1), small.pixel(3, 0), small.pixel(0, 2)),
              std::tuple(QSize(640, 480), qRgb(2, 0, 1), qRgb(255, 255, 255), qRgb(255, 255, 255)));
    EXPECT_EQ(Surface(700, 500, [](int, int) { return 0xabcdefu; }).pixel(699, 499), 0xffabcdef);
    const QImage incomplete = MakeMapSurface({4, 4, std::vector<Rgba>(15, 0xffffff)}, Qt::black);
    EXPECT_EQ(std::pair(incomplete.size(), incomplete.pixel(0, 0)),
              std::pair(QSize(640, 480), qRgb(0, 0, 0)));
}

// ---- Showing a mission's maps ----

PictureSpec Filled(std::string name, std::int16_t width, std::int16_t height, std::uint16_t pixel) {
    return {std::move(name), width, height, std::vector<std::uint16_t>(width * height, pixel)};
}

// Each name shown checks its items (and only those) and loads its map's
// picture, decoded once, onto the background, and scale; the surface is kept
// when nothing matches and cleared when the map has no picture.
TEST(MissionMap, ChecksTheMatchingItemsAndLoadsTheirPictureAndScale) {
    fixtures::TempDir folder;
    const std::string rimage = folder.write(
        "rimage.pbd",
        fixtures::PictureFile({Filled("dunes", 4, 3, 0xF800), Filled("Forest", 2, 2, 0x1F)}));
    QImage previous(640, 480, QImage::Format_RGB32);
    previous.fill(Qt::magenta);
    // Check marks before and after; the surface: 'p' previous, 'd' dunes, 'c'
    // cleared; a scale error, resizeView, mapLoaded and currentMap.
    using Marks = std::vector<bool>;
    const std::tuple<std::vector<std::string>, Marks, Marks, char, bool, bool, bool, int> cases[] =
        {{{"Dunes", "dunes"}, {0, 1, 1}, {1, 0, 0}, 'd', false, true, true, 1},
         {{"Forest"}, {0, 1, 0}, {0, 0, 0}, 'p', false, false, false, 0}, // capitals never match
         {{"dunes", "island", "nowhere"}, {0, 0, 1}, {0, 0, 0}, 'c', true, true, true, 3}};
    for (const auto& [maps, before, after, surface, error, resize, loaded, current] : cases) {
        SCOPED_TRACE(maps.back());
        EditorState state;
        state.mapCatalogue = {Map("dunes", 2.0f, 100, 300), Map("Forest", 1.0f),
                              Map("island", 4.0f)};
        state.pictureIndex = ReadPictureIndexFile(rimage);
        int rows = 0;
        const MissionMapResult result =
            ShowMissionMaps(state, {"dunes", "Forest", "island"}, maps, rimage, before, previous,
                            Qt::white, [&rows] { ++rows; });
        EXPECT_EQ(result.checked, after);
        EXPECT_EQ(std::tuple(result.messages.size(), result.resizeView, state.mapLoaded,
                             state.currentMap),
                  std::tuple(error ? 1u : 0u, resize, loaded, current));
        if (surface == 'd')
            EXPECT_EQ(std::tuple(result.surface.pixel(3, 2), result.surface.pixel(4, 2),
                                 result.surface.pixel(3, 3), result.surface.size(), rows),
                      std::tuple(qRgb(255, 3, 7), qRgb(255, 255, 255), qRgb(255, 255, 255),
                                 QSize(640, 480), 3));
        else
            EXPECT_EQ(result.surface, surface == 'p' ? previous : QImage());
    }
}

// ---- The command-line renderer ----

// The tool pins its refusals of the shared archive and the mission; a data
// folder without "reader.pbd" it never meets.
TEST(RenderMissionView, SaysWhenTheDataFolderHasNoSharedArchive) {
    fixtures::TempDir folder;
    const RenderResult result = RenderMissionView(folder.path().string(), folder.file("m.PBD"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.messages.at(0).text, "Bad Path!");
}

} // namespace
} // namespace kmission
