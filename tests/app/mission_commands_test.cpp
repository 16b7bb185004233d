// File > Open, File > Save and Mission > Name with their dialogs and messages.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "text.h"

#include <QGuiApplication>
#include <QTimer>

#include <chrono>
#include <thread>

namespace kmission::test {
namespace {

using Texts = std::vector<std::string>;

class MissionCommandsTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
    }
    // A mission whose info entry names it and its map.
    std::string small(const std::string& file, const std::string& name, const std::string& map) {
        return files_.write(file, fixtures::ArchiveBuilder()
                                      .entry("mpinfo.prd", fixtures::MissionInfo(name, {map}))
                                      .entry("aiv_units.prd", {})
                                      .standard());
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
    Texts reset() {
        Texts texts = messageTexts();
        dialogs_ = platform::ScriptedDialogs{};
        return texts;
    }
    void save(const std::string& name) {
        dialogs_.queueSaveFile(files_.file(name));
        action("mnuFileSave")->trigger();
    }
    void rename(const std::string& name) {
        dialogs_.queueInputAnswer(name);
        action("mnuMissionName")->trigger();
    }
    QString title(const QString& name) const { return "Korv Mission Editor [BETA1] - " + name; }

    fixtures::TempDir files_;
};

// Open shows the mission, its map and "Loaded!"; a cancelled Open, and Save,
// Name and Environment without a mission, do nothing.
TEST_F(MissionCommandsTest, OpenShowsTheMissionItsMapAndLoaded) {
    dialogs_.queueOpenFile(std::nullopt);
    for (const char* command : {"mnufileopen", "mnuFileSave", "mnuMissionName", "mnuEnvironment"}) {
        action(command)->trigger();
    }
    EXPECT_EQ(window_->findChild<QWidget*>("frmEnvironment"), nullptr);
    EXPECT_EQ(dialogs_.fileRequests().size(), 1u);
    EXPECT_TRUE(dialogs_.inputs().empty());
    openMission(pbd("readermp01.PBD"));
    EXPECT_EQ(dialogs_.fileRequests()[1].request,
              (platform::FileDialogRequest{"Open PBD", "readermp*.PBD Korv3 Pellam|readermp*.PBD",
                                           ".PBD", state_.dataDir, 0x1804u}));
    EXPECT_EQ(messageTexts(), Texts{"Loaded!"});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the pointer is the arrow again";
    EXPECT_TRUE(state_.mapLoaded);
    EXPECT_EQ(view()->size(), QSize(640, 480));
}

// The MAP value is matched lower-cased against the menu. A refused file keeps
// the open mission, its title and map; an archive without mission info leaves
// none open (the map picture stays). Choosing a map item only moves the check.
TEST_F(MissionCommandsTest, RefusedFilesKeepTheOpenMissionAndItsMap) {
    openMission(small("upper.PBD", "Upper", ToUpperAscii(CleanText(state_.mapCatalogue[1].name))));
    const MissionModel before = state_.mission;
    const std::tuple<std::string, Bytes, Texts> cases[] = {
        {"count.PBD",
         fixtures::ArchiveBuilder().entry("mpinfo.prd", {}).standardWithCount(10001, 1),
         {"Sorry not for Ashen Tide expansion."}},
        {"missing.PBD", {}, {"Bad Path!"}},
        {"builtin.PBD",
         fixtures::ArchiveBuilder().entry("other.prd", {}).standard(),
         {"Built in Mission not available to edit!"}},
    };
    for (const auto& [name, bytes, messages] : cases) {
        SCOPED_TRACE(name);
        reset();
        openMission(bytes.empty() ? files_.file(name) : files_.write(name, bytes));
        EXPECT_EQ(messageTexts(), messages);
        EXPECT_EQ(state_.mission == before, name != "builtin.PBD");
        EXPECT_EQ(window_->windowTitle(), title("Upper"));
        EXPECT_TRUE(state_.mapLoaded);
        EXPECT_EQ(checkedItem(), 1);
        EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    }
    const EditorState opened = state_;
    mapItems()[2]->trigger();
    EXPECT_EQ(checkedItem(), 2);
    EXPECT_EQ(state_.viewRect, opened.viewRect);
    EXPECT_EQ(state_.currentMap, opened.currentMap);
    openMission(small("nomap.PBD", "Nowhere", "atlantis"));
    EXPECT_EQ(checkedItem(), -1) << "no item keeps its check";
    EXPECT_EQ(window_->windowTitle(), title("Nowhere"));
}

// Closing the window while a mission is read ends the program quietly.
TEST_F(MissionCommandsTest, ClosingWhileAMissionIsReadShowsNothingMore) {
    QTimer::singleShot(0, window_.get(), &QWidget::close);
    // Long enough since start-up that the read lets the close come in.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    openMission(pbd("readermp01.PBD"));
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(dialogs_.messages().empty());
}

// Save writes the same bytes, asks before replacing a file (anything but Yes
// leaves it) and says why it could not write.
TEST_F(MissionCommandsTest, SaveWritesTheSameBytesAndAsksBeforeReplacing) {
    openMission(pbd("readermp01.PBD"));
    reset();
    save("copy.PBD");
    EXPECT_EQ(dialogs_.fileRequests()[0].request,
              (platform::FileDialogRequest{"Save PBD", "readermp*.PBD Korv3 Pellam|readermp*.PBD",
                                           ".PBD", state_.dataDir, 0x804u}));
    EXPECT_EQ(reset(), Texts{"Saved!"});
    const Bytes original = ReadWholeFile(pbd("readermp01.PBD")).value();
    EXPECT_EQ(files_.read("copy.PBD"), original);
    const Message question{"Replace Existing File?", "Replace", MessageButtons::YesNoCancel,
                           MessageIcon::Question};
    const Bytes other = {1, 2, 3};
    files_.write("copy.PBD", other);
    for (platform::DialogButton answer :
         {platform::DialogButton::No, platform::DialogButton::Cancel,
          platform::DialogButton::Yes}) {
        dialogs_.queueMessageAnswer(answer);
        save("copy.PBD");
        EXPECT_EQ(dialogs_.messages().front(), question);
        EXPECT_EQ(files_.read("copy.PBD"),
                  answer == platform::DialogButton::Yes ? original : other);
        EXPECT_EQ(reset().size(), answer == platform::DialogButton::Yes ? 2u : 1u);
    }
    save("no/such/folder/x.PBD");
    EXPECT_TRUE(reset().at(0).starts_with("Not saved: "));
}

// The name is stored as typed and shown cleaned; Cancel (the empty answer)
// changes nothing.
TEST_F(MissionCommandsTest, RenameStoresTheTextAsTypedAndShowsItCleaned) {
    openMission(small("rename.PBD", "Old Name", "x"));
    rename("  New Name  ");
    EXPECT_EQ(dialogs_.inputs()[0],
              (platform::ScriptedDialogs::InputRequest{"Mission Name:", "Name", "Old Name"}));
    rename("");
    EXPECT_EQ(window_->windowTitle(), title("New Name"));
    EXPECT_EQ(state_.mission.missionEntries[0].nodes[5].text(), "  New Name  ");
}

} // namespace
} // namespace kmission::test
