// Mouse work on the map view: readout, hover picking, panning, moving a unit,
// node shift, and the properties window and Reset that go with them.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "map_painter.h"
#include "mission.h"
#include "properties_window.h"
#include "text.h"
#include "unit_editing.h"
#include "view_transform.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

#include <fstream>
#include <functional>

namespace kmission::test {
namespace {

// A mission whose first unit entry holds the units given as (name, x, z) and
// whose second unit entry holds one more unit that must never be picked.
Bytes UnitMission(const std::vector<std::tuple<std::string, std::string, std::string>>& units,
                  const std::string& map) {
    fixtures::ValueStream info;
    info.list(3).text("mission").text("db_name").list(2).text("Units");
    info.text("MAP").list(2).text(map);
    fixtures::ValueStream first;
    first.list(static_cast<std::int32_t>(units.size()));
    for (const auto& [name, x, z] : units) {
        first.text(name).list(2).text("position").list(5);
        first.text(x).real(7.0f).text(z).integer(45);
    }
    fixtures::ValueStream second;
    second.list(1).text("player_9").list(2).text("position").list(5);
    second.real(300.0f).real(0.0f).real(300.0f).integer(0);
    return fixtures::ArchiveBuilder()
        .entry("mpinfo.prd", info.bytes())
        .entry("aiv_first.prd", first.bytes())
        .entry("aiv_second.prd", second.bytes())
        .standard();
}

constexpr ViewRect kUnitView{-100.0f, -100.0f, 636.0f, 476.0f};

class MapMouseTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
    }

    // Opens a mission of units on the first demo map, then gives the view one
    // world unit per pixel with X and Z growing right and down from
    // (-100, -100), so that world positions are easy to reach with the mouse.
    void openUnits(const std::vector<std::tuple<std::string, std::string, std::string>>& units) {
        const std::string path = folder_.path().toStdString() + "/readermp99.PBD";
        const Bytes bytes = UnitMission(units, CleanText(state_.mapCatalogue[0].name));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        openMission(path);
        ASSERT_TRUE(state_.mapLoaded);
        state_.viewRect = kUnitView;
        dialogs_ = platform::ScriptedDialogs{};
    }

    // Whether `colour` is painted within a pixel of where world (x, z) lies.
    bool paintedNear(double x, double z, QRgb colour) const {
        const QImage image = view()->grab().toImage();
        const QPoint centre = at(x, z).toPoint();
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (image.pixel(centre + QPoint(dx, dy)) == colour) {
                    return true;
                }
            }
        }
        return false;
    }

    QLabel* mainLabel(const char* name) const {
        return window_->centralWidget()->findChild<QLabel*>(name);
    }
    PropertiesWindow* properties() const { return window_->findChild<PropertiesWindow*>(); }
    QString field(const char* name) const { return properties()->findChild<QLabel*>(name)->text(); }
    QPushButton* changeButton(int index) const {
        for (QPushButton* b : properties()->findChildren<QPushButton*>("cmdChange")) {
            if (b->property("index").toInt() == index) {
                return b;
            }
        }
        return nullptr;
    }
    QPushButton* moveButton() const { return properties()->findChild<QPushButton*>("cmdMove"); }
    std::string nodeText(int entry, int node) const {
        return std::string(state_.mission.missionEntries[static_cast<std::size_t>(entry)]
                               .nodes[static_cast<std::size_t>(node)]
                               .text());
    }
};

TEST_F(MapMouseTest, ReadoutShowsThePointersWorldPosition) {
    state_.viewRect = ViewRect{0.0f, 0.0f, 636.0f, 476.0f};
    moveTo(12.5, -0.25);
    EXPECT_EQ(mainLabel("lblX")->text(), " 12.5");
    EXPECT_EQ(mainLabel("lblY")->text(), "-.25");
    EXPECT_TRUE(field("lblName").isEmpty()) << "no mission: only the readout";
}

TEST_F(MapMouseTest, HoverPicksAUnitInsideItsOpenSquare) {
    openUnits({{"player_1", "100", "200"}});
    struct Case {
        double x, z;
        bool hit;
    };
    const std::vector<Case> cases = {
        {104.9, 200, true},  {105, 200, false}, {95, 200, false},
        {95.1, 204.9, true}, {100, 205, false}, {100, 195.5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.z);
        state_.selectedEntry = -1;
        properties()->clear();
        moveTo(c.x, c.z);
        EXPECT_EQ(field("lblName") == "player_1", c.hit);
        EXPECT_EQ(state_.selectedEntry == 1, c.hit);
    }
    EXPECT_EQ(field("lblX"), "100");
    EXPECT_EQ(field("lblY"), "200");
    EXPECT_EQ(field("lblZ"), "7");
    EXPECT_EQ(field("lblAngle"), "45");
    EXPECT_EQ(state_.selectedNode, 2);
}

TEST_F(MapMouseTest, FirstUnitWinsAndOnlyTheFirstUnitEntryIsPicked) {
    openUnits({{"stealth_a", "50", "50"}, {"remote_b", "52", "52"}, {"player_c", "", ""}});
    moveTo(51, 51);
    EXPECT_EQ(field("lblName"), "stealth_a");
    moveTo(300, 300); // the unit of the second "aiv" entry
    EXPECT_EQ(field("lblName"), "stealth_a") << "a miss keeps the selection";
    moveTo(1, 1); // empty position texts read as 0
    EXPECT_EQ(field("lblName"), "player_c");
}

TEST_F(MapMouseTest, PanningKeepsTheGrabbedPointUnderThePointer) {
    openUnits({});
    press(100, 100);
    const QPointF pointer = at(200, 100);
    send(QEvent::MouseMove, pointer, Qt::LeftButton);
    EXPECT_FLOAT_EQ(state_.viewRect.left, -200.0f);
    EXPECT_FLOAT_EQ(state_.viewRect.top, -100.0f);
    // The same pixel again: the grabbed point is already under the pointer.
    send(QEvent::MouseMove, pointer, Qt::LeftButton);
    EXPECT_FLOAT_EQ(state_.viewRect.left, -200.0f);
    release(100, 100);
    moveTo(300, 300);
    EXPECT_FLOAT_EQ(state_.viewRect.left, -200.0f) << "no button, no pan";
}

TEST_F(MapMouseTest, MoveModeDragWritesThePointerPositionIntoTheUnit) {
    openUnits({{"player_1", "10", "10"}, {"player_2", "60", "60"}});
    moveTo(10, 10);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    EXPECT_TRUE(state_.moveMode);
    EXPECT_EQ(moveButton()->text(), "Done");
    EXPECT_TRUE(paintedNear(15, 10, kSelectedUnitColour));

    moveTo(60, 60); // in move mode hovering does not pick
    EXPECT_EQ(field("lblName"), "player_1");
    press(30, 30);
    moveTo(100.5, -20, true);
    release(100.5, -20);
    EXPECT_EQ(nodeText(1, 6), "100.5");
    EXPECT_EQ(nodeText(1, 8), "-20");
    EXPECT_EQ(nodeText(1, 7), "7") << "the second position value stays";
    EXPECT_EQ(field("lblX"), "100.5");
    EXPECT_EQ(field("lblY"), "-20");

    QTest::mouseClick(moveButton(), Qt::LeftButton);
    EXPECT_FALSE(state_.moveMode);
    EXPECT_EQ(moveButton()->text(), "Move");
    EXPECT_TRUE(paintedNear(105.5, -20, kUnitColour));

    const std::string saved = folder_.path().toStdString() + "/moved.PBD";
    dialogs_.queueSaveFile(saved);
    action("mnuFileSave")->trigger();
    const MissionLoad reloaded = LoadMissionFile(saved);
    ASSERT_EQ(reloaded.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(reloaded.mission.missionEntries[1].nodes[6].text(), "100.5");
    EXPECT_EQ(reloaded.mission.missionEntries[1].nodes[8].text(), "-20");
}

TEST_F(MapMouseTest, ChangeButtonsEditTheirRowsThroughTheInputBox) {
    openUnits({{"player_1", "10", "20"}});
    QTest::mouseClick(changeButton(0), Qt::LeftButton);
    EXPECT_TRUE(dialogs_.inputs().empty()) << "no unit shown yet";

    moveTo(10, 20);
    struct Case {
        int row;
        std::string answer;
        int node;
        const char* label;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {0, "33.5", 6, "lblX", "33.5"},
        {1, "-7", 8, "lblY", "-7"},
        {2, "abc", 7, "lblZ", "abc"},
        {0, "", 6, "lblX", "33.5"}, // Cancel writes nothing
    };
    const char* letters[] = {"X", "Y", "Z"};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        const std::string before = nodeText(1, c.node);
        dialogs_.queueInputAnswer(c.answer);
        QTest::mouseClick(changeButton(c.row), Qt::LeftButton);
        const auto& asked = dialogs_.inputs().back();
        EXPECT_EQ(asked.prompt, std::string("Value to Change ") + letters[c.row]);
        EXPECT_EQ(asked.title, letters[c.row]);
        EXPECT_EQ(asked.defaultText, before);
        EXPECT_EQ(nodeText(1, c.node), c.expected);
        EXPECT_EQ(field(c.label).toStdString(), c.expected);
    }
    // "abc" in the Z row is the second position value, not the drawn Z.
    EXPECT_TRUE(paintedNear(38.5, -7, kUnitColour));
}

TEST_F(MapMouseTest, ClosingThePropertiesWindowEndsMoveMode) {
    openUnits({{"player_1", "10", "10"}});
    moveTo(10, 10);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    ASSERT_TRUE(state_.moveMode);
    properties()->close();
    QApplication::processEvents();
    EXPECT_FALSE(state_.moveMode);
    EXPECT_EQ(properties(), nullptr);

    moveTo(10, 10); // a hover hit fills a new, hidden window
    ASSERT_NE(properties(), nullptr);
    EXPECT_FALSE(properties()->isVisible());
    EXPECT_EQ(field("lblName"), "player_1");
    action("mnuViewProps")->trigger();
    EXPECT_TRUE(properties()->isVisible());
    EXPECT_EQ(moveButton()->text(), "Move");
    EXPECT_EQ(field("lblName"), "player_1");
}

// Whatever takes the properties window away ends move mode: with no "Done"
// button left, the next drag must pan and not move the unit.
TEST_F(MapMouseTest, DismissingThePropertiesWindowEndsMoveMode) {
    const std::pair<const char*, std::function<void(PropertiesWindow*)>> dismissals[] = {
        {"close box", [](PropertiesWindow* w) { w->close(); }},
        {"Escape", [](PropertiesWindow* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"hidden", [](PropertiesWindow* w) { w->hide(); }},
        {"destroyed", [](PropertiesWindow* w) { delete w; }},
    };
    openUnits({{"player_1", "10", "10"}});
    for (const auto& [how, dismiss] : dismissals) {
        SCOPED_TRACE(how);
        state_.viewRect = kUnitView;
        action("mnuViewProps")->trigger();
        moveTo(10, 10);
        QTest::mouseClick(moveButton(), Qt::LeftButton);
        ASSERT_TRUE(state_.moveMode);
        dismiss(properties());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(state_.moveMode);
        EXPECT_FALSE(paintedNear(15, 10, kSelectedUnitColour));
        press(10, 10);
        moveTo(40, 40, true);
        release(40, 40);
        EXPECT_EQ(nodeText(1, 6), "10") << "the drag pans";
        action("mnuViewProps")->trigger();
        EXPECT_EQ(moveButton()->text(), "Move");
    }
}

TEST_F(MapMouseTest, OpeningAMissionClearsTheSelection) {
    openUnits({{"player_1", "10", "10"}});
    moveTo(10, 10);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    openMission(pbd("readermp02.PBD"));
    EXPECT_FALSE(state_.moveMode);
    EXPECT_EQ(moveButton()->text(), "Move");
    EXPECT_TRUE(field("lblName").isEmpty());
    EXPECT_EQ(state_.selectedEntry, -1);
    const MissionModel before = state_.mission;
    QTest::mouseClick(changeButton(0), Qt::LeftButton);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    EXPECT_FALSE(state_.moveMode);
    EXPECT_EQ(state_.mission, before);
}

TEST_F(MapMouseTest, ResetRestoresTheMapsOwnScaleAndOrigin) {
    openMission(pbd("readermp01.PBD"));
    const EditorState opened = state_;
    QPushButton* zoomIn = window_->findChild<QPushButton*>("cmdZoomIn");
    for (int i = 0; i < 3; ++i) {
        QTest::mouseClick(zoomIn, Qt::LeftButton);
    }
    press(0, 0);
    moveTo(30, 40, true);
    release(30, 40);
    ASSERT_NE(state_.viewRect, opened.viewRect);
    QTest::mouseClick(window_->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    EXPECT_EQ(state_.viewRect, opened.viewRect);
    EXPECT_DOUBLE_EQ(state_.viewZoom, opened.viewZoom);

    window_->mapView()->resize(800, 600);
    QTest::mouseClick(window_->findChild<QPushButton*>("Command1"), Qt::LeftButton);
    const float mpp = state_.currentMapInfo()->mpp;
    EXPECT_FLOAT_EQ(state_.viewRect.width, -800 * mpp);
    EXPECT_FLOAT_EQ(state_.viewRect.height, -600 * mpp);
}

TEST_F(MapMouseTest, NodeShiftDragMovesTheBoxesButNotTheUnit) {
    openUnits({{"player_1", "100", "100"}});
    moveTo(100, 100);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    QPushButton* nodeShift = window_->findChild<QPushButton*>("Command2");
    nodeShift->click();
    nodeShift->click();
    EXPECT_FALSE(state_.nodeShiftMode) << "two clicks switch it off again";
    nodeShift->click();
    press(100, 100);
    moveTo(110, 80, true);
    release(110, 80);
    EXPECT_FLOAT_EQ(state_.nodeShiftX, 10.0f);
    EXPECT_FLOAT_EQ(state_.nodeShiftZ, -20.0f);
    EXPECT_EQ(nodeText(1, 6), "100");
    EXPECT_EQ(nodeText(1, 8), "100");
    EXPECT_EQ(state_.viewRect, kUnitView);
    EXPECT_TRUE(paintedNear(115, 80, kSelectedUnitColour));
}

TEST_F(MapMouseTest, EndToEndMoveChangeSaveAndReopen) {
    openMission(pbd("readermp01.PBD"));
    const int entry = UnitListEntry(state_.mission);
    ASSERT_GE(entry, 0);
    const EntryTree& units = state_.mission.missionEntries[static_cast<std::size_t>(entry)];
    int k = 1;
    while (!IsUnitWithValues(units, k)) {
        ++k;
    }
    const double x = TextToNumber(units.nodes[static_cast<std::size_t>(k + 4)].text());
    const double z = TextToNumber(units.nodes[static_cast<std::size_t>(k + 6)].text());
    moveTo(x, z);
    ASSERT_EQ(state_.selectedNode, k);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    const QPointF target = at(x, z) + QPointF(20, 10);
    send(QEvent::MouseButtonPress, at(x, z), Qt::LeftButton);
    send(QEvent::MouseMove, target, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, target, Qt::NoButton);
    QTest::mouseClick(moveButton(), Qt::LeftButton);
    const std::string movedX = nodeText(entry, k + 4);
    EXPECT_NE(TextToNumber(movedX), x);
    dialogs_.queueInputAnswer("12.25");
    QTest::mouseClick(changeButton(2), Qt::LeftButton);

    const std::string saved = folder_.path().toStdString() + "/readermp01.PBD";
    dialogs_.queueSaveFile(saved);
    action("mnuFileSave")->trigger();
    openMission(saved);
    EXPECT_EQ(nodeText(entry, k + 4), movedX);
    EXPECT_EQ(nodeText(entry, k + 5), "12.25");
}

} // namespace
} // namespace kmission::test
