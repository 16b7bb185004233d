#pragma once

// A running editor on a demo game installation in a temporary folder, found
// through the registry of the installation's own Wine prefix, with scripted
// dialogs in place of the user.

#include "demo_installation.h"
#include "editor_state.h"
#include "main_window.h"
#include "map_view.h"
#include "qt_test_application.h"
#include "scripted_dialogs.h"
#include "view_transform.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <memory>

namespace kmission::test {

class EditorFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        ASSERT_TRUE(folder_.isValid());
        demoDir_ = folder_.path().toStdString() + "/game";
        std::string error;
        ASSERT_TRUE(demo::WriteDemoInstallation(demoDir_, error)) << error;
        setenv("WINEPREFIX", (demoDir_ + "/prefix").c_str(), 1);
    }

    void TearDown() override {
        window_.reset();
        unsetenv("WINEPREFIX");
    }

    void startEditor() {
        window_ = std::make_unique<KMission>(state_, dialogs_);
        window_->startUp();
    }

    std::string pbd(const std::string& name) const { return demoDir_ + "/pbd/" + name; }

    QAction* action(const char* name) const {
        QAction* found = window_->findChild<QAction*>(name);
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QList<QAction*> mapItems() const {
        QList<QAction*> items = window_->findChildren<QAction*>("mnumaparray");
        std::ranges::sort(items, {}, [](QAction* a) { return a->property("index").toInt(); });
        return items;
    }

    // File > Open of a file of the demo installation (or any native path).
    void openMission(const std::string& path) {
        dialogs_.queueOpenFile(path);
        action("mnufileopen")->trigger();
    }

    std::vector<std::string> messageTexts() const {
        std::vector<std::string> texts;
        for (const Message& m : dialogs_.messages()) {
            texts.push_back(m.text);
        }
        return texts;
    }

    QImage grabView() const { return window_->mapView()->grab().toImage(); }

    MapView* view() const { return window_->mapView(); }

    // The widget position of a world point, through the transform drawing uses.
    QPointF at(double x, double z) const {
        const ViewTransform transform(state_.viewRect,
                                      DrawingAreaSize({view()->width(), view()->height()}));
        const PixelPoint p = transform.toPixel({x, z});
        return {p.x + kViewBorder, p.y + kViewBorder};
    }

    // Mouse events on the map view at world positions, the left button held
    // or not.
    void send(QEvent::Type type, QPointF position, Qt::MouseButtons buttons) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, position, view()->mapToGlobal(position), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(view(), &event);
    }
    void moveTo(double x, double z, bool held = false) {
        send(QEvent::MouseMove, at(x, z), held ? Qt::LeftButton : Qt::NoButton);
    }
    void press(double x, double z) { send(QEvent::MouseButtonPress, at(x, z), Qt::LeftButton); }
    void release(double x, double z) { send(QEvent::MouseButtonRelease, at(x, z), Qt::NoButton); }

    QTemporaryDir folder_;
    std::string demoDir_;
    EditorState state_;
    platform::ScriptedDialogs dialogs_;
    std::unique_ptr<KMission> window_;
};

} // namespace kmission::test
