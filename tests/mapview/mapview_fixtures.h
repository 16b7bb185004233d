#pragma once

// Builders for the map view tests: catalogue records, mission entries with
// regions and units, and the one QApplication of a test program.

#include "editor_state.h"
#include "map_catalogue.h"
#include "reader_tree.h"
#include "text.h"

#include <QApplication>
#include <QColor>
#include <QImage>

#include <string>
#include <utility>
#include <vector>

namespace kmission::mapview_test {

// Never destroyed: at exit it would outlive Qt's own globals, and deleting the
// input devices it owns then crashes.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "mapview_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

inline MapInfo Map(std::string_view name, float mpp, std::int16_t offsetX = 0,
                   std::int16_t offsetZ = 0) {
    MapInfo map;
    map.name = PadText(name, kMapNameWidth);
    map.bitmap = PadText(name, kMapNameWidth);
    map.mpp = mpp;
    map.offsetX = offsetX;
    map.offsetZ = offsetZ;
    return map;
}

inline PictureIndexEntry PictureRecord(std::string_view name, std::int32_t offset = 0) {
    PictureIndexEntry record;
    record.name = std::string(name) + std::string(32 - name.size(), '\0');
    record.offset = offset;
    return record;
}

inline ReaderNode Text(std::string text) {
    const auto length = static_cast<std::int32_t>(text.size());
    return ReaderNode{kNodeString, length, std::move(text)};
}

inline ReaderNode Number(std::string text) {
    return ReaderNode{kNodeFloat, -1, std::move(text)};
}

inline ReaderNode Count(int count) {
    return ReaderNode{kNodeList, -1, std::to_string(count)};
}

// A point of a region or a unit in the game's layout: the name node k, then
// nodes k + 1 ... k + 7 with X at k + 4, the unused second value at k + 5, Z at
// k + 6 and the angle at k + 7 (corners carry one value node fewer).
struct Placed {
    std::string name;
    std::string x;
    std::string z;
};

inline void AppendPlaced(NodeList& nodes, const Placed& placed, bool withAngle) {
    nodes.push_back(Text(placed.name));
    nodes.push_back(Count(withAngle ? 7 : 6));
    nodes.push_back(Text("pos"));
    nodes.push_back(Count(4));
    nodes.push_back(Number(placed.x));
    nodes.push_back(Number("0"));
    nodes.push_back(Number(placed.z));
    if (withAngle) {
        nodes.push_back(Number("90"));
    }
}

inline EntryTree Entry(std::string_view name, NodeList nodes = {ReaderNode{}}) {
    EntryTree entry;
    entry.name = PadText(name, 64);
    entry.nodes = std::move(nodes);
    return entry;
}

// A region entry: a header setting, then one corner per point ("node_1", ...).
inline EntryTree Region(std::string_view name,
                        const std::vector<std::pair<std::string, std::string>>& corners) {
    NodeList nodes{ReaderNode{}, Text("count"), Count(2), Number(std::to_string(corners.size()))};
    int n = 1;
    for (const auto& [x, z] : corners) {
        AppendPlaced(nodes, {"node_" + std::to_string(n++), x, z}, false);
    }
    return Entry(name, std::move(nodes));
}

// A unit entry with its units in order.
inline EntryTree Units(std::string_view name, const std::vector<Placed>& units) {
    NodeList nodes{ReaderNode{}, Text("units"), Count(2), Number(std::to_string(units.size()))};
    for (const Placed& unit : units) {
        AppendPlaced(nodes, unit, true);
    }
    return Entry(name, std::move(nodes));
}

// The node number of the n-th (0-based) unit of an entry made by Units().
inline int UnitNode(int n) {
    return 4 + 8 * n;
}

inline QRgb RgbAt(const QImage& image, int x, int y) {
    return image.pixel(x, y) | 0xff000000u;
}

} // namespace kmission::mapview_test
