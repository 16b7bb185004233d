#include "scripted_dialogs.h"

#include <gtest/gtest.h>

namespace kmission::platform {
namespace {

const Message kBadPath{"Bad Path!"};
const Message kReplace{"Replace Existing File?", "Replace", MessageButtons::YesNoCancel,
                       MessageIcon::Question};

FileDialogRequest OpenRequest() {
    return {"Open PBD", "readermp*.PBD Korv3 Pellam|readermp*.PBD", ".PBD", "D:\\Korv3\\pbd\\",
            kFileMustExist | kPathMustExist | kHideReadOnly};
}

TEST(ScriptedDialogsTest, RecordsEveryMessageInFull) {
    ScriptedDialogs dialogs;
    dialogs.showMessage(kBadPath);
    dialogs.showMessage(kReplace);
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[0], kBadPath);
    EXPECT_EQ(dialogs.messages()[1], kReplace);
    EXPECT_EQ(dialogs.messages()[1].title, "Replace");
}

TEST(ScriptedDialogsTest, OkBoxesLeaveQueuedAnswersForTheQuestion) {
    ScriptedDialogs dialogs;
    dialogs.queueMessageAnswer(DialogButton::No);
    EXPECT_EQ(dialogs.showMessage(kBadPath), DialogButton::Ok);
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::No);
    EXPECT_EQ(dialogs.unusedAnswers(), 0u);
}

TEST(ScriptedDialogsTest, QuestionsTakeAnswersInOrderThenYes) {
    ScriptedDialogs dialogs;
    dialogs.queueMessageAnswer(DialogButton::Cancel);
    dialogs.queueMessageAnswer(DialogButton::No);
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::Cancel);
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::No);
    EXPECT_EQ(dialogs.showMessage(kReplace), DialogButton::Yes);
}

TEST(ScriptedDialogsTest, InputBoxesAreRecordedAndAnsweredThenCancelled) {
    ScriptedDialogs dialogs;
    dialogs.queueInputAnswer("  New Name  ");
    EXPECT_EQ(dialogs.inputBox("Mission Name:", "Name", "Old"), "  New Name  ");
    EXPECT_EQ(dialogs.inputBox("Mission Name:", "Name", "Older"), "");
    const std::vector<ScriptedDialogs::InputRequest> expected = {
        {"Mission Name:", "Name", "Old"}, {"Mission Name:", "Name", "Older"}};
    EXPECT_EQ(dialogs.inputs(), expected);
}

TEST(ScriptedDialogsTest, FileDialogsAreRecordedWithTheirKind) {
    ScriptedDialogs dialogs;
    FileDialogRequest save = OpenRequest();
    save.title = "Save PBD";
    save.options = kPathMustExist | kHideReadOnly;
    dialogs.queueSaveFile("/tmp/out.PBD");
    dialogs.queueOpenFile("/tmp/in.PBD");
    dialogs.queueOpenFile(std::nullopt);

    EXPECT_EQ(dialogs.openFile(OpenRequest()), "/tmp/in.PBD");
    EXPECT_EQ(dialogs.saveFile(save), "/tmp/out.PBD") << "open and save answers are apart";
    EXPECT_EQ(dialogs.openFile(OpenRequest()), std::nullopt) << "a queued cancel";
    EXPECT_EQ(dialogs.openFile(OpenRequest()), std::nullopt) << "nothing queued";
    EXPECT_EQ(dialogs.saveFile(save), std::nullopt) << "nothing queued";

    using Kind = ScriptedDialogs::FileDialogKind;
    const std::vector<ScriptedDialogs::FileRequest> expected = {
        {Kind::Open, OpenRequest()}, {Kind::Save, save}, {Kind::Open, OpenRequest()},
        {Kind::Open, OpenRequest()}, {Kind::Save, save},
    };
    EXPECT_EQ(dialogs.fileRequests(), expected);
    EXPECT_EQ(dialogs.fileRequests()[0].request.options, 0x1804u);
    EXPECT_EQ(dialogs.fileRequests()[1].request.options, 0x804u);
}

TEST(ScriptedDialogsTest, CountsAnswersNobodyAskedFor) {
    ScriptedDialogs dialogs;
    dialogs.queueMessageAnswer(DialogButton::Yes);
    dialogs.queueInputAnswer("x");
    dialogs.queueOpenFile(std::nullopt);
    dialogs.queueSaveFile("y");
    EXPECT_EQ(dialogs.unusedAnswers(), 4u);
    dialogs.inputBox("p", "t", "d");
    EXPECT_EQ(dialogs.unusedAnswers(), 3u);
}

TEST(ScriptedDialogsTest, ShowMessagesShowsThemInOrder) {
    ScriptedDialogs dialogs;
    const Messages messages = {Message{"new type found!"}, Message{"123", "Fpos"}};
    ShowMessages(dialogs, messages);
    EXPECT_EQ(dialogs.messages(), messages);
}

} // namespace
} // namespace kmission::platform
