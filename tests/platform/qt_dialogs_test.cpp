#include "qt_dialogs.h"

#include "qt_test_application.h"
#ifndef _WIN32
#include "temp_wine_prefix.h"
#endif

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
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

TEST(ToQtNameFiltersTest, DescriptionThenPatternsInParentheses) {
    const struct {
        const char* windows;
        QStringList qt;
    } cases[] = {
        {"readermp*.PBD Korv3 Pellam|readermp*.PBD",
         {"readermp*.PBD Korv3 Pellam (readermp*.PBD)"}},
        {"Archives|*.pbd;*.prd|All|*.*", {"Archives (*.pbd *.prd)", "All (*.*)"}},
        {"Caf\xE9|*.c", {QString::fromUtf8("Caf\xC3\xA9 (*.c)")}},
        {"Lonely description", {}},
        {"", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        EXPECT_EQ(ToQtNameFilters(c.windows), c.qt);
    }
}

class QtDialogsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::TestApplication(); }

    QtDialogs dialogs_;
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool iconShown = true;
};

// Shows `message`, records what the box looked like and presses `press`.
DialogButton ShowAndPress(QtDialogs& dialogs, const Message& message,
                          QMessageBox::StandardButton press, SeenBox& seen) {
    WhenModal<QMessageBox>([&seen, press](QMessageBox* box) {
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
                !box->iconPixmap().isNull()};
        if (QAbstractButton* button = box->button(press)) {
            button->click();
        } else {
            ADD_FAILURE() << "no such button";
            box->reject();
        }
    });
    return dialogs.showMessage(message);
}

TEST_F(QtDialogsTest, MessageBoxesShowTheirButtonsAndIcon) {
    const Message replace{"Replace Existing File?", "Replace", MessageButtons::YesNoCancel,
                          MessageIcon::Question};
    const struct {
        const char* name;
        Message message;
        QMessageBox::StandardButton press;
        DialogButton answer;
        QMessageBox::StandardButtons buttons;
        QMessageBox::Icon icon;
    } cases[] = {
        {"ok", Message{"Bad Path!"}, QMessageBox::Ok, DialogButton::Ok, QMessageBox::Ok,
         QMessageBox::NoIcon},
        {"yes", replace, QMessageBox::Yes, DialogButton::Yes,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question},
        {"no", replace, QMessageBox::No, DialogButton::No,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question},
        {"cancel", replace, QMessageBox::Cancel, DialogButton::Cancel,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Question},
        {"question buttons without icon",
         Message{"Sure?", "KMission", MessageButtons::YesNoCancel, MessageIcon::None},
         QMessageBox::No, DialogButton::No,
         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::NoIcon},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SeenBox seen;
        EXPECT_EQ(ShowAndPress(dialogs_, c.message, c.press, seen), c.answer);
        EXPECT_EQ(seen.title.toStdString(), c.message.title);
        EXPECT_EQ(seen.text.toStdString(), c.message.text);
        EXPECT_EQ(seen.buttons, c.buttons);
        EXPECT_EQ(seen.icon, c.icon);
        EXPECT_EQ(seen.iconShown, c.icon != QMessageBox::NoIcon);
    }
}

TEST_F(QtDialogsTest, MessageTextsAreShownAsUnicodeAndPlain) {
    SeenBox seen;
    ShowAndPress(dialogs_, Message{"<b>Caf\xE9</b> \x80", "Titr\xE9"}, QMessageBox::Ok, seen);
    EXPECT_EQ(seen.title, QString::fromUtf8("Titr\xC3\xA9"));
    EXPECT_EQ(seen.text, QString::fromUtf8("<b>Caf\xC3\xA9</b> \xE2\x82\xAC"));
}

TEST_F(QtDialogsTest, KeysAnswerAsOnWindows) {
    const Message replace{"Replace Existing File?", "Replace", MessageButtons::YesNoCancel,
                          MessageIcon::Question};
    const struct {
        const char* name;
        Message message;
        Qt::Key key;
        DialogButton answer;
    } cases[] = {
        {"escape on a question", replace, Qt::Key_Escape, DialogButton::Cancel},
        {"enter on a question", replace, Qt::Key_Return, DialogButton::Yes},
        {"escape on ok", Message{"Saved!"}, Qt::Key_Escape, DialogButton::Ok},
        {"enter on ok", Message{"Saved!"}, Qt::Key_Return, DialogButton::Ok},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WhenModal<QMessageBox>([key = c.key](QMessageBox* box) { QTest::keyClick(box, key); });
        EXPECT_EQ(dialogs_.showMessage(c.message), c.answer);
    }
}

TEST_F(QtDialogsTest, InputBoxGivesTheTextOrEmptyOnCancel) {
    QString title, label, initial;
    WhenModal<QInputDialog>([&](QInputDialog* input) {
        title = input->windowTitle();
        label = input->labelText();
        initial = input->textValue();
        input->setTextValue(QString::fromUtf8("  Ren\xC3\xA9  "));
        input->accept();
    });
    EXPECT_EQ(dialogs_.inputBox("Mission Name:", "Name", "Op\xE9ration"), "  Ren\xE9  ");
    EXPECT_EQ(title, "Name");
    EXPECT_EQ(label, "Mission Name:");
    EXPECT_EQ(initial, QString::fromUtf8("Op\xC3\xA9ration"));

    WhenModal<QInputDialog>([](QInputDialog* input) {
        input->setTextValue("typed");
        input->reject();
    });
    EXPECT_EQ(dialogs_.inputBox("Mission Name:", "Name", "x"), "");
}

#ifndef _WIN32
// The file dialogs are tested against a Wine prefix, where the initial folder
// is a drive path and the game's files come in mixed letter case.
using test::TempWinePrefix;

// The names the dialog's file list shows, once it has read the folder.
QStringList ListedNames(QFileDialog* dialog, int expected) {
    auto* list = dialog->findChild<QListView*>("listView");
    if (list == nullptr) {
        ADD_FAILURE() << "no file list";
        return {};
    }
    QStringList names;
    QElapsedTimer clock;
    clock.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        names.clear();
        const QModelIndex root = list->rootIndex();
        for (int row = 0; row < list->model()->rowCount(root); ++row) {
            names << list->model()->index(row, 0, root).data().toString();
        }
    } while (names.size() < expected && clock.elapsed() < 3000);
    names.sort();
    return names;
}

// Puts a name into the dialog's file name field, as the user types it.
void TypeFileName(QFileDialog* dialog, const QString& name) {
    auto* edit = dialog->findChild<QLineEdit*>("fileNameEdit");
    ASSERT_NE(edit, nullptr);
    edit->setText(name);
}

// Clicks the dialog's Open or Save button, as the user does.
void PressAccept(QFileDialog* dialog) {
    auto* box = dialog->findChild<QDialogButtonBox*>("buttonBox");
    ASSERT_NE(box, nullptr);
    for (QAbstractButton* button : box->buttons()) {
        if (box->buttonRole(button) == QDialogButtonBox::AcceptRole) {
            EXPECT_TRUE(button->isEnabled());
            if (!button->isEnabled()) {
                dialog->reject();
                return;
            }
            button->click();
            return;
        }
    }
    ADD_FAILURE() << "no accept button";
}

class QtFileDialogsTest : public QtDialogsTest {
protected:
    void SetUp() override {
        driveC_ = prefix_.makeDrive('c', "drive_c");
        for (const char* name :
             {"READERMP01.PBD", "readermp02.pbd", "Readermp03.Pbd", "reader.pbd", "notes.txt"}) {
            prefix_.makeFile(std::string("drive_c/game/pbd/") + name);
        }
        pbd_ = driveC_ / "game/pbd";
    }

    static FileDialogRequest Request(const char* title, std::uint32_t options) {
        return {title, "readermp*.PBD Korv3 Pellam|readermp*.PBD", ".PBD", "C:\\GAME\\PBD\\",
                options};
    }

    TempWinePrefix prefix_;
    fs::path driveC_;
    fs::path pbd_;
};

TEST_F(QtFileDialogsTest, OpenDialogShowsTheGameFilesWhateverTheirCase) {
    QStringList listed;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Open PBD");
        EXPECT_EQ(dialog->nameFilters(), QStringList{"readermp*.PBD Korv3 Pellam (readermp*.PBD)"});
        EXPECT_EQ(dialog->defaultSuffix(), "PBD");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        // The real folder, not the way through the prefix's drive link.
        EXPECT_EQ(fs::path(dialog->directory().absolutePath().toStdString()), fs::canonical(pbd_));
        listed = ListedNames(dialog, 3);
        TypeFileName(dialog, "READERMP01.PBD");
        PressAccept(dialog);
    });
    const auto chosen = dialogs_.openFile(Request("Open PBD", 0x1804));
    EXPECT_EQ(listed, (QStringList{"READERMP01.PBD", "Readermp03.Pbd", "readermp02.pbd"}));
    ASSERT_TRUE(chosen);
    EXPECT_TRUE(fs::equivalent(*chosen, pbd_ / "READERMP01.PBD")) << *chosen;
}

TEST_F(QtFileDialogsTest, CancelGivesNothing) {
    WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(dialogs_.openFile(Request("Open PBD", 0x1804)), std::nullopt);
    WhenModal<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_EQ(dialogs_.saveFile(Request("Save PBD", 0x804)), std::nullopt);
}

TEST_F(QtFileDialogsTest, SaveDialogAddsTheExtensionAndLeavesOverwritingToTheCaller) {
    const struct {
        const char* typed;
        const char* expectedName;
    } cases[] = {
        {"newmission", "newmission.PBD"}, {"other.pbd", "other.pbd"}, {"reader.pbd", "reader.pbd"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        WhenModal<QFileDialog>([&](QFileDialog* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Save PBD");
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
            EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            TypeFileName(dialog, c.typed);
            PressAccept(dialog);
        });
        const auto chosen = dialogs_.saveFile(Request("Save PBD", 0x804));
        ASSERT_TRUE(chosen);
        EXPECT_EQ(fs::path(*chosen).filename(), c.expectedName);
        EXPECT_EQ(fs::canonical(fs::path(*chosen).parent_path()), fs::canonical(pbd_));
    }
}

TEST_F(QtFileDialogsTest, SaveDialogRefusesAFolderThatDoesNotExist) {
    bool warned = false;
    bool stillOpen = false;
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        WhenModal<QMessageBox>([&](QMessageBox* box) {
            warned = true;
            box->accept();
        });
        TypeFileName(dialog, "missing/mission.PBD");
        PressAccept(dialog);
        stillOpen = dialog->isVisible();
        dialog->reject();
    });
    EXPECT_EQ(dialogs_.saveFile(Request("Save PBD", 0x804)), std::nullopt);
    EXPECT_TRUE(warned);
    EXPECT_TRUE(stillOpen);
}

TEST_F(QtFileDialogsTest, WithoutPathMustExistAnyFolderIsAccepted) {
    WhenModal<QFileDialog>([&](QFileDialog* dialog) {
        TypeFileName(dialog, "missing/mission.PBD");
        PressAccept(dialog);
    });
    const auto chosen = dialogs_.saveFile(Request("Save PBD", 0));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(fs::path(*chosen).filename(), "mission.PBD");
}

#endif

} // namespace
} // namespace kmission::platform
