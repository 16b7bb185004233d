#include "number_text.h"

#include <regex>

namespace kmission::tool {

bool IsNumberText(std::string_view text) {
    static const std::regex number(R"([+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?)");
    return std::regex_match(text.begin(), text.end(), number);
}

} // namespace kmission::tool
