// The main window: start-up through the game's registry and its failures, the
// layout, zoom and resize of the map view, and closing.
#include "core_fixtures.h"
#include "editor_fixture.h"
#include "file_io.h"
#include "map_painter.h"
#include "properties_window.h"

#include <QPushButton>

#include <filesystem>
#include <functional>

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
    // Closed, View > Properties brings it back beside the main window.
    window_->propertiesWindow()->close();
    window_->move(400, 300);
    action("mnuViewProps")->trigger();
    ASSERT_TRUE(propertiesShown());
    const QRect properties = window_->propertiesWindow()->frameGeometry();
    EXPECT_EQ(properties.right() + 1, window_->frameGeometry().left());
    EXPECT_EQ(properties.top(), window_->frameGeometry().top());
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

} // namespace
} // namespace kmission::test
