#include "scripted_dialogs.h"

namespace kmission::platform {

namespace {

template <typename T> std::optional<T> TakeFront(std::deque<T>& queue) {
    if (queue.empty()) {
        return std::nullopt;
    }
    T front = std::move(queue.front());
    queue.pop_front();
    return front;
}

} // namespace

DialogButton ScriptedDialogs::showMessage(const Message& message) {
    messages_.push_back(message);
    if (message.buttons == MessageButtons::Ok) {
        return DialogButton::Ok;
    }
    return TakeFront(messageAnswers_).value_or(DialogButton::Yes);
}

std::string ScriptedDialogs::inputBox(std::string_view prompt, std::string_view title,
                                      std::string_view defaultText) {
    inputs_.push_back({std::string(prompt), std::string(title), std::string(defaultText)});
    return TakeFront(inputAnswers_).value_or(std::string());
}

std::optional<std::string> ScriptedDialogs::openFile(const FileDialogRequest& request) {
    fileRequests_.push_back({FileDialogKind::Open, request});
    return TakeFront(openAnswers_).value_or(std::nullopt);
}

std::optional<std::string> ScriptedDialogs::saveFile(const FileDialogRequest& request) {
    fileRequests_.push_back({FileDialogKind::Save, request});
    return TakeFront(saveAnswers_).value_or(std::nullopt);
}

std::size_t ScriptedDialogs::unusedAnswers() const {
    return messageAnswers_.size() + inputAnswers_.size() + openAnswers_.size() +
           saveAnswers_.size();
}

} // namespace kmission::platform
