#include "codepage.h"

#include <gtest/gtest.h>

#include <string>

namespace kmission {
namespace {

using namespace std::string_literals;

// Below 0x80 a byte is its own character, from 0xA0 up the Latin-1 one; the
// five bytes 0x80 ... 0x9F that windows-1252 leaves undefined stand for the
// C1 controls of the same number.
TEST(Cp1252, EveryByteHasItsCharacterAndComesBack) {
    EXPECT_EQ(Cp1252ToUtf8("a\0\x7F\x80\x81\x8A\x9D\x9F\xA0\xFF"s),
              "a\0\x7F€\xC2\x81Š\xC2\x9DŸ\xC2\xA0ÿ"s);
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
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
