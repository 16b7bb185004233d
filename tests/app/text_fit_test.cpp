// Every caption of every window fits its control: the design's sizes were made
// for a smaller font than a desktop's, so the windows shrink the font where
// needed. CTest runs it at device pixel ratio 1 and under QT_SCALE_FACTOR=2.
#include "about_dialog.h"
#include "editor_fixture.h"
#include "fit_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace kmission::test {
namespace {

class TextFitTest : public EditorFixture {};

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
        auto about = std::make_unique<AboutDialog>(dialogs_, window_.get());
        about->show();
        QList<QWidget*> windows;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible()) {
                windows << widget;
            }
        }
        EXPECT_EQ(windows.size(), 10) << "main, Properties, About, Environment, six effects";
        int checked = 0;
        for (QWidget* window : windows) {
            EXPECT_EQ(window->devicePixelRatio(),
                      qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
            for (QWidget* control : window->findChildren<QWidget*>()) {
                auto* label = qobject_cast<QLabel*>(control);
                auto* button = qobject_cast<QAbstractButton*>(control);
                const QString text = label ? label->text() : button ? button->text() : "";
                if (text.isEmpty() || control->window() != window ||
                    !control->isVisibleTo(window)) {
                    continue;
                }
                EXPECT_TRUE(platform::TextFits(control))
                    << (window->objectName() + " " + control->objectName()).toStdString();
                ++checked;
            }
        }
        EXPECT_GE(checked, 50);
        about.reset();
        window_.reset();
    }
    QApplication::setFont(platformFont);
}

} // namespace
} // namespace kmission::test
