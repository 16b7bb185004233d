// Undo and redo of every kind of change with the keys a user presses, and
// File > Open starting a new history.
#include "editor_fixture.h"
#include "file_io.h"
#include "mission_history.h"
#include "properties_window.h"
#include "text.h"
#include "unit_editing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <functional>

namespace kmission::test {
namespace {

const QKeySequence kUndo(Qt::CTRL | Qt::Key_Z);
const QKeySequence kRedo(Qt::CTRL | Qt::SHIFT | Qt::Key_Z);
const QKeySequence kRedoY(Qt::CTRL | Qt::Key_Y);

class UndoTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
        openMission(pbd("readermp01.PBD"));
        ASSERT_TRUE(state_.mapLoaded);
    }

    // What the user has: the mission's texts, the title and the bytes saved.
    std::tuple<MissionModel, QString, Bytes> snapshot() {
        const std::string target =
            folder_.path().toStdString() + "/saved" + std::to_string(++saves_) + ".PBD";
        dialogs_.queueSaveFile(target);
        action("mnuFileSave")->trigger();
        return {state_.mission, window_->windowTitle(), ReadWholeFile(target).value_or(Bytes{})};
    }

    // The keys go to the control that has the focus in the active `window`.
    void type(QWidget* window, const QKeySequence& keys) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window->focusWidget() != nullptr ? window->focusWidget() : window, keys);
    }

    PropertiesWindow* properties() { return window_->propertiesWindow(); }
    QPushButton* propertiesButton(const char* name) {
        return properties()->findChildren<QPushButton*>(name).front(); // ".." of X is the first
    }

    // Picks the first unit and moves it in one drag of several steps.
    void dragFirstUnit() {
        const EntryTree& units =
            state_.mission.missionEntries[static_cast<std::size_t>(UnitListEntry(state_.mission))];
        int k = 1;
        while (!IsUnitWithValues(units, k))
            ++k;
        const auto value = [&](int offset) {
            return units.nodes[static_cast<std::size_t>(k + offset)].text();
        };
        firstX_ = value(kUnitXOffset);
        const double x = TextToNumber(firstX_), z = TextToNumber(value(kUnitZOffset));
        moveTo(x, z);
        QTest::mouseClick(propertiesButton("cmdMove"), Qt::LeftButton);
        press(x, z);
        moveTo(x + 40, z + 30, true);
        moveTo(x + 80, z + 60, true);
        release(x + 80, z + 60);
        QTest::mouseClick(propertiesButton("cmdMove"), Qt::LeftButton);
    }

    int saves_ = 0;
    std::string firstX_;
};

// Each change is one step: undo gives back exactly the mission, the title and
// the saved bytes from before it, redo those from after it, whichever window
// has the focus. Undone in reverse order, the four give back the mission as opened.
TEST_F(UndoTest, EveryChangeIsOneStepUndoneAndRedoneExactly) {
    const auto mainWindow = [this]() -> QWidget* { return window_.get(); };
    const std::tuple<const char*, std::function<void()>, std::function<QWidget*()>, QKeySequence>
        steps[] = {
            {"drag", [this] { dragFirstUnit(); }, mainWindow, kRedo},
            {"change X",
             [this] {
                 dialogs_.queueInputAnswer("123.5");
                 QTest::mouseClick(propertiesButton("cmdChange"), Qt::LeftButton);
             },
             [this] { return properties(); }, kRedoY},
            {"rename",
             [this] {
                 dialogs_.queueInputAnswer("Renamed");
                 action("mnuMissionName")->trigger();
             },
             mainWindow, kRedo},
            {"environment OK",
             [this] {
                 action("mnuEnvironment")->trigger();
                 auto* dialog = window_->findChild<QWidget*>("frmEnvironment");
                 dialog->findChild<QLineEdit*>("txtAmbientTemperature")->selectAll();
                 QTest::keyClicks(dialog->findChild<QLineEdit*>("txtAmbientTemperature"), "-7");
                 QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
                 QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
             },
             mainWindow, kRedoY},
        };
    std::vector<std::tuple<MissionModel, QString, Bytes>> before;
    for (const auto& [name, change, focus, redo] : steps) {
        SCOPED_TRACE(name);
        before.push_back(snapshot());
        change();
        const auto after = snapshot();
        ASSERT_NE(after, before.back()) << "the change changes the mission";
        type(focus(), kUndo);
        EXPECT_EQ(snapshot(), before.back());
        type(focus(), redo);
        EXPECT_EQ(snapshot(), after);
    }
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        type(window_.get(), kUndo);
        EXPECT_EQ(snapshot(), *it) << "undone back to step " << (before.rend() - it);
    }
    EXPECT_EQ(properties()->findChild<QLabel*>("lblX")->text().toStdString(), firstX_)
        << "the properties window shows the unit as it is again";
}

TEST_F(UndoTest, OpeningAnotherMissionEmptiesTheHistory) {
    dialogs_.queueInputAnswer("Renamed");
    action("mnuMissionName")->trigger();
    openMission(pbd("readermp02.PBD"));
    const auto opened = snapshot();
    type(window_.get(), kUndo);
    EXPECT_EQ(snapshot(), opened);
    EXPECT_EQ(window_->history().stack().count(), 0);
}

} // namespace
} // namespace kmission::test
