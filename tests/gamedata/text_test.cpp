#include "text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>

namespace kmission {
namespace {

using namespace std::string_literals;

struct CleanCase {
    std::string input;
    std::string expected;
};

TEST(CleanText, DropsControlBytesAndTrimsOnlySpaces) {
    const CleanCase cases[] = {
        {"  ab\tc\0  "s, "abc"},
        {"\0\0\0"s, ""},
        {"a b", "a b"},
        {"", ""},
        {"    ", ""},
        {"maps.prd\0\0\0\0\0\0"s, "maps.prd"},
        {"maps.prd      ", "maps.prd"},
        // A tab between spaces disappears first, so all the spaces are outer.
        {" \t x \r\n ", "x"},
        {"\x1F"
         "a\x1F",
         "a"},
        // 0x7F and the code page's upper half are characters, not controls.
        {"\x7F", "\x7F"},
        {"\xE9t\xE9", "\xE9t\xE9"},
        // A no-break space (0xA0) is not the space character and is not trimmed.
        {"\xA0"
         "a\xA0",
         "\xA0"
         "a\xA0"},
        {"a  \t  b", "a    b"},
    };
    for (const CleanCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.input));
        EXPECT_EQ(CleanText(c.input), c.expected);
    }
}

TEST(CleanText, HandlesTheLongestTextAllowed) {
    const std::string text = "  " + std::string(32763, 'x') + "\t ";
    EXPECT_EQ(CleanText(text), std::string(32763, 'x'));
}

TEST(PadText, CutsOrPadsWithSpaces) {
    EXPECT_EQ(PadText("dunes", 12), "dunes       ");
    EXPECT_EQ(PadText("abcdefghijklmno", 12), "abcdefghijkl");
    EXPECT_EQ(PadText("abcdefghijkl", 12), "abcdefghijkl");
    EXPECT_EQ(PadText("", 3), "   ");
}

struct NumberCase {
    std::string text;
    double expected;
};

TEST(TextToNumber, ReadsTheLeadingNumber) {
    const NumberCase cases[] = {
        {"12abc", 12},
        {"", 0},
        {"-3.5", -3.5},
        {" 1 2", 12},
        {"1.5E2", 150},
        {"1D2", 100},
        {"12,5", 12},
        {".5", 0.5},
        {"abc", 0},
        {"+7", 7},
        {"-", 0},
        {".", 0},
        {"1.2.3", 1.2},
        {"1E", 1},
        {"1E+", 1},
        {"2E-3", 0.002},
        {"2D+3", 2000},
        {"\t-\n4", -4},
        {"1 2 3 . 5", 123.5},
        {"007", 7},
        {"-0.25", -0.25},
        {"1.234568E+07", 12345680},
        // A carriage return is not among the ignored blanks and ends the number.
        {"1\r2", 1},
        {"--5", 0},
        {"5-", 5},
        {"5.", 5},
        {"1.E2", 100},
        {"1E-400", 0},
        {"-0", 0},
    };
    for (const NumberCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        EXPECT_EQ(TextToNumber(c.text), c.expected);
    }
}

TEST(TextToNumber, ReadsDecimalFractionsAsTheNearestDouble) {
    // Accumulating digits by repeated multiplication misses these by an ulp.
    EXPECT_EQ(TextToNumber("0.1"), 0.1);
    EXPECT_EQ(TextToNumber("0.3"), 0.3);
    EXPECT_EQ(TextToNumber("123.456"), 123.456);
    EXPECT_EQ(TextToNumber("3.402823E+38"), 3.402823e38);
    EXPECT_EQ(TextToNumber("1.175494E-38"), 1.175494e-38);
}

TEST(TextToNumber, OverflowGivesInfinity) {
    EXPECT_EQ(TextToNumber("1E400"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(TextToNumber("-1E400"), -std::numeric_limits<double>::infinity());
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {
        {0.5, 0},
        {1.5, 2},
        {2.5, 2},
        {3.5, 4},
        {-0.5, 0},
        {-1.5, -2},
        {-2.5, -2},
        {12.5, 12},
        {13.5, 14},
        {2.4999999, 2},
        {2.5000001, 3},
        {-2.5000001, -3},
        {7, 7},
        {0.49999999999999994, 0},
        {4503599627370497.0, 4503599627370497.0},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(RoundHalfEven(value), expected);
    }
}

TEST(ToInt16, RoundsAndClampsToTheInt16Range) {
    const std::pair<double, std::int16_t> cases[] = {
        {12.5, 12},
        {13.5, 14},
        {-2.5, -2},
        {32767.4, 32767},
        {32766.5, 32766},
        {40000, 32767},
        {-40000, -32768},
        {-32768.5, -32768},
        {1e300, 32767},
        {-1e300, -32768},
        {0, 0},
        {std::numeric_limits<double>::infinity(), 32767},
        {-std::numeric_limits<double>::infinity(), -32768},
    };
    for (const auto& [value, expected] : cases) {
        SCOPED_TRACE(value);
        EXPECT_EQ(ToInt16(value), expected);
    }
    EXPECT_EQ(ToInt16(std::numeric_limits<double>::quiet_NaN()), 0);
}

struct FloatCase {
    float value;
    std::string expected;
};

TEST(FloatText, WritesAtMostSevenSignificantDigits) {
    const FloatCase cases[] = {
        {0.1f, "0.1"},
        {12345678.0f, "1.234568E+07"},
        {1e-7f, "1E-07"},
        {0.0f, "0"},
        {-2.5f, "-2.5"},
        {100000.0f, "100000"},
        {1234567.0f, "1234567"},
        {0.0001f, "0.0001"},
        {0.00001f, "1E-05"},
        {1.0f, "1"},
        {0.5f, "0.5"},
        {-0.25f, "-0.25"},
        {0.3f, "0.3"},
        {123.456f, "123.456"},
        {9999999.0f, "9999999"},
        {10000000.0f, "1E+07"},
        {1.5e-5f, "1.5E-05"},
        {1e20f, "1E+20"},
        {-1e-30f, "-1E-30"},
        {16777216.0f, "1.677722E+07"},
        {std::numeric_limits<float>::max(), "3.402823E+38"},
        {std::numeric_limits<float>::min(), "1.175494E-38"},
        {std::numeric_limits<float>::denorm_min(), "1.401298E-45"},
        {1.2345678f, "1.234568"},
        {-1234.5f, "-1234.5"},
    };
    for (const FloatCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(FloatText(c.value), c.expected);
    }
}

TEST(FloatText, NamesNonFiniteValues) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::bit_cast<float>(std::uint32_t{0x7FC00000});
    const float negativeNan = std::bit_cast<float>(std::uint32_t{0xFFC00000});
    EXPECT_EQ(FloatText(inf), "INF");
    EXPECT_EQ(FloatText(-inf), "-INF");
    EXPECT_EQ(FloatText(nan), "NAN");
    EXPECT_EQ(FloatText(negativeNan), "-NAN");
}

// Walks float bit patterns across the whole range (every sign, exponent and a
// spread of mantissas) and checks each text against the C library's "%.7G"
// in the C locale, an independent writer of the same seven-digit form.
TEST(FloatText, MatchesSevenDigitGeneralFormAcrossTheRange) {
    int checked = 0;
    for (std::uint32_t exponent = 0; exponent < 255; ++exponent) {
        for (std::uint32_t mantissa : {0u, 1u, 0x2AAAAAu, 0x400000u, 0x4CCCCDu, 0x7FFFFFu}) {
            for (std::uint32_t sign : {0u, 1u}) {
                const auto bits = sign << 31 | exponent << 23 | mantissa;
                if (bits == 0x80000000u)
                    continue; // whether zero keeps a minus sign is not fixed
                const float value = std::bit_cast<float>(bits);
                char expected[64];
                std::snprintf(expected, sizeof expected, "%.7G", static_cast<double>(value));
                SCOPED_TRACE(bits);
                ASSERT_EQ(FloatText(value), expected);
                ++checked;
            }
        }
    }
    EXPECT_EQ(checked, 255 * 6 * 2 - 1);
}

// A float that needs more than seven digits comes back as the nearest float
// to its text, and from then on it is stable.
TEST(FloatText, ReadsBackThroughTextToNumberToAStableFloat) {
    for (std::uint32_t bits = 0x3DCCCCCBu; bits < 0x3DCCCCD0u; ++bits) {
        const float value = std::bit_cast<float>(bits);
        const auto once = static_cast<float>(TextToNumber(FloatText(value)));
        const auto twice = static_cast<float>(TextToNumber(FloatText(once)));
        SCOPED_TRACE(bits);
        EXPECT_EQ(FloatText(once), FloatText(value));
        EXPECT_EQ(once, twice);
    }
    EXPECT_EQ(static_cast<float>(TextToNumber(FloatText(0.1f))), 0.1f);
    EXPECT_EQ(static_cast<float>(TextToNumber(FloatText(12345678.0f))), 12345680.0f);
}

TEST(ReadoutText, DropsTheZeroBeforeThePointAndLeadsWithABlank) {
    const FloatCase cases[] = {
        {12.5f, " 12.5"},  {-0.25f, "-.25"},
        {0.5f, " .5"},     {0.0f, " 0"},
        {-0.5f, "-.5"},    {-2.0f, "-2"},
        {10.5f, " 10.5"},  {100.0f, " 100"},
        {1e-5f, " 1E-05"}, {-12345678.0f, "-1.234568E+07"},
    };
    for (const FloatCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(ReadoutText(c.value), c.expected);
    }
}

TEST(IntegerText, WritesPlainDecimals) {
    EXPECT_EQ(IntegerText(0), "0");
    EXPECT_EQ(IntegerText(-5), "-5");
    EXPECT_EQ(IntegerText(100), "100");
    EXPECT_EQ(IntegerText(-2147483648LL), "-2147483648");
    EXPECT_EQ(IntegerText(2147483647LL), "2147483647");
}

TEST(AsciiCase, LeavesTheUpperHalfAlone) {
    EXPECT_EQ(ToUpperAscii("Dunes_9\xE9\xFF"), "DUNES_9\xE9\xFF");
    EXPECT_EQ(ToLowerAscii("DUNES_9\xC9\xDE"), "dunes_9\xC9\xDE");
    EXPECT_TRUE(StartsWith("reg_inside", "reg_"));
    EXPECT_FALSE(StartsWith("reg", "reg_"));
    EXPECT_FALSE(StartsWith("REG_inside", "reg_"));
}

} // namespace
} // namespace kmission
