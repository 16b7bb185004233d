// The pure rules of unit editing: which node is a unit, the hover pick's open
// bounds, writes through the selection, panning and node shift.
#include "unit_editing.h"

#include <gtest/gtest.h>

namespace kmission {
namespace {

ReaderNode Str(std::string text) {
    const auto length = static_cast<std::int32_t>(text.size());
    return {kNodeString, length, std::move(text)};
}
ReaderNode Num(std::string text) {
    return {kNodeFloat, -1, std::move(text)};
}
ReaderNode List(std::string text) {
    return {kNodeList, -1, std::move(text)};
}

// A unit: name, list, "position", list, x, y, z, angle.
void AddUnit(EntryTree& entry, const std::string& name, const std::string& x,
             const std::string& z) {
    for (ReaderNode node :
         {Str(name), List("2"), Str("position"), List("5"), Num(x), Num("0"), Num(z), Num("90")}) {
        entry.nodes.push_back(node);
    }
}

EntryTree Entry(const std::string& name) {
    EntryTree entry;
    entry.name = name + std::string(64 - name.size(), ' ');
    return entry;
}

MissionModel Mission(std::vector<EntryTree> entries) {
    MissionModel mission;
    mission.missionEntries = std::move(entries);
    mission.archiveDirectory.resize(mission.missionEntries.size());
    return mission;
}

TEST(UnitEditingTest, HoverBoundsAreOpenAndRoundedToFloat) {
    EntryTree units = Entry("aiv_units.prd");
    AddUnit(units, "player_1", "100", "-20");
    const MissionModel mission = Mission({Entry("mpinfo.prd"), units});
    struct Case {
        float x, z;
        bool hit;
    };
    const Case cases[] = {
        {104.9f, -20.0f, true},  {105.0f, -20.0f, false}, {95.0f, -20.0f, false},
        {95.01f, -24.99f, true}, {100.0f, -15.0f, false}, {100.0f, -25.0f, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.z);
        const auto pick = PickUnit(mission, c.x, c.z);
        ASSERT_EQ(pick.has_value(), c.hit);
        if (c.hit) {
            EXPECT_EQ(pick->entry, 1);
            EXPECT_EQ(pick->node, 1);
        }
    }
}

TEST(UnitEditingTest, UnitsNeedSevenValueNodesAfterTheirName) {
    EntryTree units = Entry("aiv_units.prd");
    AddUnit(units, "player_1", "0", "0");
    units.nodes.pop_back(); // no angle node: the unit has no values
    const MissionModel mission = Mission({units});
    EXPECT_FALSE(IsUnitWithValues(mission.missionEntries[0], 1));
    EXPECT_FALSE(PickUnit(mission, 0.0f, 0.0f));

    EditorState state;
    state.mission = mission;
    state.selectedEntry = 0;
    state.selectedNode = 1;
    EXPECT_FALSE(SelectionIsUnit(state));
    EXPECT_FALSE(MoveSelectedUnit(state, 1.0f, 1.0f));
    EXPECT_EQ(state.mission, mission);
}

TEST(UnitEditingTest, OnlyNamesOfTheThreeKindsAreUnits) {
    EntryTree units = Entry("aiv_units.prd");
    AddUnit(units, "Player_1", "0", "0");
    AddUnit(units, "steal_1", "0", "0");
    AddUnit(units, "remote1", "0", "0");
    AddUnit(units, "remote_1", "0", "0");
    const auto pick = PickUnit(Mission({units}), 0.0f, 0.0f);
    ASSERT_TRUE(pick);
    EXPECT_EQ(pick->node, 25);
}

TEST(UnitEditingTest, SelectionMustBeAUnitOfTheUnitListEntry) {
    EntryTree first = Entry("aiv_a.prd");
    AddUnit(first, "player_1", "0", "0");
    EntryTree second = Entry("aiv_b.prd");
    AddUnit(second, "player_2", "0", "0");
    EditorState state;
    state.mission = Mission({Entry("mpinfo.prd"), first, second});
    const struct {
        int entry, node;
        bool valid;
    } cases[] = {{1, 1, true},  {2, 1, false},  {1, 2, false},
                 {5, 1, false}, {-1, 1, false}, {1, 0, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.entry << "/" << c.node);
        state.selectedEntry = c.entry;
        state.selectedNode = c.node;
        EXPECT_EQ(SelectionIsUnit(state), c.valid);
    }
}

TEST(UnitEditingTest, MoveWritesFloatTextsAndRowsMapToTheirNodes) {
    EntryTree units = Entry("aiv_units.prd");
    AddUnit(units, "player_1", "1", "2");
    EditorState state;
    state.mission = Mission({units});
    state.selectedEntry = 0;
    state.selectedNode = 1;
    ASSERT_TRUE(MoveSelectedUnit(state, 0.5f, -1234567.8f));
    const auto texts = SelectedUnitTexts(state);
    ASSERT_TRUE(texts);
    EXPECT_EQ(texts->x, "0.5");
    EXPECT_EQ(texts->y, "-1234568");
    EXPECT_EQ(texts->z, "0");
    EXPECT_EQ(texts->angle, "90");
    EXPECT_EQ(RowNode(state, 0), 5);
    EXPECT_EQ(RowNode(state, 1), 7);
    EXPECT_EQ(RowNode(state, 2), 6);
}

TEST(UnitEditingTest, PanAndNodeShiftFollowThePointerFromTheGrab) {
    EditorState state;
    state.viewRect = ViewRect{500.0f, 300.0f, -640.0f, -480.0f};
    PanView(state, 150.0f, 80.0f, 50.0f, 100.0f);
    EXPECT_FLOAT_EQ(state.viewRect.left, 400.0f);
    EXPECT_FLOAT_EQ(state.viewRect.top, 320.0f);
    EXPECT_FLOAT_EQ(state.viewRect.width, -640.0f);
    SetNodeShift(state, 10.0f, -20.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(state.nodeShiftX, 10.0f);
    EXPECT_FLOAT_EQ(state.nodeShiftZ, -20.0f);
}

} // namespace
} // namespace kmission
