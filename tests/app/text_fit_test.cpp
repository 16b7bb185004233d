// Every caption of every window fits its control: the design's sizes were made
// for a smaller font than a desktop's, so the windows shrink the font where
// needed. Run once at device pixel ratio 1 and once under QT_SCALE_FACTOR=2.
#include "about_dialog.h"
#include "editor_fixture.h"
#include "fit_text.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace kmission::test {
namespace {

class TextFitTest : public EditorFixture {
protected:
    // Opens every window of the editor, as the user does.
    QList<QWidget*> openEveryWindow() {
        startEditor();
        openMission(pbd("readermp01.PBD"));
        action("mnuEnvironment")->trigger();
        auto* environment = window_->findChild<QWidget*>("frmEnvironment");
        auto* list = environment->findChild<QListWidget*>("lstEnvProps");
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            QTest::mouseClick(environment->findChild<QPushButton*>("cmdView"), Qt::LeftButton);
        }
        about_ = std::make_unique<AboutDialog>(dialogs_, window_.get());
        about_->show();
        QList<QWidget*> windows = {window_.get(), about_.get()};
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->isVisible() && !windows.contains(widget)) {
                windows << widget;
            }
        }
        return windows;
    }

    void TearDown() override {
        about_.reset();
        EditorFixture::TearDown();
    }

    std::unique_ptr<AboutDialog> about_;
};

TEST_F(TextFitTest, EveryCaptionFitsItsControlWithTheDesktopsFonts) {
    const double ratio =
        qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1.0;
    const QFont platformFont = QApplication::font();
    QFont desktopFont("DejaVu Sans");
    desktopFont.setPointSizeF(11); // the size Debian's desktops use
    for (const QFont& font : {platformFont, desktopFont}) {
        SCOPED_TRACE(font.toString().toStdString());
        QApplication::setFont(font);
        const QList<QWidget*> windows = openEveryWindow();
        EXPECT_EQ(windows.size(), 10) << "main, Properties, About, Environment, six effects";
        int checked = 0;
        for (QWidget* window : windows) {
            EXPECT_EQ(window->devicePixelRatio(), ratio);
            QList<QWidget*> controls;
            for (QWidget* control : window->findChildren<QWidget*>()) {
                if (qobject_cast<QLabel*>(control) || qobject_cast<QAbstractButton*>(control)) {
                    controls << control;
                }
            }
            for (QWidget* control : controls) {
                const QString text = qobject_cast<QLabel*>(control)
                                         ? static_cast<QLabel*>(control)->text()
                                         : static_cast<QAbstractButton*>(control)->text();
                if (text.isEmpty() || control->window() != window ||
                    !control->isVisibleTo(window)) {
                    continue;
                }
                SCOPED_TRACE(
                    (window->objectName() + " " + control->objectName() + " \"" + text + "\"")
                        .toStdString());
                EXPECT_TRUE(platform::TextFits(control));
                ++checked;
            }
        }
        EXPECT_GE(checked, 50);
        about_.reset();
        window_.reset();
    }
    QApplication::setFont(platformFont);
}

} // namespace
} // namespace kmission::test
