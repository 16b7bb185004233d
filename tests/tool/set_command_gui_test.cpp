// set does what the editor's windows do: the same changes made through the
// windows and through the tool save to the same bytes.
#include "editor_fixture.h"
#include "properties_window.h"
#include "tool_process.h"
#include "view_transform.h"

#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace kmission::test {
namespace {

class SetCommandGuiTest : public EditorFixture {
protected:
    // Hovers over world (x, z) on the map view, through the transform drawing uses.
    void hover(double x, double z) {
        MapView* view = window_->mapView();
        const ViewTransform transform(state_.viewRect,
                                      DrawingAreaSize({view->width(), view->height()}));
        const PixelPoint p = transform.toPixel({x, z});
        const QPointF at(p.x + kViewBorder, p.y + kViewBorder);
        QMouseEvent move(QEvent::MouseMove, at, view->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(view, &move);
    }

    template <typename T> T* child(const char* window, const char* name, int index = -1) {
        QWidget* owner = window_->findChild<QWidget*>(window);
        EXPECT_NE(owner, nullptr) << window;
        for (T* widget : owner->findChildren<T*>(name)) {
            const QVariant element = widget->property("index");
            if (index < 0 ? !element.isValid() : element.toInt() == index) {
                return widget;
            }
        }
        ADD_FAILURE() << window << "." << name;
        return nullptr;
    }
};

TEST_F(SetCommandGuiTest, SavesTheBytesTheWindowsSave) {
    startEditor();
    const std::string mission = pbd("readermp01.PBD");
    openMission(mission);

    dialogs_.queueInputAnswer("Renamed by both");
    action("mnuMissionName")->trigger();

    action("mnuEnvironment")->trigger();
    QLineEdit* velocity = child<QLineEdit>("frmPropWind", "txtVelocity");
    ASSERT_NE(velocity, nullptr);
    velocity->selectAll();
    QTest::keyClicks(velocity, "22.75");
    QTest::mouseClick(child<QPushButton>("frmEnvironment", "cmdOK"), Qt::LeftButton);

    hover(220, -150); // player_2
    ASSERT_EQ(window_->findChild<PropertiesWindow*>()->findChild<QLabel*>("lblName")->text(),
              "player_2");
    dialogs_.queueInputAnswer("-12.5");
    QTest::mouseClick(child<QPushButton>("frmProperties", "cmdChange", 1), Qt::LeftButton);

    const std::string byWindows = folder_.path().toStdString() + "/windows.PBD";
    dialogs_.queueSaveFile(byWindows);
    action("mnuFileSave")->trigger();

    const std::string byTool = folder_.path().toStdString() + "/tool.PBD";
    const ToolRun run =
        RunTool({"set", mission, "--out", byTool, "--name", "Renamed by both", "--env",
                 "wind.velocity=22.75", "--unit", "player_2", "--y", "-12.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(ReadBytes(byTool), ReadBytes(mission));
    EXPECT_EQ(ReadBytes(byTool), ReadBytes(byWindows));
}

} // namespace
} // namespace kmission::test
