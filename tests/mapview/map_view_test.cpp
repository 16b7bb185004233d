#include "map_view.h"

#include "map_painter.h"
#include "mapview_fixtures.h"
#include "view_transform.h"

#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPainter>

#include <vector>

namespace kmission {
namespace {

using mapview_test::Map;
using mapview_test::PictureRecord;
using mapview_test::RgbAt;

struct Recorded {
    char kind; // 'p' pressed, 'm' moved, 'r' released
    float x;
    float z;
};

class MapViewTest : public testing::Test {
protected:
    void SetUp() override {
        mapview_test::TestApplication();
        state_.mapCatalogue = {Map("dunes", 2.0f, 100, 300)};
        state_.pictureIndex = {PictureRecord("dunes")};
        SetMapScale(state_, "dunes");
        state_.mapLoaded = true;
        view_ = std::make_unique<MapView>(state_);
        view_->resize(640, 480);
        QObject::connect(view_.get(), &MapView::mousePressed, [this](float x, float z) {
            events_.push_back({'p', x, z});
        });
        QObject::connect(view_.get(), &MapView::mouseMoved, [this](float x, float z) {
            events_.push_back({'m', x, z});
        });
        QObject::connect(view_.get(), &MapView::mouseReleased, [this](float x, float z) {
            events_.push_back({'r', x, z});
        });
    }

    void Send(QEvent::Type type, QPointF position, Qt::MouseButton button,
              Qt::MouseButtons buttons) {
        QMouseEvent event(type, position, view_->mapToGlobal(position), button, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view_.get(), &event);
    }

    EditorState state_;
    std::unique_ptr<MapView> view_;
    std::vector<Recorded> events_;
};

TEST_F(MapViewTest, IsThePicture1ViewWithMouseTracking) {
    EXPECT_EQ(view_->objectName(), "Picture1");
    EXPECT_TRUE(view_->hasMouseTracking());
    EXPECT_EQ(view_->sizeHint(), QSize(640, 480));
}

TEST_F(MapViewTest, ReportsMousePositionsInWorldUnits) {
    struct Case {
        QPointF widget;
        float x;
        float z;
    };
    const Case cases[] = {
        {{2, 2}, 100.0f, 300.0f},
        {{638, 478}, -1180.0f, -660.0f},
        {{320, 240}, -540.0f, -180.0f},
        {{0, 0}, 100.0f + 2 * 1280.0f / 636, 300.0f + 2 * 960.0f / 476},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.widget.x() << ", " << c.widget.y());
        events_.clear();
        Send(QEvent::MouseButtonPress, c.widget, Qt::LeftButton, Qt::LeftButton);
        Send(QEvent::MouseMove, c.widget, Qt::NoButton, Qt::LeftButton);
        Send(QEvent::MouseButtonRelease, c.widget, Qt::LeftButton, Qt::NoButton);
        ASSERT_EQ(events_.size(), 3u);
        const char kinds[] = {'p', 'm', 'r'};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(events_[i].kind, kinds[i]);
            EXPECT_FLOAT_EQ(events_[i].x, c.x);
            EXPECT_FLOAT_EQ(events_[i].z, c.z);
        }
    }
}

TEST_F(MapViewTest, ReportsEveryButtonAndMovesWithoutOne) {
    Send(QEvent::MouseMove, {100, 100}, Qt::NoButton, Qt::NoButton);
    Send(QEvent::MouseButtonPress, {100, 100}, Qt::RightButton, Qt::RightButton);
    Send(QEvent::MouseButtonRelease, {100, 100}, Qt::RightButton, Qt::NoButton);
    Send(QEvent::MouseButtonPress, {100, 100}, Qt::MiddleButton, Qt::MiddleButton);
    ASSERT_EQ(events_.size(), 4u);
    EXPECT_EQ(events_[0].kind, 'm');
    EXPECT_EQ(events_[1].kind, 'p');
    EXPECT_EQ(events_[2].kind, 'r');
    EXPECT_EQ(events_[3].kind, 'p');
}

TEST_F(MapViewTest, FollowsTheViewRectAndTheWidgetsSize) {
    ZoomIn(state_);
    view_->resize(1276, 480);
    Send(QEvent::MouseMove, {1274, 2}, Qt::NoButton, Qt::NoButton);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_FLOAT_EQ(events_[0].x, 100.0f - 1280.0f * 0.95f);
}

TEST_F(MapViewTest, PaintsWithTheSharedPainterOnTheButtonColour) {
    state_.mission.missionEntries = {mapview_test::Units("aiv_units", {{"player_1", "0", "0"}})};
    QImage surface(640, 480, QImage::Format_RGB32);
    surface.fill(QColor(1, 2, 3));
    surface.setPixel(300, 300, qRgb(200, 100, 50));
    view_->setMapSurface(surface);
    const QImage shown = view_->grab().toImage().convertToFormat(QImage::Format_RGB32);

    QImage expected(640, 480, QImage::Format_RGB32);
    QPainter painter(&expected);
    PaintMapView(painter, state_, surface, {640, 480}, view_->palette().color(QPalette::Button));
    painter.end();
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(RgbAt(shown, 302, 302), qRgb(200, 100, 50));
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(MapViewTest, RepaintNowPaintsBeforeItReturns) {
    view_->show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    view_->installEventFilter(&counter);
    view_->repaintNow();
    EXPECT_EQ(counter.paints, 1);
    view_->update();
    EXPECT_EQ(counter.paints, 1); // an ordinary update waits for the event loop
    view_->removeEventFilter(&counter);
}

} // namespace
} // namespace kmission
