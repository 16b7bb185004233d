// The windows at the screen's pixel density (CTest runs them at
// QT_SCALE_FACTOR 1 and 2): the view's sunken border grows with the view, and
// every caption fits its control. With KMISSION_SCREENSHOT_DIR set, the grabs are also written
// there as PNG files (scripts/screenshot.sh).
#include "about_dialog.h"
#include "editor_fixture.h"
#include "fit_text.h"
#include "map_painter.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace kmission::test {
namespace {

const double kScale = qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble();

// Writes `image` to $KMISSION_SCREENSHOT_DIR/NAME-SCALE.png when that is set.
void Keep(const QImage& image, const QString& name) {
    const QString folder = qEnvironmentVariable("KMISSION_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        ASSERT_TRUE(QDir().mkpath(folder));
        EXPECT_TRUE(
            image.save(QDir(folder).filePath(name + "-" + QString::number(kScale) + ".png")));
    }
}

class ScreenshotTest : public EditorFixture {};
class TextFitTest : public EditorFixture {};

TEST_F(ScreenshotTest, TheBorderGrowsWithTheView) {
    startEditor();
    openMission(pbd("readermp01.PBD"));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    ASSERT_EQ(window_->devicePixelRatio(), kScale);
    Keep(window_->grab().toImage(), "main-window");
    const QImage map = grabView();
    Keep(map, "map-view");
    ASSERT_EQ(map.size(), view()->size() * kScale);
    // The two-ring sunken border, one design pixel per ring.
    const int ring = static_cast<int>(kScale);
    EXPECT_EQ(map.pixel(ring - 1, map.height() / 2 + 3), kBorderOuterShadow);
    EXPECT_EQ(map.pixel(ring, map.height() / 2 + 3), kBorderInnerShadow);
    EXPECT_EQ(map.pixel(map.width() - ring, map.height() / 2 + 3), kBorderOuterLight);
}

// The design's sizes were made for a smaller font than a desktop's, so the
// windows shrink the font where needed.
TEST_F(TextFitTest, EveryCaptionFitsItsControlWithTheDesktopsFonts) {
    const QFont platformFont = QApplication::font();
    QFont desktopFont("DejaVu Sans");
    desktopFont.setPointSizeF(11); // the size Debian's desktops use
    for (const QFont& font : {platformFont, desktopFont}) {
        SCOPED_TRACE(font.toString().toStdString());
        QApplication::setFont(font);
        // Every window of the editor open, as the user opens them.
        startEditor();
        openMission(pbd("readermp01.PBD"));
        action("mnuEnvironment")->trigger();
        auto* environment = window_->findChild<QWidget*>("frmEnvironment");
        auto* list = environment->findChild<QListWidget*>("lstEnvProps");
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            QTest::mouseClick(environment->findChild<QPushButton*>("cmdView"), Qt::LeftButton);
        }
        AboutDialog about(dialogs_, nullptr);
        about.show();
        int windows = 0;
        int checked = 0;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            windows += window->isVisible();
            for (QWidget* control : window->findChildren<QWidget*>()) {
                auto* label = qobject_cast<QLabel*>(control);
                auto* button = qobject_cast<QAbstractButton*>(control);
                const QString text = label ? label->text() : button ? button->text() : "";
                if (!window->isVisible() || text.isEmpty() || control->window() != window ||
                    !control->isVisibleTo(window)) {
                    continue;
                }
                EXPECT_TRUE(platform::TextFits(control))
                    << (window->objectName() + " " + control->objectName()).toStdString();
                ++checked;
            }
        }
        EXPECT_EQ(windows, 10) << "main, Properties, About, Environment, six effects";
        EXPECT_GE(checked, 50);
        window_.reset();
    }
    QApplication::setFont(platformFont);
}

} // namespace
} // namespace kmission::test
