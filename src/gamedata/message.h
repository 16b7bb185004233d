#pragma once

#include <string>
#include <vector>

namespace kmission {

// A message box that a command shows: the core returns these as values and the
// editor shows them (or the command-line tool prints them); the core never opens
// a window. Texts are bytes in the game's 8-bit code page, like node texts.
enum class MessageButtons { Ok, YesNoCancel };
enum class MessageIcon { None, Question };

inline constexpr const char* kDefaultTitle = "KMission";

struct Message {
    std::string text;
    std::string title = kDefaultTitle;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;

    friend bool operator==(const Message&, const Message&) = default;
};

using Messages = std::vector<Message>;

} // namespace kmission
