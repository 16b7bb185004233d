#include "codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace kmission {
namespace {

using namespace std::string_literals;

// The characters of windows-1252 at 0x80 ... 0x9F in UTF-8; the five undefined
// bytes stand for the C1 controls of the same number.
// clang-format off
const char* const kUpperControls[32] = {
    "€", "\xC2\x81", "‚", "ƒ", "„", "…", "†", "‡", "ˆ", "‰", "Š", "‹", "Œ", "\xC2\x8D", "Ž", "\xC2\x8F",
    "\xC2\x90", "‘", "’", "“", "”", "•", "–", "—", "˜", "™", "š", "›", "œ", "\xC2\x9D", "ž", "Ÿ"};
// clang-format on

// Below 0x80 a byte is its own character, from 0xA0 up the Latin-1 one.
std::string Cp1252Utf8(int byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kUpperControls[byte - 0x80];
    if (byte < 0x80)
        return std::string(1, static_cast<char>(byte));
    return {static_cast<char>(0xC0 | byte >> 6), static_cast<char>(0x80 | (byte & 0x3F))};
}

TEST(Cp1252, EveryByteHasItsCharacterAndComesBack) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(Cp1252ToUtf8(std::string(1, static_cast<char>(byte))), Cp1252Utf8(byte)) << byte;
        all += static_cast<char>(byte);
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Cp1252ToUtf8("a\0b\xE9"s), "a\0b\xC3\xA9"s);
}

// Characters outside the code page and malformed UTF-8 (a bad lead byte, a
// sequence cut short or broken by a byte that does not continue it) become "?".
TEST(Utf8ToCp1252, ReplacesWhatTheCodePageCannotHold) {
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"€", "\x80"}, {"café", "caf\xE9"}, {"a中b", "a?b"}, {"a😀b", "a?b"}, {"Ā", "?"},
        {"a\xFF" "b", "a?b"}, {"a\x80" "b", "a?b"}, {"a\xC3", "a?"}, {"\xC3" "A", "?A"},
        {"\xE2\x82", "??"}};
    // clang-format on
    for (const auto& [utf8, expected] : cases)
        EXPECT_EQ(Utf8ToCp1252(utf8), expected) << testing::PrintToString(utf8);
}

} // namespace
} // namespace kmission
