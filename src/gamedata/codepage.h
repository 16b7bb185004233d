#pragma once

#include <string>
#include <string_view>

namespace kmission {

// Node texts and names are bytes in windows-1252; these convert them for
// display and printing only. The five bytes that windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same number, so
// every byte has a character and the conversion is reversible.
std::string Cp1252ToUtf8(std::string_view bytes);

// The reverse: characters outside windows-1252 (and malformed UTF-8) become "?".
std::string Utf8ToCp1252(std::string_view utf8);

} // namespace kmission
