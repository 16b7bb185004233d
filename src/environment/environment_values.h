#pragma once

// Where a mission keeps its environment: named runs of nodes inside the info
// entry "mpinfo.prd". A setting is its key node, a list node counting its
// values plus one, then the values; an effect block is its key node, a list
// node, then one such setting per property. Every value is addressed by its
// distance from the key node, and is read or written only where the nodes
// around it really have that layout: a key word anywhere else (a mission named
// "Rain", a value "wind") heads nothing, and no list node, key or property
// name is ever shown as a value or overwritten. Plain C++: the windows plug in
// through EnvironmentControls, so the rules are tested without a widget.

#include "reader_tree.h"

#include <array>
#include <bitset>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kmission {

// The eight settings, in the order in which every node is tested against them.
enum class EnvironmentKey {
    AmbientTemperature,
    JetCeiling,
    Fog,
    Rain,
    Sun,
    Underwater,
    Wind,
    GlobalWind,
};

inline constexpr std::size_t kEnvironmentKeyCount = 8;
inline constexpr std::array<EnvironmentKey, kEnvironmentKeyCount> kEnvironmentKeys = {
    EnvironmentKey::AmbientTemperature,
    EnvironmentKey::JetCeiling,
    EnvironmentKey::Fog,
    EnvironmentKey::Rain,
    EnvironmentKey::Sun,
    EnvironmentKey::Underwater,
    EnvironmentKey::Wind,
    EnvironmentKey::GlobalWind,
};

// The six effects, each with its own dialog, in the order Display tests them.
inline constexpr std::array<EnvironmentKey, 6> kEffectKeys = {
    EnvironmentKey::Fog,        EnvironmentKey::Rain, EnvironmentKey::Sun,
    EnvironmentKey::Underwater, EnvironmentKey::Wind, EnvironmentKey::GlobalWind,
};

using EnvironmentKeySet = std::bitset<kEnvironmentKeyCount>;

constexpr std::size_t KeyIndex(EnvironmentKey key) {
    return static_cast<std::size_t>(key);
}
constexpr bool IsEffect(EnvironmentKey key) {
    return key != EnvironmentKey::AmbientTemperature && key != EnvironmentKey::JetCeiling;
}

// The key as it stands in a mission ("global_wind"); for an effect also the
// text of its entry in the effect list.
std::string_view KeyText(EnvironmentKey key);

// The effect whose list entry reads exactly `entry`; nothing for any other text.
std::optional<EnvironmentKey> EffectForListEntry(std::string_view entry);

// Whether a node text is the key. "ambient_temperature", "jet_ceiling" and
// "fog" must match after CleanText, capitals and all; the other five are
// compared lower-cased, so "RAIN" and "Global_Wind" are keys but "Fog" is not.
bool MatchesKey(EnvironmentKey key, std::string_view nodeText);

// One control that shows a value of a setting. `index` is the element of a
// control array (0 ... 2), -1 for a single control.
struct ValueSlot {
    int position = 0; // nodes after the key node
    const char* control = "";
    int index = -1;
};

// The fog's horizon mode is a choice box, not a text box.
inline constexpr const char* kHorizonControl = "Combo1";
inline constexpr std::array<const char*, 2> kHorizonModes = {"hormain", "horblack"};

// The horizon entry that a stored text selects: 0 for exactly "hormain", 1 for
// exactly "horblack" (no cleaning, no case folding), -1 for anything else.
int HorizonIndex(std::string_view text);

// The controls of a setting in the order the load fills them. Note that fog
// holds altitude before range and underwater range before altitude: the
// controls follow the data, not the screen. Rain particles take position 4,
// the value of the block's first property; position 3 is that property's list
// node, whose text is the list's count and must never be edited.
std::span<const ValueSlot> ValueSlots(EnvironmentKey key);

// A key node found by the scan: a node whose text is the key and whose next
// node is a list node.
struct KeyMatch {
    int node = 0;
    EnvironmentKey key = EnvironmentKey::AmbientTemperature;

    friend bool operator==(const KeyMatch&, const KeyMatch&) = default;
};

// Tests node 0 ... nodeCount against all eight keys, each independently and in
// key order; a node may match more than one key, and a key may occur any
// number of times.
std::vector<KeyMatch> ScanEnvironment(const NodeList& nodes);

// The value node of `slot` in the block found at `match`, or nothing when the
// slot's property is not where the layout puts it: its name node, its list
// node counting exactly its values plus one, and its values (none of them a
// list node) must be there, as far as the entry goes. Such values are
// skipped, the rest of the block is not.
std::optional<std::size_t> ValueNode(const NodeList& nodes, const KeyMatch& match,
                                     const ValueSlot& slot);

// The working copy of the environment lives in the windows' controls.
class EnvironmentControls {
public:
    virtual ~EnvironmentControls() = default;
    // A key node was found (once per occurrence, before its values).
    virtual void keyFound(EnvironmentKey key) = 0;
    // The text of a value node exactly as stored.
    virtual void showValue(EnvironmentKey key, const ValueSlot& slot, std::string_view text) = 0;
    // The text to store, or nothing to leave the node as it is.
    virtual std::optional<std::string> editedValue(EnvironmentKey key,
                                                   const ValueSlot& slot) const = 0;
};

// Shows every setting of the info entry's nodes; occurrences later in the
// entry overwrite the controls filled by earlier ones. Returns the keys found.
// Never writes to the nodes.
EnvironmentKeySet LoadEnvironment(const NodeList& nodes, EnvironmentControls& controls);

// Stores the controls' texts in the value nodes of every occurrence of the keys
// in `loaded` (the keys the last load found in these nodes: a block nobody
// loaded has nothing to write but empty boxes). Only `text` changes; no node
// is added or removed.
// The keys are found before anything is written, so a typed text that happens
// to be a key never becomes one in the same pass.
void WriteEnvironment(NodeList& nodes, const EnvironmentControls& controls,
                      EnvironmentKeySet loaded);

} // namespace kmission
