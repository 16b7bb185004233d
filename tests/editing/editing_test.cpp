// Mouse work on the map view as the user does it: the readout, hover picking
// into the properties window, panning, moving a unit, its ".." buttons, node
// shift and Reset.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "map_painter.h"
#include "properties_window.h"
#include "text.h"
#include "unit_editing.h"

#include <QLabel>
#include <QPushButton>

namespace kmission::test {
namespace {

using Unit = std::tuple<std::string, std::string, std::string>; // name, x, z

constexpr ViewRect kUnitView{-100.0f, -100.0f, 636.0f, 476.0f};

class EditingTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
    }

    // A mission on the first demo map whose first unit entry (entry 1) holds
    // `units`, each name at node 2 + 9n with the second value 7 and angle 45,
    // and whose second unit entry holds a unit that is never picked. The view
    // then has one world unit per pixel with (-100, -100) at its top left.
    void openUnits(const std::vector<Unit>& units) {
        fixtures::ValueStream info, first, second;
        info.list(3).text("mission").text("db_name").list(2).text("Units");
        info.text("MAP").list(2).text(CleanText(state_.mapCatalogue[0].name));
        first.list(static_cast<std::int32_t>(units.size()));
        for (const auto& [name, x, z] : units) {
            first.text(name).list(2).text("position").list(5);
            first.text(x).real(7.0f).text(z).integer(45);
        }
        second.list(1).text("player_9").list(2).text("position").list(5);
        second.real(300.0f).real(0.0f).real(300.0f).integer(0);
        const std::string path = folder_.path().toStdString() + "/readermp99.PBD";
        ASSERT_EQ(WriteFileSafely(path, fixtures::ArchiveBuilder()
                                            .entry("mpinfo.prd", info.bytes())
                                            .entry("aiv_first.prd", first.bytes())
                                            .entry("aiv_second.prd", second.bytes())
                                            .standard()),
                  std::nullopt);
        openMission(path);
        ASSERT_TRUE(state_.mapLoaded);
        state_.viewRect = kUnitView;
    }

    // Whether `colour` is painted within a pixel of where world (x, z) lies.
    bool paintedNear(double x, double z, QRgb colour) const {
        const QImage image = grabView();
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (image.pixel(at(x, z).toPoint() + QPoint(dx, dy)) == colour)
                    return true;
        return false;
    }
    void drag(double fromX, double fromZ, double toX, double toZ) {
        press(fromX, fromZ);
        moveTo(toX, toZ, true);
        release(toX, toZ);
    }

    PropertiesWindow* properties() const { return window_->findChild<PropertiesWindow*>(); }
    QString field(const char* name) const { return properties()->findChild<QLabel*>(name)->text(); }
    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(name); }
    QPushButton* changeButton(int row) const {
        for (QPushButton* b : properties()->findChildren<QPushButton*>("cmdChange"))
            if (b->property("index").toInt() == row)
                return b;
        return nullptr;
    }
    void clickMove() { QTest::mouseClick(button("cmdMove"), Qt::LeftButton); }
    std::string nodeText(int node) const {
        return std::string(
            state_.mission.missionEntries[1].nodes[static_cast<std::size_t>(node)].text());
    }
};

// The unit's open 10 x 10 square: its edges are outside it. Of several units
// the first wins; a miss keeps the selection.
TEST_F(EditingTest, HoverPicksTheFirstUnitWhoseOpenBoxHoldsThePointer) {
    // Only the first unit entry's units with names of the three kinds are
    // picked; empty position texts read as 0.
    const std::vector<Unit> units = {{"player_1", "100", "200"}, {"Player_2", "300", "50"},
                                     {"steal_3", "300", "50"},   {"remote4", "300", "50"},
                                     {"stealth_5", "300", "50"}, {"remote_6", "302", "52"},
                                     {"player_7", "", ""}};
    openUnits(units);
    const std::tuple<double, double, const char*> cases[] = {
        {104.9, 200, "player_1"},  {105, 200, ""},         {95, 200, ""},
        {95.1, 204.9, "player_1"}, {100, 205, ""},         {100, 195, ""},
        {100, 195.5, "player_1"},  {301, 51, "stealth_5"}, {1, 1, "player_7"}};
    for (const auto& [x, z, name] : cases) {
        SCOPED_TRACE(testing::Message() << x << ", " << z);
        properties()->clear();
        moveTo(x, z);
        EXPECT_EQ(field("lblName"), name);
    }
    moveTo(100, 200);
    moveTo(300, 300); // the unit of the second unit entry
    EXPECT_EQ(field("lblName"), "player_1");
    EXPECT_EQ(field("lblX"), "100");
    EXPECT_EQ(field("lblY"), "200");
    EXPECT_EQ(field("lblZ"), "7");
    EXPECT_EQ(field("lblAngle"), "45");
    EXPECT_EQ(state_.selectedEntry, 1);
    EXPECT_EQ(state_.selectedNode, 2);
    moveTo(12.5, -0.25);
    EXPECT_EQ(window_->centralWidget()->findChild<QLabel*>("lblX")->text(), " 12.5");
    EXPECT_EQ(window_->centralWidget()->findChild<QLabel*>("lblY")->text(), "-.25");
}

// Only a unit of the unit list entry with its seven value nodes is selected.
TEST_F(EditingTest, ASelectionMustBeAUnitOfTheUnitListEntry) {
    openUnits({{"player_1", "0", "0"}});
    const int cases[][3] = {{1, 2, true},  {2, 2, false},  {1, 3, false},
                            {5, 2, false}, {-1, 2, false}, {1, 0, false}};
    for (const auto& [entry, node, unit] : cases) {
        state_.selectedEntry = entry;
        state_.selectedNode = node;
        EXPECT_EQ(SelectionIsUnit(state_), unit == 1) << entry << "/" << node;
    }
}

TEST_F(EditingTest, DraggingPansOrInMoveModeMovesTheSelectedUnit) {
    openUnits({{"player_1", "10", "10"}, {"player_2", "60", "60"}});
    drag(100, 100, 200, 80);
    EXPECT_EQ(state_.viewRect, (ViewRect{-200, -80, 636, 476})) << "the grabbed point follows";
    state_.viewRect = kUnitView;
    moveTo(10, 10);
    clickMove();
    EXPECT_EQ(button("cmdMove")->text(), "Done");
    EXPECT_TRUE(paintedNear(15, 10, kSelectedUnitColour));
    moveTo(60, 60); // in move mode hovering does not pick
    drag(30, 30, 100.5, -20);
    EXPECT_EQ(field("lblName"), "player_1");
    EXPECT_EQ(nodeText(6), "100.5");
    EXPECT_EQ(nodeText(7), "7") << "the second position value stays";
    EXPECT_EQ(nodeText(8), "-20");
    EXPECT_EQ(field("lblX"), "100.5");
    EXPECT_EQ(field("lblY"), "-20");
    EXPECT_EQ(state_.viewRect, kUnitView);
    // Taking the window away, hidden or deleted, ends move mode.
    QTest::keyClick(properties(), Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(state_.moveMode);
    EXPECT_TRUE(paintedNear(105.5, -20, kUnitColour));
    action("mnuViewProps")->trigger();
    moveTo(100.5, -20);
    clickMove();
    ASSERT_TRUE(state_.moveMode);
    delete properties();
    EXPECT_FALSE(state_.moveMode);
    moveTo(100.5, -20);
    EXPECT_EQ(field("lblName"), "player_1") << "a new window shows the next pick";
    EXPECT_EQ(button("cmdMove")->text(), "Move");
}

TEST_F(EditingTest, ChangeButtonsEditTheirRowsThroughTheInputBox) {
    openUnits({{"player_1", "10", "20"}});
    QTest::mouseClick(changeButton(0), Qt::LeftButton);
    EXPECT_TRUE(dialogs_.inputs().empty()) << "no unit shown yet";
    moveTo(10, 20);
    // row, answer (empty: Cancel), node, label, the text afterwards
    const std::tuple<int, std::string, int, const char*, std::string> cases[] = {
        {0, "33.5", 6, "lblX", "33.5"},
        {1, "-7", 8, "lblY", "-7"},
        {2, "abc", 7, "lblZ", "abc"},
        {0, "", 6, "lblX", "33.5"}};
    for (const auto& [row, answer, node, label, after] : cases) {
        SCOPED_TRACE(row);
        const std::string before = nodeText(node);
        const std::string letter(1, "XYZ"[row]);
        dialogs_.queueInputAnswer(answer);
        QTest::mouseClick(changeButton(row), Qt::LeftButton);
        EXPECT_EQ(dialogs_.inputs().back().prompt, "Value to Change " + letter);
        EXPECT_EQ(dialogs_.inputs().back().title, letter);
        EXPECT_EQ(dialogs_.inputs().back().defaultText, before);
        EXPECT_EQ(nodeText(node), after);
        EXPECT_EQ(field(label).toStdString(), after);
    }
    EXPECT_TRUE(paintedNear(38.5, -7, kUnitColour)) << "Z is the second value, not the drawn Z";
}

TEST_F(EditingTest, NodeShiftDragMovesTheBoxesButNotTheUnitUntilAMissionIsOpened) {
    openUnits({{"player_1", "100", "100"}});
    moveTo(100, 100);
    clickMove();
    button("Command2")->click();
    button("Command2")->click();
    EXPECT_FALSE(state_.nodeShiftMode) << "a second click switches it off";
    button("Command2")->click();
    drag(100, 100, 110, 80);
    EXPECT_FLOAT_EQ(state_.nodeShiftX, 10.0f);
    EXPECT_FLOAT_EQ(state_.nodeShiftZ, -20.0f);
    EXPECT_EQ(nodeText(6), "100");
    EXPECT_EQ(state_.viewRect, kUnitView);
    EXPECT_TRUE(paintedNear(115, 80, kSelectedUnitColour));
    // Opening a mission ends move mode and clears the selection.
    openMission(pbd("readermp02.PBD"));
    EXPECT_FALSE(state_.moveMode);
    EXPECT_EQ(button("cmdMove")->text(), "Move");
    EXPECT_TRUE(field("lblName").isEmpty());
    EXPECT_EQ(state_.selectedEntry, -1);
}

TEST_F(EditingTest, ResetRestoresTheMapsOwnScaleForTheViewsSize) {
    openMission(pbd("readermp01.PBD"));
    const EditorState opened = state_;
    QTest::mouseClick(button("cmdZoomIn"), Qt::LeftButton);
    drag(0, 0, 30, 40);
    ASSERT_NE(state_.viewRect, opened.viewRect);
    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    EXPECT_EQ(state_.viewRect, opened.viewRect);
    EXPECT_EQ(state_.viewZoom, opened.viewZoom);
    view()->resize(800, 600);
    QTest::mouseClick(button("Command1"), Qt::LeftButton);
    EXPECT_FLOAT_EQ(state_.viewRect.width, -800 * state_.currentMapInfo()->mpp);
    EXPECT_FLOAT_EQ(state_.viewRect.height, -600 * state_.currentMapInfo()->mpp);
}

} // namespace
} // namespace kmission::test
