#include "cursor.h"

#include "qt_test_application.h"

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

namespace kmission::platform {
namespace {

class CursorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::TestApplication(); }
    void TearDown() override {
        while (QGuiApplication::overrideCursor() != nullptr) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
};

TEST_F(CursorTest, WaitThenDefault) {
    SetWaitCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetDefaultCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CursorTest, RepeatedWaitIsUndoneByOneDefault) {
    SetWaitCursor();
    SetWaitCursor();
    SetWaitCursor();
    SetDefaultCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(CursorTest, DefaultWithoutWaitChangesNothing) {
    SetDefaultCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    SetWaitCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
}

TEST_F(CursorTest, WaitReplacesAnotherPointerInsteadOfStacking) {
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    SetWaitCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    SetDefaultCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace kmission::platform
