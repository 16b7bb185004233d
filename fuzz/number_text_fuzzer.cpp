// The number texts: TextToNumber on any text, and the texts this program
// writes into nodes (FloatText, IntegerText, ReadoutText) read back.
//
// The input is the text itself; its first bytes also serve as the bits of a
// float and of an integer.

#include "fuzz_check.h"
#include "text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace kmission {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The number TextToNumber must find, worked out another way: drop the
// ignored characters, take the longest leading number and let the C library
// read it, with D as the exponent letter turned into E.
double ReferenceNumber(std::string_view text) {
    std::string s;
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n') {
            s.push_back(c);
        }
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && IsDigit(s[i]); ++i) {
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && IsDigit(s[i]); ++i) {
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    std::size_t end = i;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        const std::size_t expDigits = j;
        while (j < s.size() && IsDigit(s[j])) {
            ++j;
        }
        if (j > expDigits) {
            s[i] = 'e';
            end = j;
        }
    }
    s.resize(end);
    return std::strtod(s.c_str(), nullptr);
}

bool SameNumber(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}

void CheckTextToNumber(std::string_view text) {
    const double value = TextToNumber(text);
    FUZZ_CHECK(!std::isnan(value));
    FUZZ_CHECK(SameNumber(value, ReferenceNumber(text)));
}

// The digits of a number text from the first that is not 0 to the last that
// is not 0, without the point and the exponent: "1.25E+07" gives "125".
std::string SignificantDigits(const std::string& text) {
    std::string digits;
    for (char c : text.substr(0, text.find('E'))) {
        if (IsDigit(c) && !(c == '0' && digits.empty())) {
            digits.push_back(c);
        }
    }
    return digits.substr(0, digits.find_last_not_of('0') + 1);
}

// What printf("%.7G") prints for the float widened to double.
std::string GeneralText(float value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::general, 7);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

// A save reads a float text as a double and writes the nearest float to that.
// It may differ from the float nearest the text itself only where the double
// fell exactly halfway between two floats (a second rounding).
bool IsNearestOrDoubleRounded(const std::string& text, float back) {
    float nearest = 0.0f;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), nearest);
    FUZZ_CHECK(parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size());
    if (std::bit_cast<std::uint32_t>(back) == std::bit_cast<std::uint32_t>(nearest)) {
        return true;
    }
    const double halfway = (static_cast<double>(back) + static_cast<double>(nearest)) / 2;
    return std::nextafter(back, nearest) == nearest && TextToNumber(text) == halfway;
}

// FloatText gives at most seven significant digits, so it cannot tell every
// float apart; what it must do is read back, through TextToNumber as a save
// does, to the float nearest its own value, whose text is the same again.
void CheckFloatText(float value) {
    const std::string text = FloatText(value);
    if (!std::isfinite(value)) {
        FUZZ_CHECK(text == (std::isnan(value) ? (std::signbit(value) ? "-NAN" : "NAN")
                                              : (value < 0 ? "-INF" : "INF")));
        return;
    }
    const float back = static_cast<float>(TextToNumber(text));
    FUZZ_CHECK(IsNearestOrDoubleRounded(text, back));
    FUZZ_CHECK(FloatText(back) == text);

    // At most seven significant digits, and the general text but for the
    // float nearest a power of ten that it would give the text just below.
    const std::string digits = SignificantDigits(text);
    FUZZ_CHECK(digits.size() <= 7);
    const std::string general = GeneralText(value);
    if (text != general) {
        FUZZ_CHECK(SignificantDigits(general) == "9999999" && digits == "1");
    }

    const std::string readout = ReadoutText(value);
    FUZZ_CHECK(SameNumber(TextToNumber(readout), TextToNumber(text)) ||
               (value == 0.0f && TextToNumber(readout) == 0.0));
}

// The float a text stands for and its neighbours: texts lead the fuzzer to
// the interesting floats (powers of ten, ends of the range) far sooner than
// random bits do.
void CheckFloatsAround(float value) {
    constexpr int kNeighbours = 4;
    float below = value;
    float above = value;
    CheckFloatText(value);
    for (int i = 0; i < kNeighbours; ++i) {
        below = std::nextafter(below, -std::numeric_limits<float>::infinity());
        above = std::nextafter(above, std::numeric_limits<float>::infinity());
        CheckFloatText(below);
        CheckFloatText(above);
    }
}

void CheckIntegerText(std::int32_t value) {
    FUZZ_CHECK(TextToNumber(IntegerText(value)) == static_cast<double>(value));
}

} // namespace
} // namespace kmission

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmission;
    // A view straight onto the fuzzer's buffer, with no terminator behind it:
    // a read past the end of the text is caught.
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    CheckTextToNumber(text);
    CheckFloatsAround(static_cast<float>(TextToNumber(text)));
    if (size >= 4) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, data, 4);
        CheckFloatText(std::bit_cast<float>(bits));
        CheckIntegerText(static_cast<std::int32_t>(bits));
    }
    return 0;
}
