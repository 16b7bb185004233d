#include "environment_dialog.h"

#include "qt_test_application.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace kmission {
namespace {

using test::TestApplication;

class EnvironmentDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        dialog_ = std::make_unique<EnvironmentDialog>(nullptr);
        dialog_->show();
    }

    template <typename Control> Control* find(const char* name) const {
        auto* control = dialog_->findChild<Control*>(name);
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    void clickRow(int row) {
        auto* list = find<QListWidget>("lstEnvProps");
        const QRect rect = list->visualItemRect(list->item(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
    }

    std::unique_ptr<EnvironmentDialog> dialog_;
};

TEST_F(EnvironmentDialogTest, IsAFixedNonModalWindowWithoutCloseButton) {
    EXPECT_EQ(dialog_->objectName(), "frmEnvironment");
    EXPECT_EQ(dialog_->windowTitle(), "Environment Settings");
    EXPECT_EQ(dialog_->size(), QSize(200, 339));
    EXPECT_EQ(dialog_->minimumSize(), dialog_->maximumSize());
    EXPECT_FALSE(dialog_->isModal());
    EXPECT_FALSE(dialog_->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(dialog_->windowFlags() & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(dialog_->windowFlags() & Qt::WindowMinMaxButtonsHint);
}

TEST_F(EnvironmentDialogTest, ControlsStandAtTheirPlacesWithTheirCaptions) {
    struct ControlCase {
        const char* name;
        const char* parent;
        QRect geometry;
        const char* caption; // nullptr: no caption to check
    };
    const ControlCase cases[] = {
        {"lstEnvProps", "frmEnvironment", {8, 8, 185, 134}, nullptr},
        {"cmdView", "frmEnvironment", {8, 148, 185, 25}, "Display"},
        {"frmMisc", "frmEnvironment", {8, 180, 185, 113}, ""},
        {"lblAmbientTemperature", "frmMisc", {12, 16, 117, 17}, "Ambient Temperature:"},
        {"txtAmbientTemperature", "frmMisc", {24, 32, 149, 19}, ""},
        {"chkJetCeiling", "frmMisc", {12, 64, 77, 17}, "Jet Ceiling"},
        {"txtJetCeiling", "frmMisc", {28, 84, 145, 21}, ""},
        {"cmdOK", "frmEnvironment", {8, 304, 57, 25}, "OK"},
        {"cmdCancel", "frmEnvironment", {136, 304, 57, 25}, "Cancel"},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(c.name);
        QWidget* control = find<QWidget>(c.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget()->objectName(), c.parent);
        EXPECT_EQ(control->geometry(), c.geometry);
        if (auto* button = qobject_cast<QAbstractButton*>(control)) {
            EXPECT_EQ(button->text(), c.caption);
        } else if (auto* label = qobject_cast<QLabel*>(control)) {
            EXPECT_EQ(label->text(), c.caption);
        } else if (auto* box = qobject_cast<QLineEdit*>(control)) {
            EXPECT_EQ(box->text(), c.caption);
        } else if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            EXPECT_EQ(frame->title(), c.caption);
        }
    }
    EXPECT_FALSE(find<QCheckBox>("chkJetCeiling")->isChecked());
    EXPECT_EQ(find<QListWidget>("lstEnvProps")->selectionMode(),
              QAbstractItemView::SingleSelection);
}

TEST_F(EnvironmentDialogTest, TabVisitsTheControlsInOrder) {
    const QStringList expected = {"lstEnvProps",   "cmdView",       "txtAmbientTemperature",
                                  "chkJetCeiling", "txtJetCeiling", "cmdOK",
                                  "cmdCancel"};
    QStringList visited;
    QWidget* widget = find<QWidget>("lstEnvProps");
    do {
        if (widget->focusPolicy() & Qt::TabFocus) {
            visited << widget->objectName();
        }
        widget = widget->nextInFocusChain();
    } while (widget != find<QWidget>("lstEnvProps"));
    EXPECT_EQ(visited, expected);
}

TEST_F(EnvironmentDialogTest, EntriesKeepTheirOrderAndDuplicates) {
    for (const char* entry : {"wind", "fog", "sun", "fog"}) {
        dialog_->addListEntry(entry);
    }
    auto* list = find<QListWidget>("lstEnvProps");
    ASSERT_EQ(list->count(), 4);
    EXPECT_EQ(list->item(0)->text(), "wind");
    EXPECT_EQ(list->item(1)->text(), "fog");
    EXPECT_EQ(list->item(3)->text(), "fog");
}

TEST_F(EnvironmentDialogTest, DisplayNeedsASelectedEntry) {
    dialog_->addListEntry("rain");
    dialog_->addListEntry("sun");
    QSignalSpy display(dialog_.get(), &EnvironmentDialog::displayRequested);
    auto* cmdView = find<QPushButton>("cmdView");

    QTest::mouseClick(cmdView, Qt::LeftButton);
    // Being the current row without being selected is no choice either.
    auto* list = find<QListWidget>("lstEnvProps");
    list->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    QTest::mouseClick(cmdView, Qt::LeftButton);
    EXPECT_EQ(display.count(), 0);

    clickRow(1);
    QTest::mouseClick(cmdView, Qt::LeftButton);
    ASSERT_EQ(display.count(), 1);
    EXPECT_EQ(display.at(0).at(0).toString(), "sun");
}

TEST_F(EnvironmentDialogTest, EnterAndEscapeDoNothing) {
    QSignalSpy ok(dialog_.get(), &EnvironmentDialog::okClicked);
    QSignalSpy cancel(dialog_.get(), &EnvironmentDialog::cancelClicked);
    for (const char* name : {"txtAmbientTemperature", "cmdOK", "cmdCancel", "lstEnvProps"}) {
        SCOPED_TRACE(name);
        QWidget* control = find<QWidget>(name);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(control, key);
        }
        EXPECT_TRUE(dialog_->isVisible());
    }
    EXPECT_FALSE(dialog_->close());
    EXPECT_TRUE(dialog_->isVisible());
    EXPECT_EQ(ok.count(), 0);
    EXPECT_EQ(cancel.count(), 0);

    QTest::mouseClick(find<QPushButton>("cmdOK"), Qt::LeftButton);
    QTest::mouseClick(find<QPushButton>("cmdCancel"), Qt::LeftButton);
    EXPECT_EQ(ok.count(), 1);
    EXPECT_EQ(cancel.count(), 1);
}

TEST_F(EnvironmentDialogTest, JetCeilingBoxOnlyShowsWhatTheLoadFound) {
    auto* box = find<QCheckBox>("chkJetCeiling");
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_FALSE(box->isChecked());

    dialog_->tickJetCeiling();
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyClick(box, Qt::Key_Space);
    EXPECT_TRUE(box->isChecked());
}

TEST_F(EnvironmentDialogTest, TextBoxesAreFoundByName) {
    EXPECT_EQ(dialog_->textBox("txtJetCeiling"), find<QLineEdit>("txtJetCeiling"));
    EXPECT_EQ(dialog_->textBox("lstEnvProps"), nullptr);
}

} // namespace
} // namespace kmission
