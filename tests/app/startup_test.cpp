// Start-up of the editor: the game data found through the registry, the map
// catalogue in the Map menu, and every way start-up can fail.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "properties_window.h"

#include <filesystem>
#include <fstream>
#include <functional>

namespace kmission::test {
namespace {

class StartUpTest : public EditorFixture {
protected:
    std::string write(const std::string& path, const Bytes& bytes) {
        EXPECT_EQ(WriteFileSafely(path, bytes), std::nullopt);
        return path;
    }
    void writeProgramValue(const std::string& value) {
        std::ofstream(demoDir_ + "/prefix/system.reg", std::ios::trunc)
            << "WINE REGISTRY Version 2\n\n[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n"
            << "\"Program\"=" << value << "\n";
    }
    // A "reader.pbd" whose "maps.prd" holds `maps`.
    void writeReader(const fixtures::ValueStream& maps) {
        write(pbd("reader.pbd"),
              fixtures::ArchiveBuilder().entry("maps.prd", maps.bytes()).standard());
    }
    QStringList mapCaptions() const {
        QStringList captions;
        for (QAction* item : mapItems()) {
            captions << item->text();
        }
        return captions;
    }
    bool propertiesShown() const {
        auto* properties = window_->findChild<PropertiesWindow*>();
        return properties != nullptr && properties->isVisible();
    }
};

// The game's files are found in any letter case.
TEST_F(StartUpTest, FindsTheDemoGameThroughTheWineRegistry) {
    std::filesystem::rename(pbd("reader.pbd"), pbd("READER.PBD"));
    std::filesystem::rename(pbd("rimage.pbd"), pbd("RImage.PBD"));
    startEditor();
    EXPECT_TRUE(dialogs_.messages().empty());
    EXPECT_EQ(state_.dataDir.substr(0, 3), "Z:\\");
    EXPECT_TRUE(state_.dataDir.ends_with("\\game\\pbd\\")) << state_.dataDir;
    EXPECT_EQ(window_->windowTitle(), "Korv Mission Editor [BETA1]");
    ASSERT_GE(state_.mapCatalogue.size(), 3u);
    ASSERT_EQ(mapItems().size(), static_cast<qsizetype>(state_.mapCatalogue.size()));
    for (qsizetype i = 0; i < mapItems().size(); ++i) {
        QAction* item = mapItems()[i];
        EXPECT_EQ(item->text().size(), 12) << "captions keep the stored 12 characters";
        EXPECT_EQ(item->text().toStdString(),
                  state_.mapCatalogue[static_cast<std::size_t>(i)].name);
        EXPECT_EQ(item->data().toInt(), i + 1);
        EXPECT_FALSE(item->isChecked());
    }
    EXPECT_FALSE(state_.pictureIndex.empty());
    ASSERT_TRUE(propertiesShown());
    // Closed, View > Properties brings it back beside the main window.
    window_->propertiesWindow()->close();
    QApplication::processEvents();
    window_->move(400, 300);
    action("mnuViewProps")->trigger();
    ASSERT_TRUE(propertiesShown());
    const QRect properties = window_->findChild<PropertiesWindow*>()->frameGeometry();
    EXPECT_EQ(properties.right() + 1, window_->frameGeometry().left());
    EXPECT_EQ(properties.top(), window_->frameGeometry().top());
}

// The registry holds the folder in Unicode; windows-1252 would make it "?".
TEST_F(StartUpTest, GameFoldersNamedInOtherAlphabetsAreFound) {
    for (const char* name : {"Игры", "Παιχνίδια", "Gry łatwe"}) {
        SCOPED_TRACE(name);
        const std::string game = folder_.path().toStdString() + "/" + name + "/game";
        std::string error;
        ASSERT_TRUE(demo::WriteDemoInstallation(game, error)) << error;
        setenv("WINEPREFIX", (game + "/prefix").c_str(), 1);
        dialogs_ = platform::ScriptedDialogs{};
        startEditor();
        EXPECT_TRUE(dialogs_.messages().empty()) << dialogs_.messages().front().text;
        EXPECT_TRUE(std::filesystem::equivalent(state_.dataDir, game + "/pbd/")) << state_.dataDir;
        EXPECT_GE(state_.mapCatalogue.size(), 3u);
        window_->openMissionFile(state_.dataDir + "readermp01.PBD");
        EXPECT_EQ(messageTexts(), std::vector<std::string>{"Loaded!"});
    }
}

// A start-up that fails says why; the window still comes up for File > Open,
// the properties window only when the catalogue was read.
TEST_F(StartUpTest, FailuresSayWhy) {
    const QTemporaryDir emptyPrefix;
    fixtures::ValueStream badTag;
    badTag.list(2).text("maps").tag(7);
    fixtures::ValueStream oddMap;
    oddMap.list(2).text("maps").list(3).list(9).text("name").list(2).text("alpha");
    oddMap.text("bitmap").list(3).text("alpha.bmp").text("mpp").list(2).real(1.5f);
    oddMap.text("offset").list(4).integer(10).integer(0).integer(20);
    const auto noKey = [&] { setenv("WINEPREFIX", emptyPrefix.path().toUtf8().constData(), 1); };
    const auto number = [&] { writeProgramValue("dword:00000010"); };
    const auto noBackslash = [&] {
        writeProgramValue(
            "\"Z:" + QString::fromStdString(demoDir_).replace('/', "\\\\").toStdString() + "\"");
    };
    const auto badTrailer = [&] { write(pbd("reader.pbd"), Bytes(200, 0)); };
    struct Case {
        std::function<void()> prepare;
        Messages messages;
        bool properties;
    };
    // Fpos: the first byte after the bad tag, after two values of 8 and 12 bytes.
    const Case cases[] = {
        {noKey, {{"Bad Path!"}}, true},
        {number, {{"Bad Path!"}}, true},
        {noBackslash, {{"Bad Path!"}}, true},
        {badTrailer, {{"Bad File"}}, false},
        {[&] { writeReader(badTag); }, {{"new type found! 7\nOr error."}, {"24", "Fpos"}}, false},
        {[&] { writeReader(oddMap); }, {{"error 22"}}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.messages[0].text);
        SetUp();
        c.prepare();
        dialogs_ = platform::ScriptedDialogs{};
        state_ = EditorState{};
        startEditor();
        EXPECT_EQ(dialogs_.messages(), c.messages);
        EXPECT_EQ(mapCaptions(),
                  QStringList{c.messages[0].text == "error 22" ? "alpha       " : "maps"});
        EXPECT_TRUE(window_->isVisible());
        EXPECT_EQ(propertiesShown(), c.properties);
        if (!c.properties) {
            EXPECT_TRUE(state_.pictureIndex.empty()) << "a failed read ends start-up early";
        }
        if (c.messages[0].text == "Bad Path!") {
            // The fallback folder, or the Program value as it stands.
            const char* folder = &c == cases + 2 ? "\\gamepbd\\" : "D:\\Korv3\\pbd\\";
            EXPECT_TRUE(state_.dataDir.ends_with(folder)) << state_.dataDir;
        }
    }
    // The design item "maps" is no map: a mission naming it opens no map.
    window_->openMissionFile(
        write(folder_.path().toStdString() + "/readermp09.PBD",
              fixtures::ArchiveBuilder()
                  .entry("mpinfo.prd", fixtures::MissionInfo("Nowhere", {"maps"}))
                  .standard()));
    EXPECT_FALSE(mapItems()[0]->isChecked());
    EXPECT_FALSE(state_.mapLoaded);
}

} // namespace
} // namespace kmission::test
