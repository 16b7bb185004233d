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
    float nearest = 0.0f;
    const auto parsed = std::from_chars(text.data(), text.data() + text.size(), nearest);
    FUZZ_CHECK(parsed.ec == std::errc{} && parsed.ptr == text.data() + text.size());
    FUZZ_CHECK(std::bit_cast<std::uint32_t>(back) == std::bit_cast<std::uint32_t>(nearest));
    FUZZ_CHECK(FloatText(back) == text);

    // At most seven significant digits: from the first digit that is not 0 to
    // the last one that is not 0, in the part before the exponent.
    const std::string mantissa = text.substr(0, text.find('E'));
    const auto first = mantissa.find_first_of("123456789");
    if (first != std::string::npos) {
        const auto last = mantissa.find_last_of("123456789");
        std::size_t significant = 0;
        for (std::size_t i = first; i <= last; ++i) {
            significant += IsDigit(mantissa[i]) ? 1 : 0;
        }
        FUZZ_CHECK(significant <= 7);
    }

    const std::string readout = ReadoutText(value);
    FUZZ_CHECK(SameNumber(TextToNumber(readout), TextToNumber(text)) ||
               (value == 0.0f && TextToNumber(readout) == 0.0));
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
    CheckTextToNumber(std::string_view(reinterpret_cast<const char*>(data), size));
    if (size >= 4) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, data, 4);
        CheckFloatText(std::bit_cast<float>(bits));
        CheckIntegerText(static_cast<std::int32_t>(bits));
    }
    return 0;
}
