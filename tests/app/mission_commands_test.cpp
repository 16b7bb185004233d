// File > Open, File > Save and Mission > Name with their dialogs and messages.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "text.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <fstream>
#include <thread>

namespace kmission::test {
namespace {

class MissionCommandsTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
        ASSERT_TRUE(dialogs_.messages().empty());
    }

    std::string writeFile(const std::string& name, const Bytes& bytes) {
        const std::string path = folder_.path().toStdString() + "/" + name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    Bytes readFile(const std::string& path) { return ReadWholeFile(path).value_or(Bytes{}); }

    // A small mission: "mpinfo.prd" with a name and a map, and one unit entry.
    static Bytes SmallMission(const std::string& name, const std::string& map) {
        fixtures::ValueStream info;
        info.list(3).text("mission").text("db_name").list(2).text(name);
        info.text("MAP").list(2).text(map);
        fixtures::ValueStream units;
        units.list(1).text("player_1").list(2).text("position").list(5);
        units.real(10.5f).integer(0).real(-20.0f).integer(90);
        return fixtures::ArchiveBuilder()
            .entry("mpinfo.prd", info.bytes())
            .entry("aiv_units.prd", units.bytes())
            .standard();
    }

    int checkedItem() const {
        int checked = -1;
        for (QAction* item : mapItems()) {
            if (item->isChecked()) {
                EXPECT_EQ(checked, -1) << "only one map is checked";
                checked = item->property("index").toInt();
            }
        }
        return checked;
    }

    void resetMessages() { dialogs_ = platform::ScriptedDialogs{}; }

    Bytes save(const std::string& name) {
        const std::string target = folder_.path().toStdString() + "/" + name;
        dialogs_.queueSaveFile(target);
        action("mnuFileSave")->trigger();
        return readFile(target);
    }

    void rename(const std::string& name) {
        dialogs_.queueInputAnswer(name);
        action("mnuMissionName")->trigger();
    }

    void clickEnvironmentOk() {
        auto* dialog = window_->findChild<QWidget*>("frmEnvironment");
        ASSERT_NE(dialog, nullptr);
        auto* ok = dialog->findChild<QPushButton*>("cmdOK");
        ASSERT_NE(ok, nullptr);
        QTest::mouseClick(ok, Qt::LeftButton);
    }
};

TEST_F(MissionCommandsTest, OpenShowsTheMissionItsMapAndLoaded) {
    openMission(pbd("readermp01.PBD"));
    ASSERT_EQ(dialogs_.fileRequests().size(), 1u);
    const platform::FileDialogRequest& request = dialogs_.fileRequests()[0].request;
    EXPECT_EQ(request.title, "Open PBD");
    EXPECT_EQ(request.filter, "readermp*.PBD Korv3 Pellam|readermp*.PBD");
    EXPECT_EQ(request.defaultExtension, ".PBD");
    EXPECT_EQ(request.initialFolder, state_.dataDir);
    EXPECT_EQ(request.options, 0x1804u);

    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Loaded!"});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the pointer is the arrow again";
    EXPECT_TRUE(window_->windowTitle().startsWith("Korv Mission Editor [BETA1] - "));
    EXPECT_GT(window_->windowTitle().size(), 30);
    EXPECT_TRUE(state_.mapLoaded);
    EXPECT_GE(checkedItem(), 0);
    EXPECT_FALSE(window_->mapSurface().isNull());
    EXPECT_EQ(window_->mapView()->size(), QSize(640, 480));
    EXPECT_GT(state_.mission.missionEntryCount(), 3);
}

TEST_F(MissionCommandsTest, CancelledOpenChangesNothing) {
    dialogs_.queueOpenFile(std::nullopt);
    action("mnufileopen")->trigger();
    EXPECT_TRUE(dialogs_.messages().empty());
    EXPECT_EQ(state_.mission.missionEntryCount(), 0);
    EXPECT_FALSE(state_.mapLoaded);
}

TEST_F(MissionCommandsTest, RefusedFilesKeepTheOpenMission) {
    openMission(pbd("readermp01.PBD"));
    const MissionModel before = state_.mission;
    const QString title = window_->windowTitle();

    struct Case {
        const char* name;
        Bytes bytes;
        std::vector<std::string> messages;
    };
    fixtures::ValueStream corrupt;
    corrupt.list(1).tag(9);
    const std::vector<Case> cases = {
        {"count_beyond_limit",
         fixtures::ArchiveBuilder().entry("mpinfo.prd", {}).standardWithCount(10001, 1),
         {"Sorry not for Ashen Tide expansion."}},
        {"bad_tag",
         fixtures::ArchiveBuilder()
             .entry("a.prd", {})
             .entry("mpinfo.prd", corrupt.bytes())
             .standard(),
         {"Corrupted Mission!  9", "12"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        resetMessages();
        openMission(writeFile(std::string(c.name) + ".PBD", c.bytes));
        EXPECT_EQ(messageTexts(), c.messages);
        EXPECT_EQ(state_.mission, before);
        EXPECT_EQ(window_->windowTitle(), title);
        EXPECT_TRUE(state_.mapLoaded);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    resetMessages();
    openMission(folder_.path().toStdString() + "/missing.PBD");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Bad Path!"});
    EXPECT_EQ(state_.mission, before);
}

// `kmission PATH` opens PATH as File > Open does once the user has chosen it.
TEST_F(MissionCommandsTest, OpeningAPathIsFileOpenWithoutTheDialog) {
    openMission(pbd("readermp01.PBD"));
    const QString title = window_->windowTitle();
    const MissionModel opened = state_.mission;
    struct Case {
        std::string path;
        std::vector<std::string> messages;
    };
    for (const Case& c : {Case{folder_.path().toStdString() + "/missing.PBD", {"Bad Path!"}},
                          Case{pbd("readermp01.PBD"), {"Loaded!"}}}) {
        SCOPED_TRACE(c.path);
        resetMessages();
        window_->setWindowTitle("");
        window_->openMissionFile(c.path);
        EXPECT_TRUE(dialogs_.fileRequests().empty());
        EXPECT_EQ(messageTexts(), c.messages);
    }
    EXPECT_EQ(window_->windowTitle(), title);
    EXPECT_EQ(state_.mission, opened);
}

TEST_F(MissionCommandsTest, ArchiveWithoutMissionInfoLeavesNoMissionOpen) {
    openMission(pbd("readermp01.PBD"));
    const QString title = window_->windowTitle();
    const int checked = checkedItem();
    resetMessages();
    openMission(
        writeFile("builtin.PBD", fixtures::ArchiveBuilder().entry("other.prd", {}).standard()));
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Built in Mission not available to edit!"});
    EXPECT_EQ(state_.mission.missionEntryCount(), 0);
    EXPECT_TRUE(state_.mapLoaded) << "the picture and scale of the previous mission stay";
    EXPECT_EQ(window_->windowTitle(), title);
    EXPECT_EQ(checkedItem(), checked);
}

// Closing the window while a mission is read ends the program quietly: no
// message appears once the window has gone.
TEST_F(MissionCommandsTest, ClosingWhileAMissionIsReadShowsNothingMore) {
    QTimer::singleShot(0, window_.get(), &QWidget::close);
    // Long enough since start-up that the read lets the close come in.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    openMission(pbd("readermp01.PBD"));
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(dialogs_.messages().empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(MissionCommandsTest, MapValueIsMatchedLowerCasedAgainstTheMenu) {
    const std::string map = CleanText(state_.mapCatalogue[1].name);
    openMission(writeFile("upper.PBD", SmallMission("Upper", ToUpperAscii(map))));
    EXPECT_EQ(checkedItem(), 1);
    EXPECT_EQ(window_->windowTitle(), "Korv Mission Editor [BETA1] - Upper");

    resetMessages();
    openMission(writeFile("nomap.PBD", SmallMission("Nowhere", "atlantis")));
    EXPECT_EQ(checkedItem(), -1) << "no item keeps its check";
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Loaded!"});
    EXPECT_EQ(window_->windowTitle(), "Korv Mission Editor [BETA1] - Nowhere");
}

TEST_F(MissionCommandsTest, ChoosingAMapItemOnlyMovesTheCheckMark) {
    openMission(pbd("readermp01.PBD"));
    const ViewRect view = state_.viewRect;
    const int map = state_.currentMap;
    const int other = checkedItem() == 0 ? 1 : 0;
    mapItems()[other]->trigger();
    EXPECT_EQ(checkedItem(), other);
    EXPECT_EQ(state_.viewRect, view);
    EXPECT_EQ(state_.currentMap, map);
}

TEST_F(MissionCommandsTest, SaveWithoutMissionDoesNothing) {
    action("mnuFileSave")->trigger();
    EXPECT_TRUE(dialogs_.fileRequests().empty());
    EXPECT_TRUE(dialogs_.messages().empty());
}

TEST_F(MissionCommandsTest, SaveWritesTheSameBytesAndAsksBeforeReplacing) {
    openMission(pbd("readermp01.PBD"));
    resetMessages();
    const std::string target = folder_.path().toStdString() + "/copy.PBD";
    dialogs_.queueSaveFile(target);
    action("mnuFileSave")->trigger();
    ASSERT_EQ(dialogs_.fileRequests().size(), 1u);
    const platform::FileDialogRequest& request = dialogs_.fileRequests()[0].request;
    EXPECT_EQ(request.title, "Save PBD");
    EXPECT_EQ(request.filter, "readermp*.PBD Korv3 Pellam|readermp*.PBD");
    EXPECT_EQ(request.defaultExtension, ".PBD");
    EXPECT_EQ(request.initialFolder, state_.dataDir);
    EXPECT_EQ(request.options, 0x804u);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Saved!"});
    EXPECT_EQ(readFile(target), readFile(pbd("readermp01.PBD")));

    // An existing file: anything but Yes leaves it alone.
    const Bytes other = {1, 2, 3};
    writeFile("copy.PBD", other);
    for (platform::DialogButton answer :
         {platform::DialogButton::No, platform::DialogButton::Cancel}) {
        resetMessages();
        dialogs_.queueSaveFile(target);
        dialogs_.queueMessageAnswer(answer);
        action("mnuFileSave")->trigger();
        ASSERT_EQ(dialogs_.messages().size(), 1u);
        EXPECT_EQ(dialogs_.messages()[0],
                  (Message{"Replace Existing File?", "Replace", MessageButtons::YesNoCancel,
                           MessageIcon::Question}));
        EXPECT_EQ(readFile(target), Bytes(other.begin(), other.end()));
    }
    resetMessages();
    dialogs_.queueSaveFile(target);
    dialogs_.queueMessageAnswer(platform::DialogButton::Yes);
    action("mnuFileSave")->trigger();
    EXPECT_EQ(messageTexts(), (std::vector<std::string>{"Replace Existing File?", "Saved!"}));
    EXPECT_EQ(readFile(target), readFile(pbd("readermp01.PBD")));
}

TEST_F(MissionCommandsTest, SaveToAFolderThatCannotBeWrittenSaysWhy) {
    openMission(pbd("readermp01.PBD"));
    resetMessages();
    dialogs_.queueSaveFile(folder_.path().toStdString() + "/no/such/folder/x.PBD");
    action("mnuFileSave")->trigger();
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_TRUE(dialogs_.messages()[0].text.starts_with("Not saved: "))
        << dialogs_.messages()[0].text;
}

TEST_F(MissionCommandsTest, RenameStoresTheTextAsTypedAndShowsItCleaned) {
    action("mnuMissionName")->trigger();
    EXPECT_TRUE(dialogs_.inputs().empty()) << "no mission, no question";

    openMission(writeFile("rename.PBD", SmallMission("Old Name", "x")));
    dialogs_.queueInputAnswer("  New Name  ");
    action("mnuMissionName")->trigger();
    ASSERT_EQ(dialogs_.inputs().size(), 1u);
    EXPECT_EQ(dialogs_.inputs()[0],
              (platform::ScriptedDialogs::InputRequest{"Mission Name:", "Name", "Old Name"}));
    EXPECT_EQ(window_->windowTitle(), "Korv Mission Editor [BETA1] - New Name");
    EXPECT_EQ(state_.mission.missionEntries[0].nodes[5].text(), "  New Name  ");

    // Cancel (the empty answer) changes nothing.
    action("mnuMissionName")->trigger();
    EXPECT_EQ(window_->windowTitle(), "Korv Mission Editor [BETA1] - New Name");
    EXPECT_EQ(state_.mission.missionEntries[0].nodes[5].text(), "  New Name  ");

    // Saved with its spaces; the next open cleans them away again.
    const std::string target = folder_.path().toStdString() + "/renamed.PBD";
    dialogs_.queueSaveFile(target);
    action("mnuFileSave")->trigger();
    openMission(target);
    EXPECT_EQ(window_->windowTitle(), "Korv Mission Editor [BETA1] - New Name");
    EXPECT_EQ(state_.mission.missionEntries[0].nodes[5].text(), "New Name");
    EXPECT_EQ(state_.mission.missionEntries[0].nodes[5].length(), 12);
}

// A mission named after one of the environment settings, renamed before the
// environment dialog opens or while it is open: OK without a change saves
// exactly the bytes that a save before OK gives.
TEST_F(MissionCommandsTest, EnvironmentOkKeepsMissionsNamedAfterASetting) {
    const std::string words[] = {"ambient_temperature", "jet_ceiling", "fog",        "rain", "sun",
                                 "underwater",          "wind",        "global_wind"};
    int saves = 0;
    for (const std::string& word : words) {
        const std::string capitalised = ToUpperAscii(word.substr(0, 1)) + word.substr(1);
        for (const std::string& name : {word, ToUpperAscii(word), capitalised}) {
            for (const bool renameWhileOpen : {false, true}) {
                SCOPED_TRACE(name + (renameWhileOpen ? ", renamed while open" : ""));
                openMission(pbd("readermp01.PBD"));
                if (!renameWhileOpen) {
                    rename(name);
                }
                action("mnuEnvironment")->trigger();
                if (renameWhileOpen) {
                    rename(name);
                }
                const Bytes withoutOk = save("plain" + std::to_string(++saves) + ".PBD");
                clickEnvironmentOk();
                EXPECT_TRUE(save("ok" + std::to_string(saves) + ".PBD") == withoutOk);
            }
        }
    }
}

} // namespace
} // namespace kmission::test
