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

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <filesystem>

namespace kmission::platform {
namespace {

using test::WhenModal;

// Question boxes answer Yes on Enter and Cancel on Escape, as on Windows.
TEST(QtDialogsTest, MessageAndInputBoxesShowTheirTextAndGiveTheAnswer) {
    test::TestApplication();
    QtDialogs dialogs;
    const Message ok{"<b>Caf\xE9</b> \x80", "Titr\xE9"};
    const Message question{"Replace?", "Replace", MessageButtons::YesNoCancel,
                           MessageIcon::Question};
    const Message plain{"Sure?", "KMission", MessageButtons::YesNoCancel, MessageIcon::None};
    const std::tuple<const Message&, QMessageBox::StandardButton, Qt::Key, DialogButton> cases[] = {
        // the message, the button pressed (NoButton: the key instead), the answer
        {ok, QMessageBox::Ok, {}, DialogButton::Ok},
        {plain, QMessageBox::NoButton, Qt::Key_Escape, DialogButton::Cancel},
        {question, QMessageBox::NoButton, Qt::Key_Return, DialogButton::Yes},
    };
    for (const auto& [message, press, key, answer] : cases) {
        SCOPED_TRACE(message.text);
        const bool isQuestion = message.buttons == MessageButtons::YesNoCancel;
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QString::fromLatin1(message.title));
            EXPECT_EQ(box->text(), isQuestion
                                       ? QString::fromLatin1(message.text)
                                       : QString::fromUtf8("<b>Caf\xC3\xA9</b> \xE2\x82\xAC"));
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->standardButtons(),
                      isQuestion ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                 : QMessageBox::Ok);
            EXPECT_EQ(box->icon(), message.icon == MessageIcon::Question ? QMessageBox::Question
                                                                         : QMessageBox::NoIcon);
            if (press != QMessageBox::NoButton) {
                box->button(press)->click();
            } else {
                QTest::keyClick(box, key);
            }
        });
        EXPECT_EQ(dialogs.showMessage(message), answer);
    }
    WhenModal<QInputDialog>([](QInputDialog* input) {
        EXPECT_EQ(input->windowTitle(), "Name");
        EXPECT_EQ(input->textValue(), QString::fromUtf8("Op\xC3\xA9ration"));
        input->setTextValue(QString::fromUtf8("  Ren\xC3\xA9  "));
        input->accept();
    });
    EXPECT_EQ(dialogs.inputBox("Mission Name:", "Name", "Op\xE9ration"), "  Ren\xE9  ");
}

#ifndef _WIN32
// Against a Wine prefix, where the initial folder is a drive path.
TEST(QtFileDialogsTest, StartInTheRealFolderIgnoreCaseAndCheckTheFolder) {
    test::TestApplication();
    QtDialogs dialogs;
    test::TempWinePrefix prefix;
    prefix.makeDrive('c', "drive_c");
    prefix.makeFile("drive_c/game/pbd/READERMP01.PBD");
    const auto pbd = std::filesystem::canonical(prefix.path() / "drive_c/game/pbd");
    const std::tuple<bool, std::uint32_t, const char*, const char*> cases[] = {
        // save, options, the name typed, the file chosen (nullptr: none, after a warning)
        {false, kFileMustExist | kPathMustExist, "READERMP01.PBD", "READERMP01.PBD"},
        {true, kPathMustExist | kOverwritePrompt, "missing/mission.PBD", nullptr},
        {true, 0, "missing/mission.PBD", "missing/mission.PBD"},
    };
    for (const auto& [save, options, typed, chosen] : cases) {
        SCOPED_TRACE(typed);
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->nameFilters(),
                      (QStringList{QString::fromUtf8("Caf\xC3\xA9 (*.pbd *.prd)"), "All (*.*)"}));
            EXPECT_FALSE(dialog->filter().testFlag(QDir::CaseSensitive));
            EXPECT_EQ(dialog->defaultSuffix(), "PBD");
            EXPECT_EQ(dialog->acceptMode(),
                      save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            EXPECT_EQ(dialog->fileMode(), save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            EXPECT_EQ(dialog->testOption(QFileDialog::DontConfirmOverwrite),
                      (options & kOverwritePrompt) == 0);
            // Not the way through the prefix's drive link.
            EXPECT_EQ(dialog->directory().absolutePath().toStdString(), pbd.string());
            if (chosen == nullptr) {
                // The warning; the dialog stays open and is then cancelled.
                WhenModal<QMessageBox>([](QMessageBox* box) { box->accept(); });
            }
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
            auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
            buttons->button(save ? QDialogButtonBox::Save : QDialogButtonBox::Open)->click();
            if (dialog->isVisible()) {
                dialog->reject();
            }
        });
        const FileDialogRequest request{"Korv3", "Caf\xE9|*.pbd;*.prd|All|*.*|Lonely", ".PBD",
                                        "C:\\GAME\\PBD\\", options};
        const auto file = save ? dialogs.saveFile(request) : dialogs.openFile(request);
        EXPECT_EQ(file ? std::filesystem::relative(*file, pbd).string() : "",
                  chosen != nullptr ? chosen : "");
    }
}
#endif

TEST(CursorTest, WaitReplacesThePointerAndDefaultRestoresIt) {
    test::TestApplication();
    SetWaitCursor();
    SetWaitCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
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
        EXPECT_EQ(PlaceBeside(anchor, QSize(200, 300), QRect(0, 0, 1000, 800)), corner);
    }
}

} // namespace
} // namespace kmission::platform
