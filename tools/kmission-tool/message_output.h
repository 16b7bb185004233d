#pragma once

#include "message.h"

#include <ostream>

namespace kmission::tool {

// Prints each message box a command would show as one line "TITLE: TEXT",
// converted from the game's code page to UTF-8, a line feed in the text
// printed as a space so that every box stays on one line.
void PrintMessages(const Messages& messages, std::ostream& err);

} // namespace kmission::tool
