#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>

namespace kmission::test {

// The one QApplication of a test program, made on first use (the platform
// plugin comes from QT_QPA_PLATFORM, offscreen under CTest). It is never
// destroyed: tearing Qt's input devices down after main() has returned crashes.
inline QApplication& TestApplication() {
    static int argc = 1;
    static char name[] = "kmission_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs `action` on the active modal window once a `Dialog` is open, from
// inside the event loop of the call that opened it. After five seconds
// without it the test fails and whatever modal window is open is closed, so
// that the blocked call returns.
template <typename Dialog> void WhenModal(std::function<void(Dialog*)> action) {
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [action, clock, poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<Dialog*>(modal); dialog != nullptr && dialog->isVisible()) {
            *poll = nullptr;
            action(dialog);
        } else if (clock->elapsed() < 5000) {
            QTimer::singleShot(10, *poll);
        } else {
            *poll = nullptr;
            ADD_FAILURE() << "the expected modal window did not open";
            if (modal != nullptr) {
                modal->close();
            }
        }
    };
    QTimer::singleShot(0, *poll);
}

} // namespace kmission::test
