// The main window: layout, zoom and resize of the map view, what it paints,
// the small commands and closing.
#include "about_dialog.h"
#include "editor_fixture.h"
#include "map_painter.h"
#include "properties_window.h"
#include "view_transform.h"

#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace kmission::test {
namespace {

class MainWindowTest : public EditorFixture {
protected:
    void SetUp() override {
        EditorFixture::SetUp();
        startEditor();
    }

    QPushButton* button(const char* name) const { return window_->findChild<QPushButton*>(name); }

    static int CountPixels(const QImage& image, QRgb colour) {
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += image.pixel(x, y) == colour;
            }
        }
        return count;
    }
};

TEST_F(MainWindowTest, ControlsAndMenusAreThere) {
    const std::tuple<const char*, const char*, bool> buttons[] = {
        {"cmdZoomOut", "Zoom Out", true},
        {"cmdZoomIn", "Zoom In", true},
        {"Command1", "Reset", true},
        {"Command2", "Node Shift", false}};
    for (const auto& [name, caption, visible] : buttons) {
        ASSERT_NE(button(name), nullptr) << name;
        EXPECT_EQ(button(name)->text(), caption);
        EXPECT_EQ(button(name)->isVisible(), visible) << name;
    }
    EXPECT_EQ(window_->mapView()->objectName(), "Picture1");
    EXPECT_EQ(window_->mapView()->geometry(), QRect(4, 24, 640, 480));
    EXPECT_EQ(window_->centralWidget()->size(), QSize(648, 513));
    EXPECT_FALSE(window_->findChild<QWidget*>("Picture2")->isVisible());
    QStringList menus;
    for (QAction* a : window_->menuBar()->actions()) {
        menus << a->text();
    }
    EXPECT_EQ(menus, (QStringList{"&File", "&Mission", "&View", "&About"}));
    QStringList items;
    for (const char* menu : {"mnufile", "mnuMission", "mnuView"}) {
        for (QAction* a : window_->findChild<QMenu*>(menu)->actions()) {
            items << a->objectName() + " " + a->text();
        }
    }
    EXPECT_EQ(items,
              (QStringList{"mnufileopen &Open", "mnuFileSave &Save", "mnufilesep1 ",
                           "mnufileexit &Exit", "mnuMissionName &Name",
                           "mnuEnvironment &Environment", " &Map", "mnuViewProps &Properties"}));
}

// The view takes the window's size less its margins, and keeps its size when
// the window gets smaller than the margins.
TEST_F(MainWindowTest, ViewFollowsTheWindowSizeButNotBelowItsMargins) {
    window_->resize(900, 700);
    QApplication::processEvents();
    const QSize client = window_->centralWidget()->size();
    EXPECT_EQ(window_->mapView()->size(), QSize(client.width() - 8, client.height() - 33));
    EXPECT_EQ(window_->mapView()->pos(), QPoint(4, 24));

    const QSize before = window_->mapView()->size();
    window_->centralWidget()->resize(5, 20);
    QApplication::processEvents();
    EXPECT_EQ(window_->mapView()->size(), before);
}

TEST_F(MainWindowTest, OpenedMissionIsPaintedOverItsMapAndZoomed) {
    const QImage empty = grabView();
    EXPECT_EQ(CountPixels(empty, kUnitColour), 0);
    EXPECT_EQ(CountPixels(empty, kAxisColour), 0);

    openMission(pbd("readermp01.PBD"));
    const QImage view = grabView();
    EXPECT_GT(CountPixels(view, kUnitColour), 20);
    EXPECT_GT(CountPixels(view, kAxisColour), 100);
    EXPECT_GT(CountPixels(view, kInsideRegionColour), 10);
    EXPECT_GT(CountPixels(view, kOutsideRegionColour), 10);
    EXPECT_GT(CountPixels(view, kOtherRegionColour), 10);
    // The picture fills the drawing area right after opening: the map
    // surface's top-left pixel is the view's first pixel inside the border.
    EXPECT_EQ(view.pixel(2 + 5, 2 + 5), window_->mapSurface().pixel(5, 5));
    // The zoom buttons scale the view about its top left corner.
    const EditorState opened = state_;
    QTest::mouseClick(button("cmdZoomIn"), Qt::LeftButton);
    EXPECT_EQ(state_.viewRect.left, opened.viewRect.left);
    EXPECT_EQ(state_.viewRect.top, opened.viewRect.top);
    EXPECT_FLOAT_EQ(state_.viewRect.width, opened.viewRect.width * 0.95f);
    EXPECT_EQ(MapPictureRect(state_), (PixelRect{0, 0, 674, 505}));
    QTest::mouseClick(button("cmdZoomOut"), Qt::LeftButton);
    EXPECT_DOUBLE_EQ(state_.viewZoom, opened.viewZoom * 0.95 * 1.05);
}

TEST_F(MainWindowTest, EnvironmentOpensOnceAndClosesWithItsMissionOrTheWindow) {
    openMission(pbd("readermp01.PBD"));
    action("mnuEnvironment")->trigger();
    QPointer<QWidget> environment = window_->findChild<QWidget*>("frmEnvironment");
    ASSERT_FALSE(environment.isNull());
    EXPECT_TRUE(environment->isVisible());
    EXPECT_EQ(environment->windowTitle(), "Environment Settings");
    action("mnuEnvironment")->trigger();
    EXPECT_EQ(window_->findChildren<QWidget*>("frmEnvironment").size(), 1);

    openMission(pbd("readermp02.PBD"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(environment.isNull());
    // Exit closes every window without a question about unsaved changes.
    action("mnuEnvironment")->trigger();
    environment = window_->findChild<QWidget*>("frmEnvironment");
    ASSERT_TRUE(environment->isVisible());
    QPointer<PropertiesWindow> properties = window_->propertiesWindow();
    dialogs_ = platform::ScriptedDialogs{};
    action("mnufileexit")->trigger();
    QApplication::processEvents();
    EXPECT_FALSE(window_->isVisible());
    EXPECT_TRUE(properties.isNull() || !properties->isVisible());
    EXPECT_TRUE(environment.isNull() || !environment->isVisible());
    EXPECT_TRUE(dialogs_.messages().empty());
}

TEST_F(MainWindowTest, AboutShowsTitleVersionAndNoSystemInformation) {
    bool checked = false;
    WhenModal<AboutDialog>([&](AboutDialog* about) {
        EXPECT_EQ(about->windowTitle(), "About KMission");
        EXPECT_EQ(about->findChild<QLabel*>("lblTitle")->text(), "KMission");
        EXPECT_EQ(about->findChild<QLabel*>("lblVersion")->text(), "Version 0.5.1");
        EXPECT_FALSE(about->findChild<QLabel*>("lblDescription")->text().isEmpty());
        EXPECT_EQ(about->size(), QSize(382, 237));
        QTest::mouseClick(about->findChild<QPushButton*>("cmdSysInfo"), Qt::LeftButton);
        QTest::keyClick(about, Qt::Key_Escape);
        checked = true;
    });
    action("mnuAbout")->trigger();
    EXPECT_TRUE(checked);
    EXPECT_EQ(messageTexts(),
              std::vector<std::string>{"System Information Is Unavailable At This Time"});
}

} // namespace
} // namespace kmission::test
