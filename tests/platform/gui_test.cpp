// What the user sees of the platform layer: the Qt dialogs, the mouse pointer
// and where windows open.
#include "cursor.h"
#include "qt_dialogs.h"
#include "window_placement.h"

#include "qt_test_application.h"
#ifndef _WIN32
#include "temp_wine_prefix.h"
#endif

#include <gtest/gtest.h>

#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <filesystem>

namespace kmission::platform {
namespace {

using test::WhenModal;

TEST(QtDialogsTest, WindowsFiltersBecomeQtNameFilters) {
    EXPECT_EQ(ToQtNameFilters("Caf\xE9|*.pbd;*.prd|All|*.*|Lonely"),
              (QStringList{QString::fromUtf8("Caf\xC3\xA9 (*.pbd *.prd)"), "All (*.*)"}));
}

// Question boxes answer Yes on Enter and Cancel on Escape, OK boxes OK.
TEST(QtDialogsTest, MessageBoxesShowTheirTextButtonsAndIconAndAnswerAsOnWindows) {
    test::TestApplication();
    QtDialogs dialogs;
    const Message ok{"<b>Caf\xE9</b> \x80", "Titr\xE9"};
    const Message question{"Replace?", "Replace", MessageButtons::YesNoCancel,
                           MessageIcon::Question};
    const Message plain{"Sure?", "KMission", MessageButtons::YesNoCancel, MessageIcon::None};
    const struct {
        const Message& message;
        QMessageBox::StandardButton press; // NoButton: the key instead
        Qt::Key key;
        DialogButton answer;
    } cases[] = {
        {ok, QMessageBox::Ok, {}, DialogButton::Ok},
        {question, QMessageBox::No, {}, DialogButton::No},
        {plain, QMessageBox::NoButton, Qt::Key_Escape, DialogButton::Cancel},
        {question, QMessageBox::NoButton, Qt::Key_Return, DialogButton::Yes},
        {ok, QMessageBox::NoButton, Qt::Key_Escape, DialogButton::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.text);
        const bool isQuestion = c.message.buttons == MessageButtons::YesNoCancel;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QString::fromLatin1(c.message.title));
            EXPECT_EQ(box->text(), isQuestion
                                       ? QString::fromLatin1(c.message.text)
                                       : QString::fromUtf8("<b>Caf\xC3\xA9</b> \xE2\x82\xAC"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->standardButtons(),
                      isQuestion ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                 : QMessageBox::Ok);
            EXPECT_EQ(box->icon(), c.message.icon == MessageIcon::Question ? QMessageBox::Question
                                                                           : QMessageBox::NoIcon);
            if (c.press != QMessageBox::NoButton) {
                box->button(c.press)->click();
            } else {
                QTest::keyClick(box, c.key);
            }
        });
        EXPECT_EQ(dialogs.showMessage(c.message), c.answer);
    }
}

TEST(QtDialogsTest, InputBoxGivesTheTextOrEmptyOnCancel) {
    test::TestApplication();
    QtDialogs dialogs;
    for (const bool accept : {true, false}) {
        WhenModal<QInputDialog>([accept](QInputDialog* input) {
            EXPECT_EQ(input->windowTitle(), "Name");
            EXPECT_EQ(input->labelText(), "Mission Name:");
            EXPECT_EQ(input->textValue(), QString::fromUtf8("Op\xC3\xA9ration"));
            input->setTextValue(QString::fromUtf8("  Ren\xC3\xA9  "));
            accept ? input->accept() : input->reject();
        });
        EXPECT_EQ(dialogs.inputBox("Mission Name:", "Name", "Op\xE9ration"),
                  accept ? "  Ren\xE9  " : "");
    }
}

#ifndef _WIN32
// Against a Wine prefix, where the initial folder is a drive path and the
// game's files come in mixed letter case.
TEST(QtFileDialogsTest, StartInTheRealFolderListTheGameFilesInAnyCaseAndCheckTheFolder) {
    namespace fs = std::filesystem;
    test::TestApplication();
    QtDialogs dialogs;
    test::TempWinePrefix prefix;
    prefix.makeDrive('c', "drive_c");
    for (const char* name : {"READERMP01.PBD", "readermp02.pbd", "Readermp03.Pbd", "reader.pbd"}) {
        prefix.makeFile(std::string("drive_c/game/pbd/") + name);
    }
    const fs::path pbd = fs::canonical(prefix.path() / "drive_c/game/pbd");
    const struct {
        bool save;
        std::uint32_t options;
        const char* typed;
        const char* chosen; // nullptr: nothing, after a warning
    } cases[] = {
        {false, kFileMustExist | kPathMustExist, "READERMP01.PBD", "READERMP01.PBD"},
        {true, kPathMustExist | kOverwritePrompt, "missing/mission.PBD", nullptr},
        {true, 0, "missing/mission.PBD", "missing/mission.PBD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        bool warned = false;
        QStringList listed;
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Korv3");
            EXPECT_EQ(dialog->nameFilters(), QStringList{"Korv3 Pellam (readermp*.PBD)"});
            EXPECT_EQ(dialog->defaultSuffix(), "PBD");
            EXPECT_EQ(dialog->acceptMode(),
                      c.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            EXPECT_EQ(dialog->fileMode(),
                      c.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            EXPECT_EQ(dialog->testOption(QFileDialog::DontConfirmOverwrite),
                      (c.options & kOverwritePrompt) == 0);
            // Not the way through the prefix's drive link.
            EXPECT_EQ(dialog->directory().absolutePath().toStdString(), pbd.string());
            auto* list = dialog->findChild<QListView*>("listView");
            for (int tries = 0; tries < 300 && listed.size() < 3; ++tries) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
                listed.clear();
                for (int row = 0; row < list->model()->rowCount(list->rootIndex()); ++row) {
                    listed << list->model()->index(row, 0, list->rootIndex()).data().toString();
                }
            }
            if (c.chosen == nullptr) {
                WhenModal<QMessageBox>([&](QMessageBox* box) {
                    warned = true;
                    box->accept();
                });
            }
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(c.typed);
            auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
            buttons->button(c.save ? QDialogButtonBox::Save : QDialogButtonBox::Open)->click();
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        const FileDialogRequest request{"Korv3", "Korv3 Pellam|readermp*.PBD", ".PBD",
                                        "C:\\GAME\\PBD\\", c.options};
        const auto chosen = c.save ? dialogs.saveFile(request) : dialogs.openFile(request);
        listed.sort();
        EXPECT_EQ(listed, (QStringList{"READERMP01.PBD", "Readermp03.Pbd", "readermp02.pbd"}));
        EXPECT_EQ(warned, c.chosen == nullptr);
        EXPECT_EQ(chosen ? fs::relative(*chosen, pbd).string() : "", c.chosen ? c.chosen : "");
    }
}
#endif

TEST(CursorTest, WaitReplacesThePointerAndDefaultRemovesEveryOverride) {
    test::TestApplication();
    SetWaitCursor();
    SetWaitCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    QGuiApplication::restoreOverrideCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the second wait did not stack";
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    QGuiApplication::setOverrideCursor(QCursor(Qt::CrossCursor));
    SetDefaultCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(WindowPlacementTest, BesideTheAnchorWhereTheScreenHasRoom) {
    const std::pair<QRect, QPoint> cases[] = {
        // anchor, top left corner of a 200 x 300 window
        {{100, 100, 200, 340}, {300, 100}}, // right
        {{700, 100, 200, 340}, {700, 440}}, // below when the right is full
        {{700, 400, 200, 340}, {500, 400}}, // left when right and below are full
        {{100, 600, 850, 100}, {800, 500}}, // right, pushed back onto the screen
    };
    for (const auto& [anchor, corner] : cases) {
        SCOPED_TRACE(corner.x());
        EXPECT_EQ(PlaceBeside(anchor, QSize(200, 300), QRect(0, 0, 1000, 800)), corner);
    }
}

} // namespace
} // namespace kmission::platform
