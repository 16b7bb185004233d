// The main window and the map view on a screen of higher pixel density. Qt
// scales the windows by QT_SCALE_FACTOR (2 here unless the environment names
// another): the map's lines stay one device pixel thin, the view's sunken
// border grows with the view, and no caption is cut off. With
// KMISSION_SCREENSHOT_DIR set, the grabs are also written there as PNG files
// (scripts/screenshot.sh).
#include "editor_fixture.h"
#include "map_painter.h"

#include <QDir>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionButton>

#include <cstdlib>

namespace kmission::test {
namespace {

// Set before the test application exists, which reads it once.
const bool kScaleFactorSet = [] {
    if (std::getenv("QT_SCALE_FACTOR") == nullptr) {
        setenv("QT_SCALE_FACTOR", "2", 1);
    }
    return true;
}();

class ScreenshotTest : public EditorFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(kScaleFactorSet);
        EditorFixture::SetUp();
        startEditor();
        openMission(pbd("readermp01.PBD"));
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        scale_ = window_->devicePixelRatio();
        ASSERT_EQ(scale_, qgetenv("QT_SCALE_FACTOR").toDouble());
    }

    // The map view in device pixels, written out when screenshots are asked for.
    QImage deviceView() const {
        const QImage view = grabView();
        keep(view, "map-view");
        return view;
    }

    // Writes `image` to $KMISSION_SCREENSHOT_DIR/NAME-SCALE.png when that is set.
    static void keep(const QImage& image, const QString& name) {
        const QString folder = qEnvironmentVariable("KMISSION_SCREENSHOT_DIR");
        if (folder.isEmpty()) {
            return;
        }
        ASSERT_TRUE(QDir().mkpath(folder));
        const QString path =
            QDir(folder).filePath(QString("%1-%2.png").arg(name, qgetenv("QT_SCALE_FACTOR")));
        EXPECT_TRUE(image.save(path)) << path.toStdString();
    }

    qreal scale_ = 1;
};

// Colours as #rrggbb, so that a failure says which colour it found.
std::string Hex(QRgb colour) {
    return QColor::fromRgb(colour).name().toStdString();
}

int CountInColumn(const QImage& image, int x, QRgb colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        count += image.pixel(x, y) == colour;
    }
    return count;
}

int CountInRow(const QImage& image, int y, QRgb colour) {
    int count = 0;
    for (int x = 0; x < image.width(); ++x) {
        count += image.pixel(x, y) == colour;
    }
    return count;
}

// The column (or row) that holds the most pixels of `colour`.
template <typename Count> int Fullest(int length, Count count) {
    int best = 0;
    for (int i = 1; i < length; ++i) {
        if (count(i) > count(best)) {
            best = i;
        }
    }
    return best;
}

TEST_F(ScreenshotTest, TheWindowIsGrabbedWholeInDevicePixels) {
    const QImage image = window_->grab().toImage();
    keep(image, "main-window");
    EXPECT_EQ(image.size(), window_->size() * scale_);
    EXPECT_EQ(grabView().size(), window_->mapView()->size() * scale_);
}

TEST_F(ScreenshotTest, TheAxesAreOneDevicePixelWide) {
    const QImage view = deviceView();
    const int inner = static_cast<int>(2 * scale_);
    const int x = Fullest(view.width(), [&](int i) { return CountInColumn(view, i, kAxisColour); });
    const int y = Fullest(view.height(), [&](int i) { return CountInRow(view, i, kAxisColour); });
    // The vertical axis runs through the whole drawing area; its neighbours
    // hold at most the one pixel where the horizontal axis crosses them.
    EXPECT_GE(CountInColumn(view, x, kAxisColour), view.height() - 2 * inner);
    EXPECT_LE(CountInColumn(view, x - 1, kAxisColour), 1);
    EXPECT_LE(CountInColumn(view, x + 1, kAxisColour), 1);
    EXPECT_GE(CountInRow(view, y, kAxisColour), view.width() / 2);
    EXPECT_LE(CountInRow(view, y - 1, kAxisColour), 1);
    EXPECT_LE(CountInRow(view, y + 1, kAxisColour), 1);
}

TEST_F(ScreenshotTest, UnitBoxesAreOutlinesOneDevicePixelThin) {
    const QImage view = deviceView();
    int unitPixels = 0;
    int solidBlocks = 0; // 2 x 2 blocks all in the unit colour: a line thicker than one pixel
    for (int y = 0; y + 1 < view.height(); ++y) {
        for (int x = 0; x + 1 < view.width(); ++x) {
            const bool unit = view.pixel(x, y) == kUnitColour;
            unitPixels += unit;
            solidBlocks += unit && view.pixel(x + 1, y) == kUnitColour &&
                           view.pixel(x, y + 1) == kUnitColour &&
                           view.pixel(x + 1, y + 1) == kUnitColour;
        }
    }
    EXPECT_GT(unitPixels, 20 * scale_);
    EXPECT_EQ(solidBlocks, 0);
}

TEST_F(ScreenshotTest, TheSunkenBorderGrowsWithTheViewAndReachesItsEdges) {
    const QImage view = deviceView();
    const int ring = static_cast<int>(scale_); // one design pixel
    const int right = view.width() - 1;
    const int bottom = view.height() - 1;
    const int middleX = view.width() / 2 + 3; // off the axes
    const int middleY = view.height() / 2 + 3;
    for (int d = 0; d < ring; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(Hex(view.pixel(d, middleY)), Hex(kBorderOuterShadow));
        EXPECT_EQ(Hex(view.pixel(middleX, d)), Hex(kBorderOuterShadow));
        EXPECT_EQ(Hex(view.pixel(ring + d, middleY)), Hex(kBorderInnerShadow));
        EXPECT_EQ(Hex(view.pixel(middleX, ring + d)), Hex(kBorderInnerShadow));
        EXPECT_EQ(Hex(view.pixel(right - d, middleY)), Hex(kBorderOuterLight));
        EXPECT_EQ(Hex(view.pixel(middleX, bottom - d)), Hex(kBorderOuterLight));
        EXPECT_EQ(Hex(view.pixel(right - ring - d, middleY)), Hex(kBorderInnerLight));
        EXPECT_EQ(Hex(view.pixel(middleX, bottom - ring - d)), Hex(kBorderInnerLight));
    }
}

TEST_F(ScreenshotTest, NoCaptionIsCutOff) {
    // A pointer readout as wide as the map's numbers get.
    const QPointF corner(3, window_->mapView()->height() - 3);
    QMouseEvent move(QEvent::MouseMove, corner, window_->mapView()->mapToGlobal(corner),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window_->mapView(), &move);
    int checked = 0;
    for (QPushButton* button : window_->centralWidget()->findChildren<QPushButton*>()) {
        if (!button->isVisible()) {
            continue;
        }
        SCOPED_TRACE(button->objectName().toStdString());
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()), room.width());
        EXPECT_LE(button->fontMetrics().height(), room.height());
        ++checked;
    }
    for (QLabel* label : window_->centralWidget()->findChildren<QLabel*>()) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_FALSE(label->text().isEmpty());
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()),
                  label->contentsRect().width());
        EXPECT_LE(label->fontMetrics().height(), label->contentsRect().height());
        ++checked;
    }
    EXPECT_EQ(checked, 5); // three buttons, two readout labels
    EXPECT_TRUE(window_->centralWidget()->rect().contains(window_->mapView()->geometry()));
}

} // namespace
} // namespace kmission::test
