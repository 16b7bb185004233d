// Undo and redo of every kind of change, driven through the real windows
// with the keys a user presses.
#include "editor_fixture.h"
#include "file_io.h"
#include "mission_history.h"
#include "properties_window.h"
#include "text.h"
#include "unit_editing.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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

    // What the user has: the mission's texts, the title, and the bytes saved.
    struct Snapshot {
        MissionModel mission;
        QString title;
        Bytes saved;
        friend bool operator==(const Snapshot&, const Snapshot&) = default;
    };
    Snapshot snapshot() {
        const std::string target =
            folder_.path().toStdString() + "/saved" + std::to_string(++saves_) + ".PBD";
        dialogs_.queueSaveFile(target);
        action("mnuFileSave")->trigger();
        return {state_.mission, window_->windowTitle(), ReadWholeFile(target).value_or(Bytes{})};
    }

    // The keys, pressed while `window` is the active window: they go to the
    // control that has the focus there.
    void press(QWidget* window, const QKeySequence& keys) {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        QWidget* focus = window->focusWidget();
        QTest::keySequence(focus != nullptr ? focus : window, keys);
    }

    PropertiesWindow* properties() { return window_->propertiesWindow(); }
    QWidget* environment() const { return window_->findChild<QWidget*>("frmEnvironment"); }

    // The first unit the map view can pick, and its position.
    std::pair<double, double> firstUnit() const {
        const EntryTree& units =
            state_.mission.missionEntries[static_cast<std::size_t>(UnitListEntry(state_.mission))];
        for (int k = 1; k < static_cast<int>(units.nodes.size()); ++k) {
            if (IsUnitWithValues(units, k)) {
                return {
                    TextToNumber(units.nodes[static_cast<std::size_t>(k + kUnitXOffset)].text()),
                    TextToNumber(units.nodes[static_cast<std::size_t>(k + kUnitZOffset)].text())};
            }
        }
        ADD_FAILURE() << "no unit";
        return {};
    }

    void dragFirstUnit() {
        const auto [x, z] = firstUnit();
        moveTo(x, z);
        QPushButton* move = properties()->findChild<QPushButton*>("cmdMove");
        QTest::mouseClick(move, Qt::LeftButton);
        EditorFixture::press(x, z);
        moveTo(x + 40, z + 30, true);
        moveTo(x + 80, z + 60, true);
        release(x + 80, z + 60);
        QTest::mouseClick(move, Qt::LeftButton);
    }

    void changeX(const std::string& answer) {
        dialogs_.queueInputAnswer(answer);
        for (QPushButton* b : properties()->findChildren<QPushButton*>("cmdChange")) {
            if (b->property("index").toInt() == 0) {
                QTest::mouseClick(b, Qt::LeftButton);
            }
        }
    }

    void rename(const std::string& name) {
        dialogs_.queueInputAnswer(name);
        action("mnuMissionName")->trigger();
    }

    void setTemperature(const QString& text) {
        action("mnuEnvironment")->trigger();
        auto* box = environment()->findChild<QLineEdit*>("txtAmbientTemperature");
        box->selectAll();
        QTest::keyClicks(box, text);
        closeEnvironment("cmdOK");
    }

    // OK or Cancel; the closed dialog goes at once, so that the next one found
    // is the one the user sees.
    void closeEnvironment(const char* button) {
        QTest::mouseClick(environment()->findChild<QPushButton*>(button), Qt::LeftButton);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    int saves_ = 0;
};

// Each change is one step: undo gives back exactly the mission, the title and
// the saved bytes from before it, redo those from after it, whichever of the
// main window and the properties window has the focus. Undone in reverse
// order, the four give back the mission as opened.
TEST_F(UndoTest, EveryChangeIsOneStepUndoneAndRedoneExactly) {
    struct Step {
        const char* name;
        std::function<void()> change;
        std::function<QWidget*()> focus;
        QKeySequence redo;
    };
    const auto mainWindow = [this]() -> QWidget* { return window_.get(); };
    const Step steps[] = {
        {"drag", [this] { dragFirstUnit(); }, mainWindow, kRedo},
        {"change X", [this] { changeX("123.5"); }, [this] { return properties(); }, kRedoY},
        {"rename", [this] { rename("Renamed"); }, mainWindow, kRedo},
        {"environment OK", [this] { setTemperature("-7"); }, mainWindow, kRedoY},
    };
    std::vector<Snapshot> before;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        before.push_back(snapshot());
        step.change();
        const Snapshot after = snapshot();
        ASSERT_FALSE(after == before.back()) << "the change changes the mission";
        press(step.focus(), kUndo);
        EXPECT_TRUE(snapshot() == before.back());
        press(step.focus(), step.redo);
        EXPECT_TRUE(snapshot() == after);
    }
    for (auto it = before.rbegin(); it != before.rend(); ++it) {
        press(window_.get(), kUndo);
        EXPECT_TRUE(snapshot() == *it) << "undone back to step " << (before.rend() - it);
    }
    EXPECT_EQ(
        properties()->findChild<QLabel*>("lblX")->text().toStdString(),
        std::string(state_.mission.missionEntries[static_cast<std::size_t>(state_.selectedEntry)]
                        .nodes[static_cast<std::size_t>(RowNode(state_, 0))]
                        .text()))
        << "the properties window shows the unit as it is again";
}

// With the environment dialog open, undo works from it and the dialog shows
// the values put back, but a text box being edited keeps its own undo.
TEST_F(UndoTest, EnvironmentDialogShowsWhatUndoPutsBack) {
    action("mnuEnvironment")->trigger();
    const QString opened = environment()->findChild<QLineEdit*>("txtAmbientTemperature")->text();
    closeEnvironment("cmdCancel");
    setTemperature("-7");

    action("mnuEnvironment")->trigger();
    auto* box = environment()->findChild<QLineEdit*>("txtAmbientTemperature");
    box->setFocus();
    QTest::keyClicks(box, "5");
    const Snapshot edited = snapshot();
    press(environment(), kUndo);
    EXPECT_EQ(box->text(), "-7") << "the box took its own text back";
    EXPECT_TRUE(snapshot() == edited);

    environment()->findChild<QListWidget*>("lstEnvProps")->setFocus();
    press(environment(), kUndo);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(environment()->findChild<QLineEdit*>("txtAmbientTemperature")->text(), opened);
}

TEST_F(UndoTest, OpeningAnotherMissionEmptiesTheHistory) {
    rename("Renamed");
    openMission(pbd("readermp02.PBD"));
    const Snapshot opened = snapshot();
    press(window_.get(), kUndo);
    EXPECT_TRUE(snapshot() == opened);
    EXPECT_EQ(window_->history().stack().count(), 0);
}

} // namespace
} // namespace kmission::test
