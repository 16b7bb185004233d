#include "environment_windows.h"

#include "effect_dialog.h"
#include "environment_dialog.h"
#include "environment_fixtures.h"
#include "mission_history.h"

#include "qt_test_application.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include <memory>

namespace kmission {
namespace {

using test::InfoNodes;
using test::NodeHolding;

void ProcessDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class EnvironmentWindowsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication();
        mainWindow_ = std::make_unique<QWidget>();
        auto* history = new MissionHistory(state_, mainWindow_.get());
        windows_ = new EnvironmentWindows(state_, *history, mainWindow_.get());
    }

    void TearDown() override {
        mainWindow_.reset();
        ProcessDeletes();
    }

    void open(const NodeList& info) {
        state_.mission = test::MissionWith(info);
        state_.mapLoaded = true;
        windows_->show();
    }

    NodeList& infoNodes() { return state_.mission.missionEntries.back().nodes; }

    EnvironmentDialog* environment() const { return windows_->environmentDialog(); }

    QWidget* find(const char* window, const char* name, int index = -1) const {
        const QString wanted = window;
        QWidget* container = nullptr;
        if (wanted == "frmEnvironment") {
            container = environment();
        } else {
            for (EnvironmentKey effect : kEffectKeys) {
                EffectDialog* dialog = windows_->effectDialog(effect);
                if (dialog != nullptr && dialog->objectName() == wanted) {
                    container = dialog;
                }
            }
        }
        if (container == nullptr) {
            ADD_FAILURE() << window << " is not loaded";
            return nullptr;
        }
        for (QWidget* widget : container->findChildren<QWidget*>(name)) {
            const QVariant element = widget->property("index");
            if (index < 0 ? !element.isValid() : element.toInt() == index) {
                return widget;
            }
        }
        ADD_FAILURE() << window << "." << name << " not found";
        return nullptr;
    }

    QString textOf(const char* window, const char* name, int index = -1) const {
        auto* box = qobject_cast<QLineEdit*>(find(window, name, index));
        return box != nullptr ? box->text() : QString("<no box>");
    }

    void type(const char* window, const char* name, const QString& text, int index = -1) {
        auto* box = qobject_cast<QLineEdit*>(find(window, name, index));
        ASSERT_NE(box, nullptr);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    QComboBox* horizon() const { return qobject_cast<QComboBox*>(find("frmPropFog", "Combo1")); }

    QStringList listEntries() const {
        QStringList entries;
        auto* list = qobject_cast<QListWidget*>(find("frmEnvironment", "lstEnvProps"));
        for (int row = 0; row < list->count(); ++row) {
            entries << list->item(row)->text();
        }
        return entries;
    }

    void select(int row) {
        auto* list = qobject_cast<QListWidget*>(find("frmEnvironment", "lstEnvProps"));
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    void click(const char* button) {
        auto* control = qobject_cast<QPushButton*>(find("frmEnvironment", button));
        ASSERT_NE(control, nullptr);
        QTest::mouseClick(control, Qt::LeftButton);
    }

    // Display with the list entry `row` selected.
    void display(int row) {
        select(row);
        click("cmdView");
    }

    bool allClosed() {
        ProcessDeletes();
        bool closed =
            environment() == nullptr &&
            mainWindow_->findChildren<QDialog*>(QString(), Qt::FindDirectChildrenOnly).isEmpty();
        for (EnvironmentKey effect : kEffectKeys) {
            closed = closed && windows_->effectDialog(effect) == nullptr;
        }
        return closed;
    }

    EditorState state_;
    std::unique_ptr<QWidget> mainWindow_;
    EnvironmentWindows* windows_ = nullptr;
};

TEST_F(EnvironmentWindowsTest, LoadFillsEveryControlFromItsProperty) {
    open(test::FullEnvironment().nodes());
    ASSERT_NE(environment(), nullptr);
    EXPECT_TRUE(environment()->isVisible());
    EXPECT_FALSE(environment()->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_FALSE(state_.environmentClosing);

    EXPECT_EQ(listEntries(),
              QStringList({"fog", "rain", "sun", "underwater", "wind", "global_wind"}));
    EXPECT_TRUE(qobject_cast<QCheckBox*>(find("frmEnvironment", "chkJetCeiling"))->isChecked());
    EXPECT_EQ(horizon()->currentIndex(), 1);

    struct Expect {
        const char* window;
        const char* control;
        int index;
        const char* text;
    };
    const Expect expected[] = {
        {"frmEnvironment", "txtAmbientTemperature", -1, "21.5"},
        {"frmEnvironment", "txtJetCeiling", -1, "9000"},
        {"frmPropFog", "txtRed", -1, "31"},
        {"frmPropFog", "txtGreen", -1, "32"},
        {"frmPropFog", "txtBlue", -1, "33"},
        {"frmPropFog", "txtAltitude1", -1, "34"},
        {"frmPropFog", "txtAltitude2", -1, "35"},
        {"frmPropFog", "txtRange1", -1, "36"},
        {"frmPropFog", "txtRange2", -1, "37"},
        {"frmPropFog", "txtHWRange1", -1, "38"},
        {"frmPropFog", "txtHWRange2", -1, "39"},
        {"frmPropRain", "txtRed", -1, "42"},
        {"frmPropRain", "txtGreen", -1, "43"},
        {"frmPropRain", "txtBlue", -1, "44"},
        {"frmPropRain", "txtParticles", -1, "41"},
        {"frmPropSun", "txtSunOrientation", 0, "51"},
        {"frmPropSun", "txtSunOrientation", 1, "52"},
        {"frmPropSun", "txtSunOrientation", 2, "53"},
        {"frmPropSun", "txtDiffuse", -1, "54"},
        {"frmPropSun", "txtAmbient", -1, "55"},
        {"frmPropUnderwater", "txtRed", -1, "61"},
        {"frmPropUnderwater", "txtGreen", -1, "62"},
        {"frmPropUnderwater", "txtBlue", -1, "63"},
        {"frmPropUnderwater", "txtRange1", -1, "64"},
        {"frmPropUnderwater", "txtRange2", -1, "65"},
        {"frmPropUnderwater", "txtAltitude1", -1, "66"},
        {"frmPropUnderwater", "txtAltitude2", -1, "67"},
        {"frmPropWind", "txtDir", -1, "71"},
        {"frmPropWind", "txtVelocity", -1, "72"},
        {"frmPropWind", "txtGravity", -1, "73"},
        {"frmPropWind", "txtAlphagradient1", -1, "74"},
        {"frmPropWind", "txtAlphagradient2", -1, "75"},
        {"frmPropGlobalWind", "txtGWindVel", 0, "81"},
        {"frmPropGlobalWind", "txtGWindVel", 1, "82"},
        {"frmPropGlobalWind", "txtGWindVel", 2, "83"},
        {"frmPropGlobalWind", "txtMaxSpeed", -1, "84"},
        {"frmPropGlobalWind", "txtRandomAccel", -1, "85"},
        {"frmPropGlobalWind", "txtRandomAngVel", -1, "86"},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(std::string(e.window) + "." + e.control);
        EXPECT_EQ(textOf(e.window, e.control, e.index), e.text);
    }
    // The effect dialogs wait, hidden, for Display.
    for (EnvironmentKey effect : kEffectKeys) {
        ASSERT_NE(windows_->effectDialog(effect), nullptr);
        EXPECT_FALSE(windows_->effectDialog(effect)->isVisible());
    }
}

TEST_F(EnvironmentWindowsTest, TextsAreShownExactlyAsStored) {
    InfoNodes info;
    info.setting("ambient_temperature", {" 1e3 "}, kNodeString);
    info.setting("jet_ceiling", {"caf\xe9 \x81"}, kNodeString);
    const std::string longText(40000, '7');
    SunBlock(info, "sun", {"1", "2", "3"}, longText, "5");
    open(info.nodes());
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), " 1e3 ");
    EXPECT_EQ(textOf("frmPropSun", "txtDiffuse").toStdString(), longText);
    EXPECT_EQ(textOf("frmEnvironment", "txtJetCeiling"), QString::fromUtf8("caf\u00e9 \u0081"));
}

TEST_F(EnvironmentWindowsTest, KeysAreRecognisedByTheirCaseRules) {
    InfoNodes info;
    info.setting("Ambient_temperature", {"30"});
    info.setting("Jet_ceiling", {"800"});
    FogBlock(info, "Fog", "hormain", {"1", "2", "3"}, {"4", "5"}, {"6", "7"}, {"8", "9"});
    RainBlock(info, "RAIN", "500", {"10", "11", "12"});
    GlobalWindBlock(info, "Global_Wind", {"13", "14", "15"}, "16", "17", "18");
    open(info.nodes());

    EXPECT_EQ(listEntries(), QStringList({"rain", "global_wind"}));
    EXPECT_EQ(windows_->effectDialog(EnvironmentKey::Fog), nullptr);
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), "");
    EXPECT_EQ(textOf("frmEnvironment", "txtJetCeiling"), "");
    EXPECT_FALSE(qobject_cast<QCheckBox*>(find("frmEnvironment", "chkJetCeiling"))->isChecked());
    EXPECT_EQ(textOf("frmPropRain", "txtParticles"), "500");
    EXPECT_EQ(textOf("frmPropGlobalWind", "txtMaxSpeed"), "16");
}

// A mission named after a setting, or a value that reads as one, heads no
// setting: the dialog shows the real blocks, and OK leaves every node as it
// was, the name and every list node included.
TEST_F(EnvironmentWindowsTest, KeyWordsOutsideSettingsAreNoSettings) {
    InfoNodes info;
    info.setting("db_name", {"Wind"}, kNodeString);
    RainBlock(info, "rain", "300", {"1", "2", "3"});
    info.setting("weather", {"sun", "fog", "rain", "x", "y", "z", "w"}, kNodeString);
    WindBlock(info, "wind", "90", "4", "9.8", {"0.1", "0.2"});
    open(info.nodes());
    EXPECT_EQ(listEntries(), QStringList({"rain", "wind"}));
    EXPECT_EQ(textOf("frmPropWind", "txtDir"), "90");
    EXPECT_EQ(textOf("frmPropRain", "txtParticles"), "300");

    display(1);
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), info.nodes()), "");
}

TEST_F(EnvironmentWindowsTest, KeyTwiceIsListedTwiceShowsTheLaterAndReceivesEditsTwice) {
    InfoNodes info;
    SunBlock(info, "sun", {"1", "2", "3"}, "4", "5");
    info.setting("ambient_temperature", {"12"});
    SunBlock(info, "sun", {"6", "7", "8"}, "9", "10");
    open(info.nodes());

    EXPECT_EQ(listEntries(), QStringList({"sun", "sun"}));
    EXPECT_EQ(textOf("frmPropSun", "txtSunOrientation", 0), "6");
    EXPECT_EQ(textOf("frmPropSun", "txtAmbient"), "10");

    display(0);
    EffectDialog* sun = windows_->effectDialog(EnvironmentKey::Sun);
    EXPECT_TRUE(sun->isVisible());
    sun->close();
    display(1);
    EXPECT_EQ(windows_->effectDialog(EnvironmentKey::Sun), sun);
    EXPECT_TRUE(sun->isVisible());

    type("frmPropSun", "txtSunOrientation", "0.75", 1);
    click("cmdOK");

    NodeList expected = info.nodes();
    expected[NodeHolding(info.nodes(), "2")].setText("0.75");
    expected[NodeHolding(info.nodes(), "1")].setText("6");
    expected[NodeHolding(info.nodes(), "3")].setText("8");
    expected[NodeHolding(info.nodes(), "4")].setText("9");
    expected[NodeHolding(info.nodes(), "5")].setText("10");
    expected[NodeHolding(info.nodes(), "7")].setText("0.75");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), expected), "");
}

TEST_F(EnvironmentWindowsTest, HorizonTextOtherThanTheTwoWordsIsKeptUntilChosen) {
    InfoNodes info;
    FogBlock(info, "fog", "HORMAIN", {"1", "2", "3"}, {"4", "5"}, {"6", "7"}, {"8", "9"});
    const std::size_t horizonNode = NodeHolding(info.nodes(), "HORMAIN");

    open(info.nodes());
    EXPECT_EQ(horizon()->currentIndex(), -1);
    click("cmdOK");
    EXPECT_EQ(infoNodes()[horizonNode].text(), "HORMAIN");

    windows_->show();
    EXPECT_EQ(horizon()->currentIndex(), -1);
    horizon()->setCurrentIndex(1);
    click("cmdOK");
    EXPECT_EQ(infoNodes()[horizonNode].text(), "horblack");

    windows_->show();
    EXPECT_EQ(horizon()->currentIndex(), 1);
    horizon()->setCurrentIndex(0);
    click("cmdOK");
    EXPECT_EQ(infoNodes()[horizonNode].text(), "hormain");
    EXPECT_EQ(infoNodes()[horizonNode].type(), kNodeString);
}

// Keys whose values would lie beyond the last node: what is there is shown
// and written back, nothing is added.
InfoNodes underwater_cut_after_range1() {
    InfoNodes info;
    info.setting("jet_ceiling", {"7000"});
    UnderwaterBlock(info, "underwater", {"1", "2", "3"}, {"4", "5"}, {"6", "7"});
    return info.dropLast(5); // ends with range 1
}

InfoNodes ambient_temperature_without_value() {
    InfoNodes info;
    RainBlock(info, "rain", "300", {"1", "2", "3"});
    info.text("ambient_temperature");
    return info;
}

TEST_F(EnvironmentWindowsTest, KeysNearTheEndLoadAndWriteWhatIsThere) {
    open(underwater_cut_after_range1().nodes());
    EXPECT_EQ(textOf("frmPropUnderwater", "txtRange1"), "4");
    EXPECT_EQ(textOf("frmPropUnderwater", "txtRange2"), "");
    EXPECT_EQ(textOf("frmPropUnderwater", "txtAltitude1"), "");
    type("frmPropUnderwater", "txtRange1", "44");
    type("frmPropUnderwater", "txtAltitude2", "77");
    type("frmEnvironment", "txtJetCeiling", "7500");
    click("cmdOK");

    NodeList expected = underwater_cut_after_range1().nodes();
    expected[NodeHolding(expected, "7000")].setText("7500");
    expected.back().setText("44");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), expected), "");
    EXPECT_TRUE(allClosed());

    open(ambient_temperature_without_value().nodes());
    EXPECT_EQ(listEntries(), QStringList({"rain"}));
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), "");
    EXPECT_EQ(textOf("frmPropRain", "txtParticles"), "300");
    type("frmEnvironment", "txtAmbientTemperature", "15");
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), ambient_temperature_without_value().nodes()), "");
}

TEST_F(EnvironmentWindowsTest, OkWithoutChangesLeavesTheMissionIdentical) {
    InfoNodes info;
    info.setting("db_name", {"Caf\xe9 \x81"}, kNodeString);
    info.setting("ambient_temperature", {" -4.5 "}, kNodeString);
    info.setting("jet_ceiling", {"1E+04"});
    FogBlock(info, "fog", "Hormain", {"\xe9", "\x81", ""}, {"  4", "5 "}, {"6", "7"}, {"8", "9"});
    RainBlock(info, " Rain", "1", {"2", "3", "4"});
    SunBlock(info, "SUN", {"-0.5", "0.25", "1"}, "0.8", "0.2");
    UnderwaterBlock(info, "underwater", {"0", "64", "128"}, {"10", "20"}, {"-5", "-50"});
    WindBlock(info, "Wind", "270", "3.5", "9.81", {"0.1", "0.9"});
    GlobalWindBlock(info, "global_wind", {"1", "0", "-1"}, "12", "0.01", "0.02");
    open(info.nodes());
    ASSERT_EQ(listEntries().size(), 6);
    const MissionModel before = state_.mission;
    display(0);
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), before.missionEntries.back().nodes), "");
    EXPECT_EQ(state_.mission, before);
    EXPECT_TRUE(state_.environmentClosing);
    EXPECT_TRUE(allClosed());
}

TEST_F(EnvironmentWindowsTest, OkWritesEveryEditedControlToItsNode) {
    const NodeList original = test::FullEnvironment().nodes();
    open(original);
    struct Edit {
        const char* window;
        const char* control;
        int index;
        const char* oldText;
        const char* newText;
    };
    const Edit edits[] = {
        {"frmEnvironment", "txtAmbientTemperature", -1, "21.5", "-3"},
        {"frmEnvironment", "txtJetCeiling", -1, "9000", "12000"},
        {"frmPropFog", "txtBlue", -1, "33", "133"},
        {"frmPropFog", "txtRange2", -1, "37", "137"},
        {"frmPropRain", "txtParticles", -1, "41", "141"},
        {"frmPropSun", "txtSunOrientation", 2, "53", "153"},
        {"frmPropUnderwater", "txtRange1", -1, "64", "164"},
        {"frmPropUnderwater", "txtAltitude2", -1, "67", "167"},
        {"frmPropWind", "txtAlphagradient1", -1, "74", "not a number"},
        {"frmPropGlobalWind", "txtRandomAngVel", -1, "86", ""},
    };
    NodeList expected = original;
    for (const Edit& edit : edits) {
        type(edit.window, edit.control, edit.newText, edit.index);
        expected[NodeHolding(original, edit.oldText)].setText(edit.newText);
    }
    auto* jetCeiling = qobject_cast<QCheckBox*>(find("frmEnvironment", "chkJetCeiling"));
    jetCeiling->setChecked(false); // the box is never consulted
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), expected), "");
    EXPECT_EQ(state_.mission.missionEntries.front(), test::MissionWith({}).missionEntries.front());
}

TEST_F(EnvironmentWindowsTest, JetCeilingIsNeitherGainedNorChangeable) {
    InfoNodes info;
    info.setting("ambient_temperature", {"5"});
    open(info.nodes());
    auto* box = qobject_cast<QCheckBox*>(find("frmEnvironment", "chkJetCeiling"));
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(box->isChecked());
    type("frmEnvironment", "txtJetCeiling", "9999");
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), info.nodes()), "");
}

TEST_F(EnvironmentWindowsTest, CancelAfterEditsLeavesTheTreeAndReopeningShowsIt) {
    open(test::FullEnvironment().nodes());
    display(0);
    display(2);
    type("frmPropFog", "txtRed", "255");
    type("frmPropSun", "txtDiffuse", "0");
    type("frmEnvironment", "txtAmbientTemperature", "99");
    horizon()->setCurrentIndex(0);
    const MissionModel before = state_.mission;

    click("cmdCancel");
    EXPECT_TRUE(state_.environmentClosing);
    EXPECT_TRUE(allClosed());
    EXPECT_EQ(state_.mission, before);

    windows_->show();
    EXPECT_FALSE(state_.environmentClosing);
    EXPECT_EQ(textOf("frmPropFog", "txtRed"), "31");
    EXPECT_EQ(textOf("frmPropSun", "txtDiffuse"), "54");
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), "21.5");
    EXPECT_EQ(horizon()->currentIndex(), 1);
    EXPECT_FALSE(windows_->effectDialog(EnvironmentKey::Fog)->isVisible());
}

TEST_F(EnvironmentWindowsTest, DisplayShowsTheSelectedEffectOnly) {
    open(test::FullEnvironment().nodes());
    click("cmdView");
    for (EnvironmentKey effect : kEffectKeys) {
        EXPECT_FALSE(windows_->effectDialog(effect)->isVisible());
    }
    display(1);
    EffectDialog* rain = windows_->effectDialog(EnvironmentKey::Rain);
    EXPECT_TRUE(rain->isVisible());
    click("cmdView");
    EXPECT_EQ(mainWindow_->findChildren<EffectDialog*>("frmPropRain").size(), 1);
    EXPECT_TRUE(rain->isVisible());
    EXPECT_FALSE(windows_->effectDialog(EnvironmentKey::Fog)->isVisible());
    display(5);
    EXPECT_TRUE(windows_->effectDialog(EnvironmentKey::GlobalWind)->isVisible());
    EXPECT_TRUE(rain->isVisible());
}

TEST_F(EnvironmentWindowsTest, EffectDialogsOpenBesideTheEnvironmentDialogOnItsScreen) {
    open(test::FullEnvironment().nodes());
    for (int row = 0; row < 6; ++row) {
        SCOPED_TRACE(row);
        display(row);
        const EffectDialog* shown =
            windows_->effectDialog(kEffectKeys[static_cast<std::size_t>(row)]);
        ASSERT_TRUE(shown->isVisible());
        EXPECT_FALSE(shown->frameGeometry().intersects(environment()->frameGeometry()));
        EXPECT_TRUE(environment()->screen()->availableGeometry().contains(shown->frameGeometry()));
    }
}

TEST_F(EnvironmentWindowsTest, ClosedEffectDialogKeepsWhatWasTyped) {
    open(test::FullEnvironment().nodes());
    display(4);
    QPointer<EffectDialog> wind = windows_->effectDialog(EnvironmentKey::Wind);
    type("frmPropWind", "txtVelocity", "33.5");
    EXPECT_FALSE(wind->close());
    ProcessDeletes();
    ASSERT_FALSE(wind.isNull());
    EXPECT_FALSE(wind->isVisible());

    display(4);
    EXPECT_TRUE(wind->isVisible());
    EXPECT_EQ(textOf("frmPropWind", "txtVelocity"), "33.5");
    click("cmdOK");
    EXPECT_EQ(infoNodes()[NodeHolding(test::FullEnvironment().nodes(), "72")].text(), "33.5");
}

TEST_F(EnvironmentWindowsTest, ShowingAgainOnlyBringsTheDialogForward) {
    open(test::FullEnvironment().nodes());
    EnvironmentDialog* first = environment();
    type("frmEnvironment", "txtAmbientTemperature", "1");
    windows_->show();
    EXPECT_EQ(environment(), first);
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), "1");
    EXPECT_EQ(listEntries().size(), 6);
}

TEST_F(EnvironmentWindowsTest, MissionWithoutInfoEntryOpensAnEmptyDialog) {
    InfoNodes info;
    info.setting("ambient_temperature", {"5"});
    open(info.nodes());
    click("cmdCancel");
    state_.mission.missionEntries.back().name = "mpinfo.prx";
    const MissionModel before = state_.mission;

    windows_->show();
    EXPECT_TRUE(listEntries().isEmpty());
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), "");
    type("frmEnvironment", "txtAmbientTemperature", "8");
    click("cmdOK");
    EXPECT_EQ(state_.mission, before);
    EXPECT_TRUE(allClosed());
}

TEST_F(EnvironmentWindowsTest, LastInfoEntryIsTheOneShown) {
    InfoNodes first;
    first.setting("ambient_temperature", {"1"});
    InfoNodes second;
    second.setting("ambient_temperature", {"2"});
    state_.mission = test::MissionWith(first.nodes());
    state_.mission.missionEntries.push_back(test::Entry(" mpinfo.prd\t", second.nodes()));
    windows_->show();
    EXPECT_EQ(textOf("frmEnvironment", "txtAmbientTemperature"), "2");
}

// The info entry gained keys after the load (a mission name of "fog", say):
// their blocks were never loaded, and empty boxes must not overwrite them.
TEST_F(EnvironmentWindowsTest, OkLeavesSettingsTheLoadDidNotSee) {
    InfoNodes info;
    info.setting("db_name", {"Night Raid"}, kNodeString);
    info.setting("temp", {"18"});
    FogBlock(info, "fog_", "hormain", {"1", "2", "3"}, {"4", "5"}, {"6", "7"}, {"8", "9"});
    RainBlock(info, "rain", "200", {"10", "11", "12"});
    open(info.nodes());
    EXPECT_EQ(listEntries(), QStringList({"rain"}));

    infoNodes()[NodeHolding(infoNodes(), "temp")].setText("ambient_temperature");
    infoNodes()[NodeHolding(infoNodes(), "fog_")].setText("fog");
    const NodeList before = infoNodes();
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), before), "");
}

TEST_F(EnvironmentWindowsTest, OkWaitsWhileAMissionIsRead) {
    open(test::FullEnvironment().nodes());
    type("frmEnvironment", "txtAmbientTemperature", "-40");
    state_.loadInProgress = true;
    click("cmdOK");
    EXPECT_EQ(test::NodeDifferences(infoNodes(), test::FullEnvironment().nodes()), "");
    ASSERT_NE(environment(), nullptr);
    EXPECT_TRUE(environment()->isVisible());

    state_.loadInProgress = false;
    click("cmdOK");
    EXPECT_EQ(infoNodes()[NodeHolding(test::FullEnvironment().nodes(), "21.5")].text(), "-40");
}

TEST_F(EnvironmentWindowsTest, CloseAllDestroysHiddenAndVisibleWindowsWithoutWriting) {
    open(test::FullEnvironment().nodes());
    display(0);
    display(3);
    type("frmPropFog", "txtRed", "0");
    type("frmEnvironment", "txtJetCeiling", "1");
    QPointer<EffectDialog> hiddenSun = windows_->effectDialog(EnvironmentKey::Sun);
    QPointer<EffectDialog> visibleFog = windows_->effectDialog(EnvironmentKey::Fog);
    QPointer<EnvironmentDialog> dialog = environment();

    windows_->closeAll();
    EXPECT_TRUE(allClosed());
    EXPECT_TRUE(hiddenSun.isNull());
    EXPECT_TRUE(visibleFog.isNull());
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(test::NodeDifferences(infoNodes(), test::FullEnvironment().nodes()), "");

    // A mission opened afterwards starts afresh.
    InfoNodes next;
    WindBlock(next, "wind", "1", "2", "3", {"4", "5"});
    open(next.nodes());
    EXPECT_EQ(listEntries(), QStringList({"wind"}));
    EXPECT_EQ(windows_->effectDialog(EnvironmentKey::Fog), nullptr);
}

TEST_F(EnvironmentWindowsTest, WindowsCloseWithTheMainWindow) {
    open(test::FullEnvironment().nodes());
    display(2);
    QPointer<EffectDialog> sun = windows_->effectDialog(EnvironmentKey::Sun);
    QPointer<EffectDialog> hiddenFog = windows_->effectDialog(EnvironmentKey::Fog);
    QPointer<EnvironmentDialog> dialog = environment();
    mainWindow_.reset();
    EXPECT_TRUE(sun.isNull());
    EXPECT_TRUE(hiddenFog.isNull());
    EXPECT_TRUE(dialog.isNull());
}

} // namespace
} // namespace kmission
