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

namespace kmission::test {
namespace {

class UndoTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
        openMission(pbd("readermp01.PBD"));
    }

    // What the user has: the mission's texts, the title and the bytes saved.
    std::tuple<MissionModel, QString, Bytes> snapshot() {
        const std::string target = folder_.path().toStdString() + "/saved.PBD";
        dialogs_.queueSaveFile(target);
        action("mnuFileSave")->trigger();
        return {state_.mission, window_->windowTitle(), ReadWholeFile(target).value_or(Bytes{})};
    }

    // The keys go to the control that has the focus in the active `window`.
    void type(QWidget* window, QKeySequence keys) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window->focusWidget() != nullptr ? window->focusWidget() : window, keys);
    }
    void clickProperties(const char* name) { // ".." of X is the first
        QTest::mouseClick(window_->propertiesWindow()->findChildren<QPushButton*>(name).front(),
                          Qt::LeftButton);
    }
};

// Each change is one step: undo gives back exactly the mission, the title and
// the saved bytes from before it, redo (either shortcut) those from after it,
// whichever window has the focus. Undone in reverse order, the four steps
// give back the mission as opened; opening another mission empties the history.
TEST_F(UndoTest, EveryChangeIsOneStepUndoneAndRedoneExactly) {
    const QKeySequence undo(Qt::CTRL | Qt::Key_Z);
    const QKeySequence redo[] = {Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y};
    const NodeList& units = state_.mission.missionEntries[UnitListEntry(state_.mission)].nodes;
    int k = 1;
    while (!IsUnitNode(units[k].text()))
        ++k;
    const std::string firstX(units[k + kUnitXOffset].text());
    const double x = TextToNumber(firstX), z = TextToNumber(units[k + kUnitZOffset].text());
    const auto opened = snapshot();
    for (int step = 0; step < 4; ++step) {
        SCOPED_TRACE(step); // a drag, a "..", Mission Name, the environment's OK
        const auto before = snapshot();
        QWidget* focus = window_.get();
        if (step == 0) {
            moveTo(x, z);
            clickProperties("cmdMove");
            press(x, z);
            moveTo(x + 40, z + 30, true);
            release(x + 80, z + 60);
            clickProperties("cmdMove");
        } else if (step == 1) {
            dialogs_.queueInputAnswer("123.5");
            clickProperties("cmdChange");
            focus = window_->propertiesWindow();
        } else if (step == 2) {
            dialogs_.queueInputAnswer("Renamed");
            action("mnuMissionName")->trigger();
        } else {
            action("mnuEnvironment")->trigger();
            auto* dialog = window_->findChild<QWidget*>("frmEnvironment");
            dialog->findChild<QLineEdit*>("txtAmbientTemperature")->selectAll();
            QTest::keyClicks(dialog->findChild<QLineEdit*>("txtAmbientTemperature"), "-7");
            QTest::mouseClick(dialog->findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        const auto after = snapshot();
        ASSERT_NE(after, before) << "the change changes the mission";
        type(focus, undo);
        EXPECT_EQ(snapshot(), before);
        type(focus, redo[step % 2]);
        EXPECT_EQ(snapshot(), after);
    }
    for (int step = 0; step < 4; ++step)
        type(window_.get(), undo);
    EXPECT_EQ(snapshot(), opened);
    EXPECT_EQ(window_->propertiesWindow()->findChild<QLabel*>("lblX")->text().toStdString(),
              firstX);
    openMission(pbd("readermp02.PBD"));
    EXPECT_EQ(window_->history().stack().count(), 0);
}

} // namespace
} // namespace kmission::test
