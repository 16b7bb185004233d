#pragma once

#include "editor_state.h"

#include <optional>
#include <string>
#include <string_view>

namespace kmission {

// The units of a mission: in an entry whose cleaned name begins with "aiv", a
// node whose text begins with "player", "stealth" or "remote_" names a unit
// whose values follow it: world X at k + 4, the second position value at
// k + 5, world Z at k + 6, the angle at k + 7. A unit name node with fewer
// than seven nodes after it has no values and is neither drawn nor picked.

inline constexpr int kUnitXOffset = 4;
inline constexpr int kUnitSecondOffset = 5;
inline constexpr int kUnitZOffset = 6;
inline constexpr int kUnitAngleOffset = 7;

bool IsUnitWithValues(const EntryTree& entry, int k);

// The unit list entry: the first entry whose cleaned name begins with "aiv"
// (-1 when there is none). Only its units can be picked and edited.
int UnitListEntry(const MissionModel& mission);

// The unit under the pointer at world (x, z): the first unit of the unit list
// entry whose open square of 10 by 10 world units around it holds the point.
// The bounds x - 5 ... x + 5 are computed in double and rounded to float
// before the strict comparisons, as the pointer position is a float.
struct UnitPick {
    int entry = -1;
    int node = 0;
};
std::optional<UnitPick> PickUnit(const MissionModel& mission, float x, float z);

// Whether `selectedEntry` / `selectedNode` name a unit of the open mission's
// unit list entry; every write through the selection checks this first.
bool SelectionIsUnit(const EditorState& state);

// The texts the properties window shows for the selected unit.
struct UnitTexts {
    std::string name;
    std::string x;     // node k + 4
    std::string y;     // node k + 6: world Z, shown in the Y row
    std::string z;     // node k + 5: the second position value, shown in the Z row
    std::string angle; // node k + 7
};
std::optional<UnitTexts> SelectedUnitTexts(const EditorState& state);

// Move mode: the selected unit jumps to the pointer; X and Z become the
// general float texts of the pointer's position. Nothing when the selection
// is not a unit.
bool MoveSelectedUnit(EditorState& state, float x, float z);

// Panning: the world point grabbed when the button went down stays under the
// pointer. L and T are stored in single precision.
void PanView(EditorState& state, float x, float z, float grabX, float grabZ);

// Node-shift mode: the offset painting adds to every unit box, in world units.
void SetNodeShift(EditorState& state, float x, float z, float grabX, float grabZ);

// The node of the selected unit that properties row `row` (0 X, 1 Y, 2 Z)
// edits: k + 4, k + 6, k + 5.
int RowNode(const EditorState& state, int row);

// The ".." button of properties row `row`: the answer is stored as typed in
// the row's node (painting, picking and saving read it as a number, where a
// text without one counts as 0). An empty answer is a cancel, and nothing is
// written when the selection is not a unit. Returns whether the node changed.
bool ChangeUnitValue(EditorState& state, int row, std::string_view answer);

} // namespace kmission
