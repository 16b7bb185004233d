#pragma once

#include "message.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kmission::platform {

// The button that closed a message box.
enum class DialogButton { Ok, Yes, No, Cancel };

// Option flags of the file dialogs, with the values of the Windows common
// dialog they come from.
inline constexpr std::uint32_t kOverwritePrompt = 0x2;
inline constexpr std::uint32_t kHideReadOnly = 0x4;
inline constexpr std::uint32_t kPathMustExist = 0x800;
inline constexpr std::uint32_t kFileMustExist = 0x1000;

// What an open or save dialog is asked to show. Texts are windows-1252.
struct FileDialogRequest {
    std::string title;
    // Pairs of description and pattern, separated by "|", as in
    // "readermp*.PBD Korv3 Pellam|readermp*.PBD"; several patterns of one
    // pair are separated by ";".
    std::string filter;
    // Appended to a typed name that has no extension, e.g. ".PBD".
    std::string defaultExtension;
    // A Windows or native folder (see native_path.h).
    std::string initialFolder;
    std::uint32_t options = 0;

    friend bool operator==(const FileDialogRequest&, const FileDialogRequest&) = default;
};

// Every modal question the editor asks the user goes through this interface,
// so that tests can answer them (ScriptedDialogs) and the program shows real
// windows (QtDialogs). All calls block until the user has answered.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Shows the message with its own buttons and icon; returns the button
    // pressed. Closing an OK box in any other way counts as OK, closing a
    // Yes/No/Cancel box as Cancel.
    virtual DialogButton showMessage(const Message& message) = 0;

    // Asks for one line of text; the empty text when the user cancels (so an
    // emptied field and Cancel cannot be told apart). windows-1252 in and out.
    virtual std::string inputBox(std::string_view prompt, std::string_view title,
                                 std::string_view defaultText) = 0;

    // The chosen file as a native path, or nothing when the user cancels.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
};

// Shows the messages one after the other, as a core command returned them.
inline void ShowMessages(Dialogs& dialogs, const Messages& messages) {
    for (const Message& message : messages) {
        dialogs.showMessage(message);
    }
}

} // namespace kmission::platform
