#pragma once

#include "dialogs.h"

#include <deque>
#include <vector>

namespace kmission::platform {

// A Dialogs for tests: answers come from queues filled beforehand, and every
// request is recorded in full so that a test can check what the user would
// have seen.
//
// Message boxes with only an OK button answer OK and take nothing from the
// queue, so that a queued answer is kept for the question it was meant for.
// A Yes/No/Cancel box takes the next queued answer; with the queue empty it
// answers Yes, as pressing Enter on its default button would. An input box
// with its queue empty answers the empty text (cancel); a file dialog with its
// queue empty is cancelled.
class ScriptedDialogs final : public Dialogs {
public:
    enum class FileDialogKind { Open, Save };

    struct InputRequest {
        std::string prompt;
        std::string title;
        std::string defaultText;

        friend bool operator==(const InputRequest&, const InputRequest&) = default;
    };

    struct FileRequest {
        FileDialogKind kind = FileDialogKind::Open;
        FileDialogRequest request;

        friend bool operator==(const FileRequest&, const FileRequest&) = default;
    };

    void queueMessageAnswer(DialogButton answer) { messageAnswers_.push_back(answer); }
    void queueInputAnswer(std::string text) { inputAnswers_.push_back(std::move(text)); }
    // std::nullopt queues a cancel.
    void queueOpenFile(std::optional<std::string> path) { openAnswers_.push_back(std::move(path)); }
    void queueSaveFile(std::optional<std::string> path) { saveAnswers_.push_back(std::move(path)); }

    DialogButton showMessage(const Message& message) override;
    std::string inputBox(std::string_view prompt, std::string_view title,
                         std::string_view defaultText) override;
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;

    const Messages& messages() const { return messages_; }
    const std::vector<InputRequest>& inputs() const { return inputs_; }
    const std::vector<FileRequest>& fileRequests() const { return fileRequests_; }

    // Answers queued but not asked for: a test that scripted a question which
    // never came can check this is zero.
    std::size_t unusedAnswers() const;

private:
    std::deque<DialogButton> messageAnswers_;
    std::deque<std::string> inputAnswers_;
    std::deque<std::optional<std::string>> openAnswers_;
    std::deque<std::optional<std::string>> saveAnswers_;
    Messages messages_;
    std::vector<InputRequest> inputs_;
    std::vector<FileRequest> fileRequests_;
};

} // namespace kmission::platform
