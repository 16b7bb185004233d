#pragma once

// The differences between two missions as a person reads them: entries
// added, removed or moved, directory fields and values changed.

#include "mission.h"

#include <optional>
#include <string>
#include <vector>

namespace kmission::tool {

// An entry by its cleaned name and, for names that occur more than once, the
// how-manieth of that name it is (from 1).
struct EntryLabel {
    std::string name;
    int occurrence = 1;

    friend auto operator<=>(const EntryLabel&, const EntryLabel&) = default;
};

struct EntryChange {
    enum Kind { Added, Removed, Moved } kind;
    EntryLabel entry;
    int from = -1; // place in the first archive (from 0), -1 when added
    int to = -1;   // place in the second, -1 when removed
};

struct FieldChange {
    EntryLabel entry;
    std::string field; // "nameField", "aux1", ...
    std::string before;
    std::string after;
};

struct ValueChange {
    enum Kind { Changed, Added, Removed } kind;
    EntryLabel entry;
    int node = 0;     // in the first archive, in the second for an added value
    std::string path; // "fog/color[1]": the key-count-values names above the value
    std::optional<ReaderNode> before;
    std::optional<ReaderNode> after;
};

struct MissionDiff {
    std::vector<EntryChange> entries;
    std::vector<FieldChange> fields;
    std::vector<ValueChange> values;

    bool empty() const { return entries.empty() && fields.empty() && values.empty(); }
};

// Entries are paired by name (the n-th of a name with the n-th); of the paired
// ones, the fewest that account for the new order are moved. Values are
// compared node by node; where the node counts differ, the nodes between the
// common start and the common end are removed and added.
MissionDiff DiffMissions(const MissionModel& a, const MissionModel& b);

// The path of every node (element 0 blank): below a string key followed by a
// list node, a value is "key[i]", i counting the list's elements from 0, and
// keys nest with "/" ("fog/color[1]"). Lists without a key add nothing.
std::vector<std::string> KeyPaths(const NodeList& nodes);

} // namespace kmission::tool
