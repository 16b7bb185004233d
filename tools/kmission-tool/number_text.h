#pragma once

#include <string_view>

namespace kmission::tool {

// Whether a text typed for a number is one: digits with an optional sign,
// decimal point and exponent ("12", "-0.5", "1E-07"). The editor itself takes
// any text and reads a number from its start; the tool refuses the rest, as a
// text like "12x" is a typing error far more often than meant as 12.
bool IsNumberText(std::string_view text);

} // namespace kmission::tool
