#include "codepage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace kmission {
namespace {

using namespace std::string_literals;

std::string Utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// The characters of windows-1252 at 0x80 ... 0x9F; the five undefined bytes
// stand for the C1 controls of the same number.
constexpr char32_t kUpperControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t Cp1252Character(int byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kUpperControls[byte - 0x80];
    return static_cast<char32_t>(byte);
}

TEST(Cp1252, EveryByteHasItsCharacterAndComesBack) {
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        EXPECT_EQ(Cp1252ToUtf8(std::string(1, static_cast<char>(byte))),
                  Utf8(Cp1252Character(byte)))
            << byte;
        all += static_cast<char>(byte);
    }
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(all)), all);
    EXPECT_EQ(Cp1252ToUtf8("a\0b\xE9"s), "a\0b\xC3\xA9"s);
}

TEST(Utf8ToCp1252, ReplacesWhatTheCodePageCannotHold) {
    const std::pair<std::string, std::string> cases[] = {
        {Utf8(0x20AC), "\x80"},
        {"caf" + Utf8(0xE9), "caf\xE9"},
        {"a" + Utf8(0x4E2D) + "b", "a?b"},
        {"a" + Utf8(0x1F600) + "b", "a?b"},
        {Utf8(0x0100), "?"},
        {"a\xFF"
         "b",
         "a?b"},
        {"a\x80"
         "b",
         "a?b"},
        {"a\xC3", "a?"},
        {"\xC3"
         "A",
         "?A"},
        {"\xE2\x82", "??"},
    };
    for (const auto& [utf8, expected] : cases) {
        SCOPED_TRACE(testing::PrintToString(utf8));
        EXPECT_EQ(Utf8ToCp1252(utf8), expected);
    }
}

} // namespace
} // namespace kmission
