// The environment dialog and the six effect dialogs, driven as the user drives
// them: what they show of the open mission and what OK writes back.
#include "environment_windows.h"

#include "effect_dialog.h"
#include "environment_dialog.h"
#include "environment_fixtures.h"
#include "mission_history.h"
#include "qt_test_application.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace kmission {
namespace {

using test::InfoNodes;
using enum EnvironmentKey;

class EnvironmentWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication();
        mainWindow_ = std::make_unique<QWidget>();
        history_ = new MissionHistory(state_, mainWindow_.get());
        windows_ = new EnvironmentWindows(state_, *history_, mainWindow_.get());
    }
    void TearDown() override { mainWindow_.reset(); }

    // The info entry is the archive's first entry, a unit entry follows it.
    void open(const NodeList& info) {
        state_.mission.missionEntries = {{"mpinfo.prd", info}, {"aivehicles.prd", {}}};
        windows_->show();
    }
    NodeList& infoNodes() { return state_.mission.missionEntries.front().nodes; }
    EnvironmentDialog* environment() const { return windows_->environmentDialog(); }
    EffectDialog* effect(EnvironmentKey key) const { return windows_->effectDialog(key); }

    // A control by "fog.txtRed", "sun.txtSunOrientation#1" or "env.txtJetCeiling".
    template <typename Control = QLineEdit> Control* find(const std::string& path) const {
        const std::size_t dot = path.find('.');
        const std::size_t hash = path.find('#');
        const std::string name = path.substr(dot + 1, hash - dot - 1);
        const int index = hash == std::string::npos ? -1 : std::stoi(path.substr(hash + 1));
        const auto key = EffectForListEntry(path.substr(0, dot));
        QWidget* control = key ? effect(*key)->control(name.c_str(), index)
                               : environment()->findChild<QWidget*>(name.c_str());
        EXPECT_NE(qobject_cast<Control*>(control), nullptr) << path;
        return qobject_cast<Control*>(control);
    }
    QString textOf(const std::string& path) const { return find(path)->text(); }
    void type(const std::string& path, const QString& text) {
        find(path)->selectAll();
        QTest::keyClick(find(path), Qt::Key_Delete);
        QTest::keyClicks(find(path), text);
    }
    QComboBox* horizon() const { return find<QComboBox>("fog.Combo1"); }
    QListWidget* list() const { return find<QListWidget>("env.lstEnvProps"); }
    void click(const char* button) {
        QTest::mouseClick(find<QPushButton>(std::string("env.") + button), Qt::LeftButton);
    }
    // Display with the list entry `row` selected.
    void display(int row) {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(list()->item(row)).center());
        click("cmdView");
    }
    bool allClosed() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return mainWindow_->findChildren<QDialog*>().isEmpty();
    }

    EditorState state_;
    std::unique_ptr<QWidget> mainWindow_;
    MissionHistory* history_ = nullptr;
    EnvironmentWindows* windows_ = nullptr;
};

// Each control shows its own value of the info entry (the values of a window
// in stored order: fog 31, 32, ...), and OK writes what is typed into each to
// that value's node, in one undoable step.
TEST_F(EnvironmentWindowsTest, ControlsShowTheirValuesAndOkWritesThemBack) {
    const NodeList original = test::FullEnvironment();
    open(original);
    ASSERT_TRUE(environment()->isVisible());
    EXPECT_FALSE(environment()->isModal());
    EXPECT_EQ(environment()->maximumSize(), QSize(200, 339));
    EXPECT_EQ(environment()->minimumSize(), QSize(200, 339));
    EXPECT_FALSE(environment()->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(find<QCheckBox>("env.chkJetCeiling")->isChecked());
    EXPECT_EQ(horizon()->currentIndex(), 1);
    // Per window: the value in its first control, then its controls in stored order.
    const std::vector<std::string> windows[] = {
        {"21.5", "env.txtAmbientTemperature"},
        {"9000", "env.txtJetCeiling"},
        {"31", "fog.txtRed", "txtGreen", "txtBlue", "txtAltitude1", "txtAltitude2", "txtRange1",
         "txtRange2", "txtHWRange1", "txtHWRange2"},
        {"41", "rain.txtParticles", "txtRed", "txtGreen", "txtBlue"},
        {"51", "sun.txtSunOrientation#0", "txtSunOrientation#1", "txtSunOrientation#2",
         "txtDiffuse", "txtAmbient"},
        {"61", "underwater.txtRed", "txtGreen", "txtBlue", "txtRange1", "txtRange2", "txtAltitude1",
         "txtAltitude2"},
        {"71", "wind.txtDir", "txtVelocity", "txtGravity", "txtAlphagradient1",
         "txtAlphagradient2"},
        {"81", "global_wind.txtGWindVel#0", "txtGWindVel#1", "txtGWindVel#2", "txtMaxSpeed",
         "txtRandomAccel", "txtRandomAngVel"},
    };
    std::map<std::string, std::string> edits;
    for (const std::vector<std::string>& window : windows) {
        const std::string effect = window[1].substr(0, window[1].find('.') + 1);
        for (std::size_t i = 1; i < window.size(); ++i) {
            const std::string path = i == 1 ? window[1] : effect + window[i];
            const std::string text =
                i == 1 ? window[0] : std::to_string(std::stoi(window[0]) + i - 1);
            EXPECT_EQ(textOf(path).toStdString(), text) << path;
            type(path, QString::fromStdString("-" + text));
            edits[text] = "-" + text;
        }
    }
    horizon()->setCurrentIndex(0);
    edits["horblack"] = "hormain";
    find<QCheckBox>("env.chkJetCeiling")->setChecked(false); // OK never reads it
    click("cmdOK");
    EXPECT_EQ(infoNodes(), test::Edited(original, edits));
    EXPECT_TRUE(allClosed());
    history_->stack().undo();
    EXPECT_EQ(infoNodes(), original);
}

// OK without a change leaves the mission as it was, byte for byte: texts in
// windows-1252, with spaces, longer than a text box takes by default, a
// horizon that is neither mode, a mission named after a key. "Jet_ceiling" is
// no setting: nothing typed for it is written, and the jet ceiling box only
// tells whether the mission has the setting.
TEST_F(EnvironmentWindowsTest, OkWithoutChangesLeavesTheMissionIdentical) {
    InfoNodes info;
    info.setting("db_name", {"Wind"}, kNodeString);
    info.setting("ambient_temperature", {"caf\xe9 \x81 "}, kNodeString)
        .setting("Jet_ceiling", {"caf\xe9 \x81"}, kNodeString);
    info.block(Fog, "fog", {"HORMAIN", "\xe9", "\x81", "", "  4", "5 ", "6", "7", "8", "9"});
    info.block(Sun, "SUN", {"-0.5", "0.25", "1", std::string(40000, '7'), "0.2"});
    open(info.nodes());
    EXPECT_EQ(list()->count(), 2);
    EXPECT_EQ(textOf("env.txtAmbientTemperature"), QString::fromUtf8("caf\u00e9 \u0081 "));
    EXPECT_EQ(horizon()->currentIndex(), -1);
    QTest::mouseClick(find<QCheckBox>("env.chkJetCeiling"), Qt::LeftButton);
    EXPECT_FALSE(find<QCheckBox>("env.chkJetCeiling")->isChecked());
    type("env.txtJetCeiling", "9999");
    const MissionModel before = state_.mission;
    display(0);
    click("cmdOK");
    EXPECT_EQ(state_.mission, before);
    EXPECT_EQ(history_->stack().count(), 0);
}

// Display needs a selected entry (the current row alone is none) and shows
// that effect's dialog, of a fixed size, beside the environment dialog, on
// its screen.
TEST_F(EnvironmentWindowsTest, DisplayShowsTheSelectedEffectBesideTheList) {
    open(test::FullEnvironment());
    list()->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    click("cmdView");
    EXPECT_FALSE(effect(Fog)->isVisible());
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        display(row);
        const EffectDialog* shown = effect(kEffectKeys[static_cast<std::size_t>(row)]);
        ASSERT_TRUE(shown->isVisible());
        EXPECT_EQ(shown->minimumSize(), shown->maximumSize());
        EXPECT_EQ(shown->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint),
                  Qt::WindowCloseButtonHint);
        EXPECT_FALSE(shown->frameGeometry().intersects(environment()->frameGeometry()));
        EXPECT_TRUE(environment()->screen()->availableGeometry().contains(shown->frameGeometry()));
    }
}

// Enter, Escape and the close boxes leave the windows open, an effect
// dialog's close box only hides it, keeping what was typed, until OK; OK waits
// while a mission is being read. Cancel writes nothing; reopened, the windows
// show the mission. Without an info entry OK writes nothing.
TEST_F(EnvironmentWindowsTest, OnlyOkAndCancelCloseTheWindows) {
    open(test::FullEnvironment());
    for (const char* name : {"txtAmbientTemperature", "cmdOK", "cmdCancel", "lstEnvProps"}) {
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(find<QWidget>(std::string("env.") + name), key);
        }
    }
    EXPECT_FALSE(environment()->close());
    display(4);
    type("wind.txtVelocity", "33.5");
    QTest::keyClick(find("wind.txtVelocity"), Qt::Key_Escape);
    EXPECT_FALSE(effect(Wind)->close());
    ASSERT_FALSE(allClosed());
    EXPECT_FALSE(effect(Wind)->isVisible());
    state_.loadInProgress = true;
    click("cmdOK");
    state_.loadInProgress = false;
    ASSERT_FALSE(allClosed());
    click("cmdOK");
    EXPECT_EQ(infoNodes()[test::NodeHolding(test::FullEnvironment(), "72")].text(), "33.5");
    EXPECT_TRUE(allClosed());

    windows_->show();
    type("wind.txtVelocity", "255");
    const MissionModel before = state_.mission;
    click("cmdCancel");
    EXPECT_TRUE(state_.environmentClosing);
    EXPECT_TRUE(allClosed());
    EXPECT_EQ(state_.mission, before);
    windows_->show();
    EXPECT_FALSE(state_.environmentClosing);
    EXPECT_EQ(textOf("wind.txtVelocity"), "33.5");
    click("cmdCancel");

    const NodeList other = InfoNodes().setting("ambient_temperature", {"1"}).nodes();
    state_.mission.missionEntries = {{"mpinfo.prx", other}};
    windows_->show();
    type("env.txtAmbientTemperature", "8");
    click("cmdOK");
    EXPECT_EQ(infoNodes(), other);
}

} // namespace
} // namespace kmission
