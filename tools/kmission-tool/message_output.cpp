#include "message_output.h"

#include "codepage.h"

#include <algorithm>

namespace kmission::tool {

void PrintMessages(const Messages& messages, std::ostream& err) {
    for (const Message& message : messages) {
        std::string text = Cp1252ToUtf8(message.text);
        std::replace(text.begin(), text.end(), '\n', ' ');
        err << Cp1252ToUtf8(message.title) << ": " << text << '\n';
    }
}

} // namespace kmission::tool
