// What the user sees of the platform layer: dialogs (the real Qt ones and the
// scripted double the other tests answer with), the mouse pointer and where
// windows open.
#include "cursor.h"
#include "qt_dialogs.h"
#include "scripted_dialogs.h"
#include "window_placement.h"

#include "qt_test_application.h"
#ifndef _WIN32
#include "temp_wine_prefix.h"
#endif

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCursor>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QTest>

#include <filesystem>

namespace kmission::platform {
namespace {

namespace fs = std::filesystem;
using test::WhenModal;

const Message kBadPath{"Bad Path!"};
const Message kReplace{"Replace Existing File?", "Replace", MessageButtons::YesNoCancel,
                       MessageIcon::Question};

TEST(ScriptedDialogsTest, RecordsEverythingAndAnswersFromItsQueues) {
    ScriptedDialogs dialogs;
    dialogs.queueMessageAnswer(DialogButton::Cancel);
    dialogs.queueMessageAnswer(DialogButton::No);
    dialogs.queueInputAnswer("  New  ");
    dialogs.queueSaveFile("/tmp/out.PBD");
    dialogs.queueOpenFile(std::nullopt);
    dialogs.queueOpenFile("/tmp/in.PBD");
    EXPECT_EQ(dialogs.unusedAnswers(), 6u);

    EXPECT_EQ(dialogs.showMessage(kBadPath), DialogButton::Ok) << "OK boxes take no answer";
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::Cancel);
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::No);
    ShowMessages(dialogs, {kBadPath});
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::Yes) << "queue empty";
    EXPECT_EQ(dialogs.messages(), (Messages{kBadPath, kReplace, kReplace, kBadPath, kReplace}));

    EXPECT_EQ(dialogs.inputBox("Name:", "T", "Old"), "  New  ");
    EXPECT_EQ(dialogs.inputBox("Name:", "T", "Older"), "") << "queue empty";
    EXPECT_EQ(dialogs.inputs(), (std::vector<ScriptedDialogs::InputRequest>{
                                    {"Name:", "T", "Old"}, {"Name:", "T", "Older"}}));

    const FileDialogRequest open{"Open PBD", "PBD|*.PBD", ".PBD", "D:\\", 0x1804};
    const FileDialogRequest save{"Save PBD", "PBD|*.PBD", ".PBD", "D:\\", 0x804};
    EXPECT_EQ(dialogs.unusedAnswers(), 3u);
    EXPECT_EQ(dialogs.openFile(open), std::nullopt) << "a queued cancel";
    EXPECT_EQ(dialogs.saveFile(save), "/tmp/out.PBD");
    EXPECT_EQ(dialogs.openFile(open), "/tmp/in.PBD");
    EXPECT_EQ(dialogs.saveFile(save), std::nullopt) << "queue empty";
    using Kind = ScriptedDialogs::FileDialogKind;
    EXPECT_EQ(dialogs.fileRequests(),
              (std::vector<ScriptedDialogs::FileRequest>{
                  {Kind::Open, open}, {Kind::Save, save}, {Kind::Open, open}, {Kind::Save, save}}));
    EXPECT_EQ(dialogs.unusedAnswers(), 0u);
}

TEST(QtDialogsTest, WindowsFiltersBecomeQtNameFilters) {
    const std::pair<const char*, QStringList> cases[] = {
        {"Korv3 Pellam|readermp*.PBD", {"Korv3 Pellam (readermp*.PBD)"}},
        {"Archives|*.pbd;*.prd|All|*.*", {"Archives (*.pbd *.prd)", "All (*.*)"}},
        {"Caf\xE9|*.c", {QString::fromUtf8("Caf\xC3\xA9 (*.c)")}},
        {"Lonely description", {}},
    };
    for (const auto& [windows, qt] : cases) {
        SCOPED_TRACE(windows);
        EXPECT_EQ(ToQtNameFilters(windows), qt);
    }
}

TEST(QtDialogsTest, MessageBoxesShowTheirTextButtonsAndIconAndAnswerAsOnWindows) {
    test::TestApplication();
    QtDialogs dialogs;
    const Message plain{"<b>Caf\xE9</b> \x80", "Titr\xE9"};
    const Message unadorned{"Sure?", "KMission", MessageButtons::YesNoCancel, MessageIcon::None};
    const auto question = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    const struct {
        Message message;
        QMessageBox::StandardButton press; // NoButton: the key instead
        Qt::Key key;
        DialogButton answer;
    } cases[] = {
        {plain, QMessageBox::Ok, {}, DialogButton::Ok},
        {kReplace, QMessageBox::Yes, {}, DialogButton::Yes},
        {kReplace, QMessageBox::No, {}, DialogButton::No},
        {unadorned, QMessageBox::Cancel, {}, DialogButton::Cancel},
        {kReplace, QMessageBox::NoButton, Qt::Key_Escape, DialogButton::Cancel},
        {kReplace, QMessageBox::NoButton, Qt::Key_Return, DialogButton::Yes},
        {kBadPath, QMessageBox::NoButton, Qt::Key_Escape, DialogButton::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message.text);
        const bool isQuestion = c.message.buttons == MessageButtons::YesNoCancel;
        const bool hasIcon = c.message.icon == MessageIcon::Question;
        // Only the first row has text beyond Latin-1: the euro sign of windows-1252.
        const QString text = &c == cases ? QString::fromUtf8("<b>Caf\xC3\xA9</b> \xE2\x82\xAC")
                                         : QString::fromLatin1(c.message.text);
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            EXPECT_EQ(box->windowTitle(), QString::fromLatin1(c.message.title));
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(box->textFormat(), Qt::PlainText);
            EXPECT_EQ(box->standardButtons(), isQuestion ? question : QMessageBox::Ok);
            EXPECT_EQ(box->icon(), hasIcon ? QMessageBox::Question : QMessageBox::NoIcon);
            EXPECT_EQ(box->iconPixmap().isNull(), !hasIcon);
            if (QAbstractButton* button = box->button(c.press)) {
                button->click();
            } else if (c.key != Qt::Key{}) {
                QTest::keyClick(box, c.key);
            } else {
                box->reject();
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
// The file dialogs against a Wine prefix, where the initial folder is a drive
// path and the game's files come in mixed letter case.
class QtFileDialogsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::TestApplication();
        prefix_.makeDrive('c', "drive_c");
        for (const char* name :
             {"READERMP01.PBD", "readermp02.pbd", "Readermp03.Pbd", "reader.pbd"}) {
            prefix_.makeFile(std::string("drive_c/game/pbd/") + name);
        }
    }

    // Types `name` into the file name field and clicks Open or Save; a dialog
    // that stays open is cancelled.
    static void Choose(QFileDialog* dialog, const QString& name) {
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText(name);
        auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
        for (QAbstractButton* button : box->buttons()) {
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
                button->click();
            }
        }
        if (dialog->isVisible()) {
            dialog->reject();
        }
    }

    test::TempWinePrefix prefix_;
    QtDialogs dialogs_;
};

TEST_F(QtFileDialogsTest, StartInTheRealFolderListTheGameFilesInAnyCaseAndCheckTheFolder) {
    const struct {
        bool save;
        std::uint32_t options;
        const char* typed;  // nullptr: cancel
        const char* chosen; // nullptr: nothing, after a warning unless cancelled
    } cases[] = {
        {false, kFileMustExist | kPathMustExist, "READERMP01.PBD", "READERMP01.PBD"},
        {true, kPathMustExist, "missing/mission.PBD", nullptr},
        {true, 0, "missing/mission.PBD", "missing/mission.PBD"},
        {true, kPathMustExist, nullptr, nullptr},
    };
    const fs::path pbd = fs::canonical(prefix_.path() / "drive_c/game/pbd");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed != nullptr ? c.typed : "cancel");
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
            EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
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
            if (c.typed == nullptr) {
                dialog->reject();
                return;
            }
            if (c.chosen == nullptr) {
                WhenModal<QMessageBox>([&](QMessageBox* box) {
                    warned = true;
                    box->accept();
                });
            }
            Choose(dialog, c.typed);
        });
        const FileDialogRequest request{"Korv3", "Korv3 Pellam|readermp*.PBD", ".PBD",
                                        "C:\\GAME\\PBD\\", c.options};
        const auto chosen = c.save ? dialogs_.saveFile(request) : dialogs_.openFile(request);
        listed.sort();
        EXPECT_EQ(listed, (QStringList{"READERMP01.PBD", "Readermp03.Pbd", "readermp02.pbd"}));
        EXPECT_EQ(warned, c.chosen == nullptr && c.typed != nullptr);
        ASSERT_EQ(chosen.has_value(), c.chosen != nullptr);
        if (chosen) {
            EXPECT_EQ(fs::relative(*chosen, pbd), c.chosen);
        }
    }
}
#endif

TEST(CursorTest, WaitReplacesThePointerAndDefaultRemovesEveryOverride) {
    test::TestApplication();
    SetDefaultCursor();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
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
    const QRect screen(0, 0, 1000, 800);
    const std::pair<QRect, QPoint> cases[] = {
        // anchor, top left corner of the window
        {{100, 100, 200, 340}, {300, 100}}, // right
        {{700, 100, 200, 340}, {700, 440}}, // below when the right is full
        {{700, 400, 200, 340}, {500, 400}}, // left when right and below are full
        {{100, 300, 850, 450}, {800, 300}}, // right, pushed back onto the screen
    };
    for (const auto& [anchor, corner] : cases) {
        SCOPED_TRACE(corner.x());
        EXPECT_EQ(PlaceBeside(anchor, QSize(200, 300), screen), corner);
    }
}

} // namespace
} // namespace kmission::platform
