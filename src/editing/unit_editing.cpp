#include "unit_editing.h"

#include "mission.h"
#include "text.h"

namespace kmission {

bool IsUnitWithValues(const EntryTree& entry, int k) {
    return k >= 1 && k + kUnitAngleOffset <= entry.nodeCount() &&
           IsUnitNode(entry.nodes[static_cast<std::size_t>(k)].text());
}

int UnitListEntry(const MissionModel& mission) {
    for (int i = 0; i < mission.missionEntryCount(); ++i) {
        if (IsUnitEntry(CleanText(mission.missionEntries[static_cast<std::size_t>(i)].name))) {
            return i;
        }
    }
    return -1;
}

std::optional<UnitPick> PickUnit(const MissionModel& mission, float x, float z) {
    const int entryIndex = UnitListEntry(mission);
    if (entryIndex < 0) {
        return std::nullopt;
    }
    const EntryTree& entry = mission.missionEntries[static_cast<std::size_t>(entryIndex)];
    // Locals: the compiler cannot know that reading a text leaves the list alone.
    const ReaderNode* const nodes = entry.nodes.data();
    const int count = entry.nodeCount();
    for (int k = 1; k + kUnitAngleOffset <= count; ++k) {
        if (!IsUnitNode(nodes[k].text())) {
            continue;
        }
        const double unitX = TextToNumber(nodes[k + kUnitXOffset].text());
        if (!(static_cast<float>(unitX - 5) < x && static_cast<float>(unitX + 5) > x)) {
            continue;
        }
        const double unitZ = TextToNumber(nodes[k + kUnitZOffset].text());
        if (static_cast<float>(unitZ - 5) < z && static_cast<float>(unitZ + 5) > z) {
            return UnitPick{entryIndex, k};
        }
    }
    return std::nullopt;
}

bool SelectionIsUnit(const EditorState& state) {
    return state.selectedEntry >= 0 && state.selectedEntry == UnitListEntry(state.mission) &&
           IsUnitWithValues(
               state.mission.missionEntries[static_cast<std::size_t>(state.selectedEntry)],
               state.selectedNode);
}

namespace {

NodeList& SelectedNodes(EditorState& state) {
    return state.mission.missionEntries[static_cast<std::size_t>(state.selectedEntry)].nodes;
}

std::string SelectedText(const EditorState& state, int offset) {
    return std::string(state.mission.missionEntries[static_cast<std::size_t>(state.selectedEntry)]
                           .nodes[static_cast<std::size_t>(state.selectedNode + offset)]
                           .text());
}

} // namespace

std::optional<UnitTexts> SelectedUnitTexts(const EditorState& state) {
    if (!SelectionIsUnit(state)) {
        return std::nullopt;
    }
    return UnitTexts{SelectedText(state, 0), SelectedText(state, kUnitXOffset),
                     SelectedText(state, kUnitZOffset), SelectedText(state, kUnitSecondOffset),
                     SelectedText(state, kUnitAngleOffset)};
}

bool MoveSelectedUnit(EditorState& state, float x, float z) {
    if (!SelectionIsUnit(state)) {
        return false;
    }
    NodeList& nodes = SelectedNodes(state);
    nodes[static_cast<std::size_t>(state.selectedNode + kUnitXOffset)].setText(FloatText(x));
    nodes[static_cast<std::size_t>(state.selectedNode + kUnitZOffset)].setText(FloatText(z));
    return true;
}

void PanView(EditorState& state, float x, float z, float grabX, float grabZ) {
    state.viewRect.left =
        static_cast<float>(double{state.viewRect.left} - (double{x} - double{grabX}));
    state.viewRect.top =
        static_cast<float>(double{state.viewRect.top} - (double{z} - double{grabZ}));
}

void SetNodeShift(EditorState& state, float x, float z, float grabX, float grabZ) {
    state.nodeShiftX = static_cast<float>(double{x} - double{grabX});
    state.nodeShiftZ = static_cast<float>(double{z} - double{grabZ});
}

int RowNode(const EditorState& state, int row) {
    static constexpr int kRowOffsets[] = {kUnitXOffset, kUnitZOffset, kUnitSecondOffset};
    return state.selectedNode + kRowOffsets[row];
}

bool ChangeUnitValue(EditorState& state, int row, std::string_view answer) {
    if (answer.empty() || !SelectionIsUnit(state)) {
        return false;
    }
    SelectedNodes(state)[static_cast<std::size_t>(RowNode(state, row))].setText(answer);
    return true;
}

} // namespace kmission
