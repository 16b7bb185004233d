#pragma once

// Info entries built node by node in the layout the game writes: a setting is
// its key, a list node counting its values plus one, then the values; an
// effect block is its key, a list node counting its properties plus one, then
// one setting per property. Tests name a value by the text it holds, never by
// its position.

#include "core_fixtures.h"
#include "editor_state.h"
#include "environment_values.h"

#include <map>

namespace kmission::test {

class InfoNodes {
public:
    InfoNodes& node(std::int32_t type, std::string text) {
        nodes_.push_back(fixtures::Node(type, std::move(text)));
        return *this;
    }
    InfoNodes& text(std::string text) { return node(kNodeString, std::move(text)); }
    InfoNodes& number(std::string text) { return node(kNodeFloat, std::move(text)); }
    InfoNodes& list(std::size_t count) { return node(kNodeList, std::to_string(count)); }
    InfoNodes& setting(std::string key, const std::vector<std::string>& values,
                       std::int32_t type = kNodeFloat) {
        text(std::move(key)).list(values.size() + 1);
        for (const std::string& value : values) {
            node(type, value);
        }
        return *this;
    }
    // An effect block headed by `key` (any spelling), its properties in stored
    // order filled from `values` one after the other.
    InfoNodes& block(EnvironmentKey effect, std::string key,
                     const std::vector<std::string>& values) {
        struct Property {
            const char* name;
            std::size_t count;
            std::int32_t type = kNodeFloat;
        };
        static const std::map<EnvironmentKey, std::vector<Property>> kProperties = {
            {EnvironmentKey::Fog,
             {{"hormode", 1, kNodeString},
              {"color", 3},
              {"altitude", 2},
              {"range", 2},
              {"hwrange", 2}}},
            {EnvironmentKey::Rain, {{"particles", 1, kNodeInteger}, {"color", 3}}},
            {EnvironmentKey::Sun, {{"orientation", 3}, {"diffuse", 1}, {"ambient", 1}}},
            {EnvironmentKey::Underwater, {{"color", 3}, {"range", 2}, {"altitude", 2}}},
            {EnvironmentKey::Wind,
             {{"dir", 1}, {"velocity", 1}, {"gravity", 1}, {"alpha_gradient", 2}}},
            {EnvironmentKey::GlobalWind,
             {{"velocity", 3}, {"max_speed", 1}, {"random_accel", 1}, {"random_ang_vel", 1}}},
        };
        const std::vector<Property>& properties = kProperties.at(effect);
        text(std::move(key)).list(properties.size() + 1);
        auto value = values.begin();
        for (const Property& property : properties) {
            setting(property.name, {value, value + static_cast<long>(property.count)},
                    property.type);
            value += static_cast<long>(property.count);
        }
        return *this;
    }
    const NodeList& nodes() const { return nodes_; }

private:
    NodeList nodes_{ReaderNode{}};
};

// Every setting once, each value a text of its own: fog 31 ..., rain 41 ...
inline NodeList FullEnvironment() {
    InfoNodes info;
    info.setting("db_name", {"Storm Front"}, kNodeString);
    info.setting("ambient_temperature", {"21.5"}).setting("jet_ceiling", {"9000"});
    info.block(EnvironmentKey::Fog, "fog",
               {"horblack", "31", "32", "33", "34", "35", "36", "37", "38", "39"});
    info.block(EnvironmentKey::Rain, "rain", {"41", "42", "43", "44"});
    info.block(EnvironmentKey::Sun, "sun", {"51", "52", "53", "54", "55"});
    info.block(EnvironmentKey::Underwater, "underwater",
               {"61", "62", "63", "64", "65", "66", "67"});
    info.block(EnvironmentKey::Wind, "wind", {"71", "72", "73", "74", "75"});
    info.block(EnvironmentKey::GlobalWind, "global_wind", {"81", "82", "83", "84", "85", "86"});
    return info.setting("MAP", {"desert"}, kNodeString).nodes();
}

// The first value node (list nodes hold counts) whose text is `text`.
inline std::size_t NodeHolding(const NodeList& nodes, const std::string& text) {
    for (std::size_t k = 1; k < nodes.size(); ++k) {
        if (nodes[k].type() != kNodeList && nodes[k].text() == text) {
            return k;
        }
    }
    return 0;
}

// `nodes` with the value node holding each first text set to the second.
inline NodeList Edited(NodeList nodes, const std::map<std::string, std::string>& edits) {
    const NodeList before = nodes;
    for (const auto& [from, to] : edits) {
        nodes[NodeHolding(before, from)].setText(to);
    }
    return nodes;
}

} // namespace kmission::test
