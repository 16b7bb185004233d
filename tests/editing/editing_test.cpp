// Mouse work on the map view as the user does it: the readout, hover picking
// into the properties window, panning, moving a unit, its ".." buttons, node
// shift and Reset.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "properties_window.h"
#include "text.h"
#include "unit_editing.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>

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
    // and whose second unit entry holds a unit at (300, 300) that is never
    // picked. The view has one world unit per pixel, (-100, -100) top left.
    void openUnits(const std::vector<Unit>& units) {
        fixtures::ValueStream info, first, second;
        info.list(3).text("mission").text("db_name").list(2).text("Units");
        info.text("MAP").list(2).text(CleanText(state_.mapCatalogue[0].name));
        first.list(static_cast<std::int32_t>(units.size()));
        for (const auto& [name, x, z] : units)
            first.text(name).list(2).text("position").list(5).text(x).real(7).text(z).integer(45);
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
        state_.viewRect = kUnitView;
    }

    void drag(double fromX, double fromZ, double toX, double toZ) {
        press(fromX, fromZ);
        moveTo(toX, toZ, true);
        release(toX, toZ);
    }

    PropertiesWindow* properties() const { return window_->findChild<PropertiesWindow*>(); }
    QString field(const char* name) const { return properties()->findChild<QLabel*>(name)->text(); }
    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(name); }
    void click(const char* name) { QTest::mouseClick(button(name), Qt::LeftButton); }
    std::string nodeText(int node) const {
        return std::string(
            state_.mission.missionEntries[1].nodes[static_cast<std::size_t>(node)].text());
    }
};

// The unit's open 10 x 10 square: its edges are outside it. Of several units
// of the first unit entry the first wins; empty position texts read as 0; a
// miss keeps the selection and the properties window shows its values.
TEST_F(EditingTest, HoverPicksTheFirstUnitWhoseOpenBoxHoldsThePointer) {
    openUnits({{"player_1", "100", "200"},
               {"Player_2", "300", "50"},
               {"stealth_5", "300", "50"},
               {"remote_6", "302", "52"},
               {"player_7", "", ""}});
    const std::tuple<double, double, const char*> cases[] = {
        {104.9, 200, "player_1"}, {105, 200, ""}, {95, 200, ""},          {95.1, 204.9, "player_1"},
        {100, 205, ""},           {100, 195, ""}, {301, 51, "stealth_5"}, {1, 1, "player_7"}};
    for (const auto& [x, z, name] : cases) {
        properties()->clear();
        moveTo(x, z);
        EXPECT_EQ(field("lblName"), name) << x << ", " << z;
    }
    moveTo(100, 200);
    moveTo(300, 300);
    EXPECT_EQ(QStringList({field("lblName"), field("lblX"), field("lblY"), field("lblZ"),
                           field("lblAngle")}),
              QStringList({"player_1", "100", "200", "7", "45"}));
    EXPECT_EQ(std::pair(state_.selectedEntry, state_.selectedNode), std::pair(1, 2));
    moveTo(12.5, -0.25);
    EXPECT_EQ(window_->centralWidget()->findChild<QLabel*>("lblX")->text(), " 12.5");
    EXPECT_EQ(window_->centralWidget()->findChild<QLabel*>("lblY")->text(), "-.25");
    const int selections[][3] = {{1, 2, true}, {2, 2, false}, {1, 3, false}, {-1, 2, false}};
    for (const auto& [entry, node, unit] : selections) {
        state_.selectedEntry = entry;
        state_.selectedNode = node;
        EXPECT_EQ(SelectionIsUnit(state_), unit == 1) << entry << "/" << node;
    }
    // A unit name may be an entry's first node; its seven values must follow.
    EntryTree first{"aiv.prd", fixtures::Nodes({fixtures::Node(kNodeString, "player_2")})};
    first.nodes.resize(2 + kUnitAngleOffset);
    EXPECT_TRUE(IsUnitWithValues(first, 1));
    first.nodes.pop_back();
    EXPECT_FALSE(IsUnitWithValues(first, 1));
}

// Dragging pans; in move mode (where hovering no longer picks) it moves the
// selected unit, each ".." asks for its value (Cancel keeps it; Z is the
// second value) and a Node Shift drag moves the boxes only. Opening a mission
// ends move mode; Reset gives the map's own scale for the view's size.
TEST_F(EditingTest, DraggingAndTheUnitButtonsThroughTheWindows) {
    openUnits({{"player_1", "10", "10"}, {"player_2", "60", "60"}});
    drag(100, 100, 200, 80);
    EXPECT_EQ(state_.viewRect, (ViewRect{-200, -80, 636, 476})) << "the grabbed point follows";
    state_.viewRect = kUnitView;
    moveTo(10, 10);
    click("cmdMove");
    EXPECT_EQ(button("cmdMove")->text(), "Done");
    moveTo(60, 60);
    drag(30, 30, 100.5, -20);
    EXPECT_EQ(nodeText(6) + " " + nodeText(7) + " " + nodeText(8), "100.5 7 -20");
    EXPECT_EQ(field("lblName") + field("lblX") + " " + field("lblY"), "player_1100.5 -20");
    EXPECT_EQ(state_.viewRect, kUnitView);
    const std::tuple<int, std::string, int, const char*, std::string> cases[] = {
        {0, "33.5", 6, "lblX", "33.5"}, {2, "abc", 7, "lblZ", "abc"}, {0, "", 6, "lblX", "33.5"}};
    for (const auto& [row, answer, node, label, after] : cases) {
        const std::string before = nodeText(node), letter(1, "XYZ"[row]);
        dialogs_.queueInputAnswer(answer);
        for (QPushButton* b : properties()->findChildren<QPushButton*>("cmdChange"))
            if (b->property("index").toInt() == row)
                QTest::mouseClick(b, Qt::LeftButton);
        const auto& input = dialogs_.inputs().back();
        EXPECT_EQ(input.prompt + input.title + input.defaultText,
                  "Value to Change " + letter + letter + before);
        EXPECT_EQ(nodeText(node) + field(label).toStdString(), after + after) << row;
    }
    button("Command2")->click();
    button("Command2")->click();
    EXPECT_FALSE(state_.nodeShiftMode) << "a second click switches it off";
    button("Command2")->click();
    drag(100, 100, 110, 80);
    EXPECT_EQ(std::pair(state_.nodeShiftX, state_.nodeShiftZ), std::pair(10.0f, -20.0f));
    EXPECT_EQ(nodeText(6), "33.5");
    QTest::keyClick(properties(), Qt::Key_Escape);
    EXPECT_FALSE(state_.moveMode) << "taking the window away ends move mode";
    openMission(pbd("readermp01.PBD"));
    EXPECT_EQ(state_.selectedEntry, -1);
    const EditorState opened = state_;
    click("cmdZoomIn");
    click("Command1");
    EXPECT_EQ(std::pair(state_.viewRect, state_.viewZoom),
              std::pair(opened.viewRect, opened.viewZoom));
    view()->resize(800, 600);
    click("Command1");
    EXPECT_FLOAT_EQ(state_.viewRect.width, -800 * state_.currentMapInfo()->mpp);
    EXPECT_FLOAT_EQ(state_.viewRect.height, -600 * state_.currentMapInfo()->mpp);
}

// A drag step repaints only the moved unit's old and new box; the window then
// shows what painting the whole view gives, units it passes over included.
TEST_F(EditingTest, DragStepsLeaveTheWindowAsAWholePaintWould) {
    openUnits({{"player_1", "10", "10"}, {"player_2", "16", "14"}, {"player_3", "40", "33"}});
    moveTo(10, 10);
    click("cmdMove");
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    QApplication::processEvents();
    press(10, 10);
    for (int step = 1; step <= 12; ++step)
        moveTo(10 + 3.3 * step, 10 + 2.2 * step, true);
    release(50, 36);
    const QRect area(view()->mapTo(window_.get(), QPoint(0, 0)), view()->size());
    const QImage shown =
        view()
            ->screen()
            ->grabWindow(window_->winId(), area.x(), area.y(), area.width(), area.height())
            .toImage();
    EXPECT_EQ(shown.convertToFormat(QImage::Format_RGB32),
              grabView().convertToFormat(QImage::Format_RGB32));
}

} // namespace
} // namespace kmission::test
