// The main window: start-up through the game's registry and its failures, the
// layout, zoom and resize of the map view, closing, and File > Open, File >
// Save and Mission > Name with their dialogs and messages.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "map_painter.h"
#include "properties_window.h"
#include "text.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QTimer>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace kmission::test {
namespace {

class MainWindowTest : public EditorFixture {
protected:
    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(name); }
    bool propertiesShown() { return window_->propertiesWindow()->isVisible(); }
};

// The game's files are found in any letter case; the Map menu lists the
// catalogue's names as stored.
TEST_F(MainWindowTest, StartUpFindsTheGameThroughTheWineRegistry) {
    std::filesystem::rename(pbd("reader.pbd"), pbd("READER.PBD"));
    std::filesystem::rename(pbd("rimage.pbd"), pbd("RImage.PBD"));
    startEditor();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{});
    ASSERT_GE(state_.mapCatalogue.size(), 3u);
    ASSERT_EQ(mapItems().size(), static_cast<qsizetype>(state_.mapCatalogue.size()));
    for (qsizetype i = 0; i < mapItems().size(); ++i) {
        EXPECT_EQ(mapItems()[i]->text().toStdString(),
                  state_.mapCatalogue[static_cast<std::size_t>(i)].name);
        EXPECT_EQ(mapItems()[i]->data().toInt(), i + 1);
        EXPECT_FALSE(mapItems()[i]->isChecked());
    }
    EXPECT_FALSE(state_.pictureIndex.empty());
    ASSERT_TRUE(propertiesShown());
}

// A start-up that fails says why; the window still comes up for File > Open,
// the properties window only when the catalogue was read.
TEST_F(MainWindowTest, StartUpFailuresSayWhy) {
    fixtures::ValueStream oddMap;
    oddMap.list(2).text("maps").list(3).list(9).text("name").list(2).text("alpha");
    oddMap.text("bitmap").list(3).text("alpha.bmp").text("mpp").list(2).real(1.5f);
    oddMap.text("offset").list(4).integer(10).integer(0).integer(20);
    const Bytes oddReader = fixtures::ArchiveBuilder().entry("maps.prd", oddMap.bytes()).standard();
    // The menu keeps its design item "maps" without a catalogue.
    const std::tuple<std::function<void()>, std::string, bool, const char*> cases[] = {
        {[&] { setenv("WINEPREFIX", folder_.path().toUtf8().constData(), 1); }, "Bad Path!", true,
         "maps"},
        {[&] { WriteFileSafely(pbd("reader.pbd"), Bytes(200, 0)); }, "Bad File", false, "maps"},
        {[&] { WriteFileSafely(pbd("reader.pbd"), oddReader); }, "error 22", true, "alpha       "},
    };
    for (const auto& [prepare, message, properties, caption] : cases) {
        SCOPED_TRACE(message);
        SetUp();
        prepare();
        dialogs_ = platform::ScriptedDialogs{};
        state_ = EditorState{};
        startEditor();
        EXPECT_EQ(messageTexts(), std::vector<std::string>{message});
        EXPECT_EQ(mapItems().size(), 1);
        EXPECT_EQ(mapItems()[0]->text(), caption);
        EXPECT_TRUE(window_->isVisible());
        EXPECT_EQ(propertiesShown(), properties);
        EXPECT_EQ(state_.pictureIndex.empty(), caption[0] == 'm') << "no catalogue, no pictures";
    }
}

// The view follows the window's size; an opened mission's map fills it and
// the zoom buttons scale it about its top left corner.
TEST_F(MainWindowTest, TheViewFollowsTheWindowAndZooms) {
    startEditor();
    EXPECT_TRUE(button("cmdZoomOut")->isVisible());
    EXPECT_FALSE(button("Command2")->isVisible());
    EXPECT_FALSE(window_->findChild<QWidget*>("Picture2")->isVisible());
    EXPECT_EQ(view()->geometry(), QRect(4, 24, 640, 480));
    EXPECT_EQ(window_->centralWidget()->size(), QSize(648, 513));
    // The view takes the window's size less its margins, but never less.
    window_->resize(900, 700);
    QApplication::processEvents();
    const QSize client = window_->centralWidget()->size();
    EXPECT_EQ(view()->size(), QSize(client.width() - 8, client.height() - 33));
    window_->centralWidget()->resize(5, 20);
    QApplication::processEvents();
    EXPECT_EQ(view()->size(), QSize(client.width() - 8, client.height() - 33));
    openMission(pbd("readermp01.PBD"));
    const QImage painted = grabView();
    // The picture fills the drawing area right after opening: the map
    // surface's top-left pixel is the view's first pixel inside the border.
    EXPECT_EQ(painted.pixel(2 + 5, 2 + 5), window_->mapSurface().pixel(5, 5));
    const EditorState opened = state_;
    QTest::mouseClick(button("cmdZoomIn"), Qt::LeftButton);
    EXPECT_EQ(state_.viewRect.left, opened.viewRect.left);
    EXPECT_EQ(state_.viewRect.top, opened.viewRect.top);
    EXPECT_FLOAT_EQ(state_.viewRect.width, opened.viewRect.width * 0.95f);
    EXPECT_EQ(MapPictureRect(state_), (PixelRect{0, 0, 674, 505}));
    QTest::mouseClick(button("cmdZoomOut"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(state_.viewZoom, opened.viewZoom * 0.95 * 1.05);
}

// The environment dialog opens once and closes with its mission; Exit closes
// every window without a question about unsaved changes.
TEST_F(MainWindowTest, EnvironmentOpensOnceAndClosesWithItsMissionOrTheWindow) {
    startEditor();
    openMission(pbd("readermp01.PBD"));
    action("mnuEnvironment")->trigger();
    QPointer<QWidget> environment = window_->findChild<QWidget*>("frmEnvironment");
    ASSERT_TRUE(environment->isVisible());
    action("mnuEnvironment")->trigger();
    EXPECT_EQ(window_->findChildren<QWidget*>("frmEnvironment").size(), 1);
    openMission(pbd("readermp02.PBD"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(environment.isNull());
    action("mnuEnvironment")->trigger();
    environment = window_->findChild<QWidget*>("frmEnvironment");
    dialogs_ = platform::ScriptedDialogs{};
    action("mnufileexit")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_FALSE(window_->propertiesWindow()->isVisible());
    EXPECT_TRUE(environment.isNull() || !environment->isVisible());
    EXPECT_TRUE(dialogs_.messages().empty());
}

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
