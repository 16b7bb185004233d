// Start-up of the editor: the game data found through the registry, the map
// catalogue in the Map menu, and every way start-up can fail.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "properties_window.h"

#include <filesystem>
#include <fstream>

namespace kmission::test {
namespace {

class StartUpTest : public EditorFixture {
protected:
    void writeFile(const std::string& path, const Bytes& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }

    void writeSystemReg(const std::string& programValue) {
        std::ofstream out(demoDir_ + "/prefix/system.reg", std::ios::trunc);
        out << "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
            << "[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n"
            << "\"Program\"=" << programValue << "\n";
    }

    // A "reader.pbd" whose "maps.prd" holds `maps`.
    void writeReader(const fixtures::ValueStream& maps) {
        writeFile(pbd("reader.pbd"),
                  fixtures::ArchiveBuilder().entry("maps.prd", maps.bytes()).standard());
    }

    QStringList mapCaptions() const {
        QStringList captions;
        for (QAction* item : mapItems()) {
            captions << item->text();
        }
        return captions;
    }

    PropertiesWindow* properties() const { return window_->findChild<PropertiesWindow*>(); }
};

TEST_F(StartUpTest, FindsTheDemoGameThroughTheWineRegistry) {
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
    ASSERT_NE(properties(), nullptr);
    EXPECT_TRUE(properties()->isVisible());
    EXPECT_EQ(properties()->windowTitle(), "Properties");
    EXPECT_EQ(properties()->frameGeometry().right() + 1, window_->frameGeometry().left());
    EXPECT_EQ(properties()->frameGeometry().top(), window_->frameGeometry().top());
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

TEST_F(StartUpTest, WithoutTheGamesKeyTheFallbackFolderGivesBadPath) {
    const QTemporaryDir emptyPrefix;
    setenv("WINEPREFIX", emptyPrefix.path().toUtf8().constData(), 1);
    startEditor();
    EXPECT_EQ(state_.dataDir, "D:\\Korv3\\pbd\\");
    ASSERT_EQ(dialogs_.messages().size(), 1u);
    EXPECT_EQ(dialogs_.messages()[0], Message{"Bad Path!"});
    EXPECT_EQ(mapCaptions(), QStringList{"maps"});
    EXPECT_TRUE(window_->isVisible());
    ASSERT_NE(properties(), nullptr);
    EXPECT_TRUE(properties()->isVisible());

    // The design item "maps" is no map: a mission naming it opens no map.
    fixtures::ValueStream info;
    info.list(3).text("mission").text("db_name").list(2).text("Nowhere");
    info.text("MAP").list(2).text("maps");
    const std::string mission = folder_.path().toStdString() + "/readermp09.PBD";
    writeFile(mission, fixtures::ArchiveBuilder().entry("mpinfo.prd", info.bytes()).standard());
    openMission(mission);
    EXPECT_FALSE(mapItems()[0]->isChecked());
    EXPECT_FALSE(state_.mapLoaded);
}

TEST_F(StartUpTest, ProgramValueWithoutTrailingBackslashGivesBadPath) {
    writeSystemReg("\"Z:" + QString::fromStdString(demoDir_).replace('/', "\\\\").toStdString() +
                   "\"");
    startEditor();
    EXPECT_TRUE(state_.dataDir.ends_with("gamepbd\\")) << state_.dataDir;
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Bad Path!"});
}

TEST_F(StartUpTest, ProgramValueAsNumberCountsAsMissing) {
    writeSystemReg("dword:00000010");
    startEditor();
    EXPECT_EQ(state_.dataDir, "D:\\Korv3\\pbd\\");
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Bad Path!"});
}

TEST_F(StartUpTest, GameFilesInOtherLetterCasesAreFound) {
    std::filesystem::rename(pbd("reader.pbd"), pbd("READER.PBD"));
    std::filesystem::rename(pbd("rimage.pbd"), pbd("RImage.PBD"));
    startEditor();
    EXPECT_TRUE(dialogs_.messages().empty());
    EXPECT_GE(state_.mapCatalogue.size(), 3u);
    EXPECT_FALSE(state_.pictureIndex.empty());
}

TEST_F(StartUpTest, BadTrailerEndsStartUpWithBadFile) {
    Bytes bytes(200, 0);
    writeFile(pbd("reader.pbd"), bytes);
    startEditor();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Bad File"});
    EXPECT_TRUE(state_.mapCatalogue.empty());
    EXPECT_TRUE(state_.pictureIndex.empty()) << "start-up ends before the picture index";
    EXPECT_EQ(mapCaptions(), QStringList{"maps"});
    EXPECT_TRUE(window_->isVisible());
    EXPECT_TRUE(properties() == nullptr || !properties()->isVisible());
}

TEST_F(StartUpTest, UnknownTagInTheCatalogueEndsStartUp) {
    fixtures::ValueStream maps;
    maps.list(2).text("maps").tag(7);
    writeReader(maps);
    startEditor();
    ASSERT_EQ(dialogs_.messages().size(), 2u);
    EXPECT_EQ(dialogs_.messages()[0], Message{"new type found! 7\nOr error."});
    // The position of the first byte after the bad tag: two values (8 and 12
    // bytes) and the tag itself.
    EXPECT_EQ(dialogs_.messages()[1], (Message{"24", "Fpos"}));
    EXPECT_EQ(mapCaptions(), QStringList{"maps"});
    EXPECT_TRUE(properties() == nullptr || !properties()->isVisible());
}

TEST_F(StartUpTest, CatalogueMessagesLetStartUpGoOn) {
    fixtures::ValueStream maps;
    maps.list(2).text("maps").list(3);
    maps.list(9).text("name").list(2).text("alpha");
    maps.text("bitmap").list(3).text("alpha.bmp");
    maps.text("mpp").list(2).real(1.5f);
    maps.text("offset").list(4).integer(10).integer(0).integer(20);
    writeReader(maps);
    startEditor();
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"error 22"});
    EXPECT_EQ(mapCaptions(), QStringList{"alpha       "});
    ASSERT_NE(properties(), nullptr);
    EXPECT_TRUE(properties()->isVisible());
}

} // namespace
} // namespace kmission::test
