#include "environment_values.h"

#include "text.h"

#include <algorithm>

namespace kmission {

namespace {

struct KeyInfo {
    std::string_view text;
    bool lowerCased; // compared after lower-casing the node text
};

constexpr std::array<KeyInfo, kEnvironmentKeyCount> kKeys = {{
    {"ambient_temperature", false},
    {"jet_ceiling", false},
    {"fog", false},
    {"rain", true},
    {"sun", true},
    {"underwater", true},
    {"wind", true},
    {"global_wind", true},
}};

constexpr ValueSlot kAmbientTemperatureSlots[] = {{2, "txtAmbientTemperature"}};
constexpr ValueSlot kJetCeilingSlots[] = {{2, "txtJetCeiling"}};
constexpr ValueSlot kFogSlots[] = {
    {4, kHorizonControl}, {7, "txtRed"},        {8, "txtGreen"},   {9, "txtBlue"},
    {12, "txtAltitude1"}, {13, "txtAltitude2"}, {16, "txtRange1"}, {17, "txtRange2"},
    {20, "txtHWRange1"},  {21, "txtHWRange2"},
};
constexpr ValueSlot kRainSlots[] = {
    {7, "txtRed"},
    {8, "txtGreen"},
    {9, "txtBlue"},
    {4, "txtParticles"},
};
constexpr ValueSlot kSunSlots[] = {
    {4, "txtSunOrientation", 0}, {5, "txtSunOrientation", 1}, {6, "txtSunOrientation", 2},
    {9, "txtDiffuse"},           {12, "txtAmbient"},
};
constexpr ValueSlot kUnderwaterSlots[] = {
    {4, "txtRed"},     {5, "txtGreen"},      {6, "txtBlue"},       {9, "txtRange1"},
    {10, "txtRange2"}, {13, "txtAltitude1"}, {14, "txtAltitude2"},
};
constexpr ValueSlot kWindSlots[] = {
    {4, "txtDir"},
    {7, "txtVelocity"},
    {10, "txtGravity"},
    {13, "txtAlphagradient1"},
    {14, "txtAlphagradient2"},
};
constexpr ValueSlot kGlobalWindSlots[] = {
    {4, "txtGWindVel", 0}, {5, "txtGWindVel", 1},  {6, "txtGWindVel", 2},
    {9, "txtMaxSpeed"},    {12, "txtRandomAccel"}, {15, "txtRandomAngVel"},
};

// Whether CleanText of `text`, lower-cased first when asked, equals `key`,
// without building either text: every node is tested against every key, and
// nearly none is a key. Cleaning drops the bytes below a space and trims the
// spaces at both ends; a key holds neither.
bool CleanedTextEquals(std::string_view text, std::string_view key, bool lowerCased) {
    if (text.size() < key.size()) {
        return false;
    }
    const auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size() && byte(i) <= ' ') {
        ++i;
    }
    std::size_t matched = 0;
    for (; i < text.size() && matched < key.size(); ++i) {
        char c = text[i];
        if (byte(i) < ' ') {
            continue;
        }
        if (lowerCased && c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != key[matched]) {
            return false;
        }
        ++matched;
    }
    if (matched < key.size()) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (byte(i) > ' ') {
            return false;
        }
    }
    return true;
}

} // namespace

std::string_view KeyText(EnvironmentKey key) {
    return kKeys[KeyIndex(key)].text;
}

std::optional<EnvironmentKey> EffectForListEntry(std::string_view entry) {
    for (EnvironmentKey key : kEffectKeys) {
        if (entry == KeyText(key)) {
            return key;
        }
    }
    return std::nullopt;
}

bool MatchesKey(EnvironmentKey key, std::string_view nodeText) {
    const KeyInfo& info = kKeys[KeyIndex(key)];
    return CleanedTextEquals(nodeText, info.text, info.lowerCased);
}

int HorizonIndex(std::string_view text) {
    for (std::size_t i = 0; i < kHorizonModes.size(); ++i) {
        if (text == kHorizonModes[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::span<const ValueSlot> ValueSlots(EnvironmentKey key) {
    switch (key) {
    case EnvironmentKey::AmbientTemperature:
        return kAmbientTemperatureSlots;
    case EnvironmentKey::JetCeiling:
        return kJetCeilingSlots;
    case EnvironmentKey::Fog:
        return kFogSlots;
    case EnvironmentKey::Rain:
        return kRainSlots;
    case EnvironmentKey::Sun:
        return kSunSlots;
    case EnvironmentKey::Underwater:
        return kUnderwaterSlots;
    case EnvironmentKey::Wind:
        return kWindSlots;
    case EnvironmentKey::GlobalWind:
        return kGlobalWindSlots;
    }
    return {};
}

std::vector<KeyMatch> ScanEnvironment(const NodeList& nodes) {
    std::vector<KeyMatch> matches;
    for (std::size_t j = 0; j + 1 < nodes.size(); ++j) {
        if (nodes[j + 1].type() != kNodeList) {
            continue;
        }
        for (EnvironmentKey key : kEnvironmentKeys) {
            if (MatchesKey(key, nodes[j].text())) {
                matches.push_back({static_cast<int>(j), key});
            }
        }
    }
    return matches;
}

namespace {

bool HasSlotAt(std::span<const ValueSlot> slots, int position) {
    return std::any_of(slots.begin(), slots.end(),
                       [position](const ValueSlot& slot) { return slot.position == position; });
}

} // namespace

// The slots of a setting name its values only; the property that holds a value
// is the run of consecutive positions around it, with its name two nodes and
// its list node one node before the run.
std::optional<std::size_t> ValueNode(const NodeList& nodes, const KeyMatch& match,
                                     const ValueSlot& slot) {
    const std::span<const ValueSlot> slots = ValueSlots(match.key);
    int first = slot.position;
    while (HasSlotAt(slots, first - 1)) {
        --first;
    }
    int last = slot.position;
    while (HasSlotAt(slots, last + 1)) {
        ++last;
    }
    const auto at = [&](int position) { return static_cast<std::size_t>(match.node + position); };
    if (match.node < 0 || at(slot.position) >= nodes.size()) {
        return std::nullopt;
    }
    const ReaderNode& name = nodes[at(first - 2)];
    const ReaderNode& list = nodes[at(first - 1)];
    if (name.type() == kNodeList || list.type() != kNodeList ||
        TextToNumber(list.text()) != last - first + 2) {
        return std::nullopt;
    }
    // Values cut off by the end of the entry are missing; those before it count.
    for (int position = first; position <= last && at(position) < nodes.size(); ++position) {
        if (nodes[at(position)].type() == kNodeList) {
            return std::nullopt;
        }
    }
    return at(slot.position);
}

EnvironmentKeySet LoadEnvironment(const NodeList& nodes, EnvironmentControls& controls) {
    EnvironmentKeySet found;
    for (const KeyMatch& match : ScanEnvironment(nodes)) {
        found.set(KeyIndex(match.key));
        controls.keyFound(match.key);
        for (const ValueSlot& slot : ValueSlots(match.key)) {
            if (const auto node = ValueNode(nodes, match, slot)) {
                controls.showValue(match.key, slot, nodes[*node].text());
            }
        }
    }
    return found;
}

void WriteEnvironment(NodeList& nodes, const EnvironmentControls& controls,
                      EnvironmentKeySet loaded) {
    for (const KeyMatch& match : ScanEnvironment(nodes)) {
        if (!loaded.test(KeyIndex(match.key))) {
            continue;
        }
        for (const ValueSlot& slot : ValueSlots(match.key)) {
            const auto node = ValueNode(nodes, match, slot);
            if (!node) {
                continue;
            }
            if (auto text = controls.editedValue(match.key, slot)) {
                nodes[*node].setText(*text);
            }
        }
    }
}

} // namespace kmission
