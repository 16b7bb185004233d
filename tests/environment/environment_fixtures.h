#pragma once

// Info entries built node by node in the layout the game writes: a setting is
// its key, a list node counting its values plus one, then the values; an
// effect block is its key, a list node counting its properties plus one, then
// one setting per property. The tests state which value they expect in which
// control by the property it belongs to, never by its position.

#include "editor_state.h"
#include "reader_tree.h"

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace kmission {

// Readable failures for node comparisons.
inline void PrintTo(const ReaderNode& node, std::ostream* os) {
    *os << "{" << node.type() << ", " << node.length() << ", \"" << node.text() << "\"}";
}

} // namespace kmission

namespace kmission::test {

struct Property {
    std::string name;
    std::vector<std::string> values;
    std::int32_t type = kNodeFloat;
};

class InfoNodes {
public:
    InfoNodes& node(std::int32_t type, std::string text) {
        const std::int32_t length =
            type == kNodeString ? static_cast<std::int32_t>(text.size()) : -1;
        nodes_.push_back(ReaderNode{type, length, std::move(text)});
        return *this;
    }
    InfoNodes& text(std::string text) { return node(kNodeString, std::move(text)); }
    InfoNodes& number(std::string text) { return node(kNodeFloat, std::move(text)); }
    InfoNodes& list(std::size_t count) { return node(kNodeList, std::to_string(count)); }

    // A named setting: key, list node, values.
    InfoNodes& setting(std::string key, const std::vector<std::string>& values,
                       std::int32_t type = kNodeFloat) {
        text(std::move(key)).list(values.size() + 1);
        for (const std::string& value : values) {
            node(type, value);
        }
        return *this;
    }
    InfoNodes& block(std::string key, const std::vector<Property>& properties) {
        text(std::move(key)).list(properties.size() + 1);
        for (const Property& property : properties) {
            setting(property.name, property.values, property.type);
        }
        return *this;
    }

    // The nodes built so far without the last `count`: a block cut short by
    // the end of the entry.
    InfoNodes& dropLast(std::size_t count) {
        nodes_.resize(nodes_.size() - count);
        return *this;
    }

    const NodeList& nodes() const { return nodes_; }

private:
    NodeList nodes_{ReaderNode{}};
};

// The six blocks with their properties in stored order.
inline InfoNodes& FogBlock(InfoNodes& info, const std::string& key, std::string horizon,
                           std::vector<std::string> color, std::vector<std::string> altitude,
                           std::vector<std::string> range, std::vector<std::string> hwRange) {
    return info.block(key, {{"hormode", {std::move(horizon)}, kNodeString},
                            {"color", std::move(color)},
                            {"altitude", std::move(altitude)},
                            {"range", std::move(range)},
                            {"hwrange", std::move(hwRange)}});
}

inline InfoNodes& RainBlock(InfoNodes& info, const std::string& key, std::string particles,
                            std::vector<std::string> color) {
    return info.block(
        key, {{"particles", {std::move(particles)}, kNodeInteger}, {"color", std::move(color)}});
}

inline InfoNodes& SunBlock(InfoNodes& info, const std::string& key,
                           std::vector<std::string> orientation, std::string diffuse,
                           std::string ambient) {
    return info.block(key, {{"orientation", std::move(orientation)},
                            {"diffuse", {std::move(diffuse)}},
                            {"ambient", {std::move(ambient)}}});
}

inline InfoNodes& UnderwaterBlock(InfoNodes& info, const std::string& key,
                                  std::vector<std::string> color, std::vector<std::string> range,
                                  std::vector<std::string> altitude) {
    return info.block(key, {{"color", std::move(color)},
                            {"range", std::move(range)},
                            {"altitude", std::move(altitude)}});
}

inline InfoNodes& WindBlock(InfoNodes& info, const std::string& key, std::string direction,
                            std::string velocity, std::string gravity,
                            std::vector<std::string> alphaGradient) {
    return info.block(key, {{"dir", {std::move(direction)}},
                            {"velocity", {std::move(velocity)}},
                            {"gravity", {std::move(gravity)}},
                            {"alpha_gradient", std::move(alphaGradient)}});
}

inline InfoNodes& GlobalWindBlock(InfoNodes& info, const std::string& key,
                                  std::vector<std::string> velocity, std::string maxSpeed,
                                  std::string randomAccel, std::string randomAngVel) {
    return info.block(key, {{"velocity", std::move(velocity)},
                            {"max_speed", {std::move(maxSpeed)}},
                            {"random_accel", {std::move(randomAccel)}},
                            {"random_ang_vel", {std::move(randomAngVel)}}});
}

// Every setting once, each value a text of its own.
inline InfoNodes FullEnvironment() {
    InfoNodes info;
    info.setting("db_name", {"Storm Front"}, kNodeString);
    info.setting("ambient_temperature", {"21.5"});
    info.setting("jet_ceiling", {"9000"});
    FogBlock(info, "fog", "horblack", {"31", "32", "33"}, {"34", "35"}, {"36", "37"}, {"38", "39"});
    RainBlock(info, "rain", "41", {"42", "43", "44"});
    SunBlock(info, "sun", {"51", "52", "53"}, "54", "55");
    UnderwaterBlock(info, "underwater", {"61", "62", "63"}, {"64", "65"}, {"66", "67"});
    WindBlock(info, "wind", "71", "72", "73", {"74", "75"});
    GlobalWindBlock(info, "global_wind", {"81", "82", "83"}, "84", "85", "86");
    info.setting("MAP", {"desert"}, kNodeString);
    return info;
}

// The first value node whose text is `text`, for checks that name a value by
// what it holds (list nodes hold counts and are passed over).
inline std::size_t NodeHolding(const NodeList& nodes, const std::string& text) {
    for (std::size_t k = 1; k < nodes.size(); ++k) {
        if (nodes[k].type() != kNodeList && nodes[k].text() == text) {
            return k;
        }
    }
    return 0;
}

// The nodes in which two node lists differ, one line each; empty when equal.
inline std::string NodeDifferences(const NodeList& actual, const NodeList& expected) {
    std::ostringstream out;
    if (actual.size() != expected.size()) {
        out << actual.size() << " nodes instead of " << expected.size() << "\n";
    }
    for (std::size_t k = 0; k < std::min(actual.size(), expected.size()); ++k) {
        if (!(actual[k] == expected[k])) {
            out << "node " << k << ": ";
            PrintTo(actual[k], &out);
            out << " instead of ";
            PrintTo(expected[k], &out);
            out << "\n";
        }
    }
    return out.str();
}

inline EntryTree Entry(const std::string& name, NodeList nodes) {
    EntryTree entry;
    entry.name = name;
    entry.name.resize(64, ' ');
    entry.nodes = std::move(nodes);
    return entry;
}

// A mission with a unit entry before the info entry, as opened missions have.
inline MissionModel MissionWith(const NodeList& info) {
    MissionModel mission;
    InfoNodes units;
    units.text("player1").list(3).number("100").number("200");
    mission.missionEntries.push_back(Entry("aivehicles.prd", units.nodes()));
    mission.missionEntries.push_back(Entry("mpinfo.prd", info));
    return mission;
}

} // namespace kmission::test
