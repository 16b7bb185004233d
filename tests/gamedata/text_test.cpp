#include "text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

namespace kmission {
namespace {

using namespace std::string_literals;
constexpr double kInf = std::numeric_limits<double>::infinity();

// clang-format off
TEST(CleanText, DropsControlBytesAndTrimsOnlySpaces) {
    const std::pair<std::string, std::string> cases[] = {
        {"maps.prd   ", "maps.prd"}, {"  a b  ", "a b"}, {"    ", ""}, {"", ""}, // no control byte
        {"maps.prd\0\0"s, "maps.prd"}, {"\0\0"s, ""}, {"\x1F" "a\x1F", "a"}, {"a  \t  b", "a    b"},
        {" \t x \r\n ", "x"},               // the tab goes first, so all the spaces are outer
        {"\x7F\xE9\xA0", "\x7F\xE9\xA0"},  // DEL, the upper half and no-break space are kept
        {"\xA0\xE9\xFF\x80 x \x9F\x7F\x20!", "\xA0\xE9\xFF\x80 x \x9F\x7F !"},
        {"abcdefgh\x01ijklmnopqr", "abcdefghijklmnopqr"}, {"a\x1F" "bcdefghijklmnop", "abcdefghijklmnop"},
        {"\x01" "abcd", "abcd"}, {"abcd\x01", "abcd"}};
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(CleanText(input), expected) << testing::PrintToString(input);
    EXPECT_EQ(PadText("dunes", 8) + PadText("abcdefghi", 8) + PadText("", 2), "dunes   abcdefgh  ");
}

TEST(TextToNumber, ReadsTheLongestLeadingNumber) {
    const std::pair<std::string, double> cases[] = {  // the sign of the result counts too
        {"", 0}, {"12abc", 12}, {"-3.5", -3.5}, {"+7", 7}, {".5", 0.5}, {"5.", 5}, {"007", 7},
        {"1.2.3", 1.2}, {"12,5", 12}, {"-0", -0.0}, {"+.5", 0.5}, {"1.E2", 100},
        // Nothing read: the parse stops at the first character.
        {"abc", 0}, {"E5", 0}, {"-", 0}, {".", 0}, {"--5", 0}, {"+-5", 0}, {".E5", 0}, {"x12", 0},
        // Exponents, plain and through the general reader.
        {"1.5E2", 150}, {"2e-3", 0.002}, {"2.5e+1", 25}, {"1E308", 1e308}, {"1D2", 100},
        {"1d-2", 0.01}, {"2D+3", 2000}, {"1E0002", 100}, {"1E", 1}, {"1E+", 1}, {"1E-", 1},
        {"1E2E3", 100}, {"1E2x", 100}, {"5-", 5}, {"1e-2x", 0.01}, {"1Ex", 1},
        // Blanks, tabs and line feeds anywhere are ignored; a carriage return is not.
        {" 1 2", 12}, {"\t-\n4", -4}, {"1 E 2", 100}, {"1 2 3 . 5", 123.5}, {"1\r2", 1}, {"- .5", -0.5},
        // Beyond double: infinity or zero by where the first digit stands.
        {"1E400", kInf}, {"-1E400", -kInf}, {"0.5E400", kInf}, {"00012E400", kInf}, {"1E-400", 0},
        {"-1E-400", -0.0}, {"5E-4000", 0}, {"0.05E-400", 0}, {"1E99999999999", kInf},
        {"1E-99999999999", 0}, {std::string(400, '9'), kInf}, {"-" + std::string(400, '9') + ".5", -kInf},
        // Decimal fractions come out as the nearest double.
        {"0.1", 0.1}, {"0.3", 0.3}, {"123.456", 123.456}, {"3.402823E+38", 3.402823e38},
        {"1.175494E-38", 1.175494e-38}};
    for (const auto& [text, expected] : cases) {
        const double got = TextToNumber(text);
        EXPECT_EQ(got, expected) << testing::PrintToString(text);
        EXPECT_EQ(std::signbit(got), std::signbit(expected)) << testing::PrintToString(text);
    }
}

TEST(ToInt16, RoundsHalvesToEvenAndClamps) {
    const std::pair<double, std::int16_t> clamped[] = {
        {12.5, 12}, {13.5, 14}, {-2.5, -2}, {-0.5, 0}, {2.5000001, 3}, {32767.4, 32767},
        {32766.5, 32766}, {32767.5, 32767}, {40000, 32767}, {-32768.5, -32768}, {-40000, -32768},
        {kInf, 32767}, {-kInf, -32768}, {std::nan(""), 0}};
    for (const auto& [value, expected] : clamped)
        EXPECT_EQ(ToInt16(value), expected) << value;
}

float FromBits(std::uint32_t bits) {
    return std::bit_cast<float>(bits);
}

// Rows the walk across the range below does not reach.
TEST(FloatText, WritesAtMostSevenSignificantDigits) {
    const std::pair<float, const char*> cases[] = {
        {100000.0f, "100000"}, {1.2345678f, "1.234568"}, {1234567.0f, "1234567"},
        {9999999.0f, "9999999"}, {10000000.0f, "1E+07"}, {-12345678.0f, "-1.234568E+07"}, {999999.94f, "999999.9"},
        // Plain down to 1E-04 (0.0001f rounds up into the next decade), then the exponent form.
        {0.0001f, "0.0001"}, {0.00012345678f, "0.0001234568"}, {0.00001f, "1E-05"},
        {2e-5f, "2E-05"}, {-1.5e-5f, "-1.5E-05"}, {1e-7f, "1E-07"},
        // Halfway between seven-digit texts: to the even one.
        {10000005.0f, "1E+07"}, {10000015.0f, "1.000002E+07"}, {10000025.0f, "1.000002E+07"},
        // The float nearest a power of ten takes the power, where it reads back.
        {1e28f, "1E+28"}, {-1e28f, "-1E+28"}, {FromBits(0x006CE3EEu), "1E-38"}, {0.99999994f, "0.9999999"},
        // Magnitudes beyond the quick path.
        {1e-16f, "1E-16"}, {1.2345678e-17f, "1.234568E-17"}, {-1e-30f, "-1E-30"}, {1e29f, "1E+29"},
        {FromBits(0x80000002u), "-2.802597E-45"}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FloatText(value), text);
    const std::pair<float, const char*> readouts[] = {
        {0.0f, " 0"}, {-0.0f, " 0"}, {0.5f, " .5"}, {-0.25f, "-.25"}, {12.5f, " 12.5"},
        {-2.0f, "-2"}, {1e-5f, " 1E-05"}, {-12345678.0f, "-1.234568E+07"}, {0.0001f, " .0001"},
        {-std::numeric_limits<float>::infinity(), "-INF"}};
    for (const auto& [value, text] : readouts)
        EXPECT_EQ(ReadoutText(value), text);
}
// clang-format on

// Walks float bit patterns across the whole range (every sign, exponent and a
// spread of mantissas, infinities and NaNs too) and checks each text against the C library's "%.7G"
// in the C locale, an independent writer of the same seven-digit form.
TEST(FloatText, MatchesSevenDigitGeneralFormAcrossTheRange) {
    for (std::uint32_t exponent = 0; exponent < 256; ++exponent) {
        for (std::uint32_t mantissa : {0u, 1u, 0x2AAAAAu, 0x400000u, 0x4CCCCDu, 0x7FFFFFu}) {
            for (std::uint32_t sign : {0u, 1u}) {
                const float value = FromBits(sign << 31 | exponent << 23 | mantissa);
                // The sign is written apart: Windows' C library drops a NaN's.
                char expected[64] = "-";
                std::snprintf(expected + sign, sizeof expected - 1, "%.7G",
                              static_cast<double>(std::fabs(value)));
                ASSERT_EQ(FloatText(value), expected) << (sign << 31 | exponent << 23 | mantissa);
            }
        }
    }
}

float Saved(const std::string& text) {
    float value = 0.0f;
    EXPECT_TRUE(FloatOfText(text, value)) << text;
    return value;
}

// A float that needs more than seven digits is saved as the nearest float to
// its text, and from then on it is stable.
TEST(FloatText, ReadsBackThroughTextToNumberToAStableFloat) {
    for (std::uint32_t bits = 0x3DCCCCCBu; bits < 0x3DCCCCD0u; ++bits) {
        const float once = Saved(FloatText(FromBits(bits)));
        EXPECT_EQ(FloatText(once), FloatText(FromBits(bits))) << bits;
        EXPECT_EQ(Saved(FloatText(once)), once) << bits;
    }
    // Saved is the float of the text's number, also where digits and powers
    // of ten are beyond what a float holds exactly.
    for (const std::string text : {"1677721.7", "16777215", "1.000007E+17", "1.000160E-05",
                                   "0.0000000001", "-1.5E+10", "-0", "12,5", "1e3", " 7"})
        EXPECT_EQ(std::bit_cast<std::uint32_t>(Saved(text)),
                  std::bit_cast<std::uint32_t>(static_cast<float>(TextToNumber(text))))
            << text;
}

TEST(AsciiText, CaseChangesOnlyLettersAndIntegersArePlain) {
    EXPECT_EQ(ToUpperAscii("`az{@AZ[_9\xE9\xFF"), "`AZ{@AZ[_9\xE9\xFF");
    EXPECT_EQ(ToLowerAscii("`az{@AZ[_9\xC9\xDE"), "`az{@az[_9\xC9\xDE");
    EXPECT_TRUE(StartsWith("reg_inside", "reg_") && !StartsWith("REG_inside", "reg_"));
    EXPECT_EQ(IntegerText(-2147483648LL), "-2147483648");
}

} // namespace
} // namespace kmission
