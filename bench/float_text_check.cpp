// A one-off check, run by hand and not a test: the float texts, the number
// reader and the float a text is saved as, of the game data library, against
// the implementations they replaced, kept here and nowhere else, for every one
// of the 2^32 float bit patterns.
//   kmission_float_text_check [THREADS]
// Prints its progress and every difference; exits 1 when there is one.

#include "text.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace replaced {

using kmission::IntegerText;

namespace {

bool IsIgnoredInNumber(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number too large or too small for a double: infinity or zero by the
// position of its first significant digit.
double OutOfRange(std::string_view mantissa, long long exponent, bool negative) {
    long long magnitude = 0; // decimal exponent of the first significant digit, roughly
    const auto point = mantissa.find('.');
    const auto intPart = mantissa.substr(0, point);
    const auto firstNonZero = intPart.find_first_not_of('0');
    if (firstNonZero != std::string_view::npos) {
        magnitude = static_cast<long long>(intPart.size() - firstNonZero);
    } else if (point != std::string_view::npos) {
        const auto fraction = mantissa.substr(point + 1);
        const auto nz = fraction.find_first_not_of('0');
        magnitude = nz == std::string_view::npos ? -1000000 : -static_cast<long long>(nz);
    }
    const double result = magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    return negative ? -result : result;
}

// TextToNumber of a text without blanks, tabs and line feeds whose number has
// no exponent part: the digits are handed to from_chars where they stand.
// Nothing when the text needs the general reader.
std::optional<double> PlainNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    for (std::size_t j = i; j < text.size(); ++j) {
        const char c = text[j];
        if (IsIgnoredInNumber(c) || (j == i && (c == 'E' || c == 'e' || c == 'D' || c == 'd'))) {
            return std::nullopt;
        }
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + mantissaStart, text.data() + i, value);
    (void)end;
    if (ec != std::errc{}) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

} // namespace

double TextToNumber(std::string_view text) {
    if (const auto plain = PlainNumber(text)) {
        return *plain;
    }
    std::string s;
    s.reserve(text.size());
    for (char c : text) {
        if (!IsIgnoredInNumber(c)) {
            s.push_back(c);
        }
    }
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0) {
        return 0.0;
    }
    const std::string_view mantissa(s.data() + mantissaStart, i - mantissaStart);
    long long exponent = 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        std::size_t j = i + 1;
        bool expNegative = false;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            expNegative = s[j] == '-';
            ++j;
        }
        const std::size_t expDigitsStart = j;
        while (j < s.size() && IsDigit(s[j])) {
            if (exponent < 100000000) {
                exponent = exponent * 10 + (s[j] - '0');
            }
            ++j;
        }
        if (j > expDigitsStart) {
            exponent = expNegative ? -exponent : exponent;
        }
    }
    std::string number(mantissa);
    if (exponent != 0) {
        number += 'e';
        number += std::to_string(exponent);
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    (void)end;
    if (ec == std::errc::result_out_of_range) {
        return OutOfRange(mantissa, exponent, negative);
    }
    return negative ? -value : value;
}

namespace {

constexpr int kSignificantDigits = 7;
constexpr std::uint32_t kDigitsLow = 1000000;   // 10^6
constexpr std::uint32_t kDigitsHigh = 10000000; // 10^7

constexpr std::array<std::uint64_t, 12> kPowersOfTen = [] {
    std::array<std::uint64_t, 12> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}();

// A float rounded to seven significant digits: digits * 10^(exponent - 6),
// digits in 10^6 ... 10^7 - 1.
struct SevenDigits {
    std::uint32_t digits = 0;
    int exponent = 0;
};

// Rounds |value| (finite, not zero) to seven significant digits the way the
// general format does: to nearest, ties to even, on the float's exact binary
// value. Exact 64-bit integer arithmetic covers the magnitudes of about
// 2E-5 to 1E+13 that mission values have; nothing outside them.
std::optional<SevenDigits> RoundToSevenDigits(float value) {
    // |value| = mantissa * 2^shift exactly, from the bits of a normal float;
    // subnormal magnitudes lie far below what is covered here.
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 23) & 0xFF);
    if (biasedExponent == 0) {
        return std::nullopt;
    }
    const std::uint64_t mantissa = (bits & 0x7FFFFFu) | 0x800000u;
    const int shift = biasedExponent - 150;
    if (shift > 39 || shift < -40) {
        return std::nullopt;
    }
    // |value| lies in [2^(e - 127), 2^(e - 126)), so floor((e - 127) * log10 2)
    // is the decimal exponent or one too small; the loop steps up when the
    // digits say so. 78913 / 2^18 is log10 2 closely enough for every float.
    int exponent = ((biasedExponent - 127) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        // Both sides stay below 2^63: 2^24 * 2^39, 2^40 * 10^6, 2^24 * 10^11.
        const int scale = exponent - (kSignificantDigits - 1);
        if (scale > 6 || scale < -11 || (shift >= 0 && scale < 0)) {
            return std::nullopt;
        }
        std::uint64_t numerator = mantissa;
        std::uint64_t denominator = 1;
        if (shift >= 0) {
            numerator <<= shift;
        } else {
            denominator <<= -shift;
        }
        if (scale >= 0) {
            denominator *= kPowersOfTen[static_cast<std::size_t>(scale)];
        } else {
            numerator *= kPowersOfTen[static_cast<std::size_t>(-scale)];
        }
        std::uint64_t quotient = numerator / denominator;
        const std::uint64_t remainder = numerator % denominator;
        const std::uint64_t rest = denominator - remainder;
        if (remainder > rest || (remainder == rest && (quotient & 1) != 0)) {
            ++quotient;
        }
        if (quotient >= kDigitsHigh) {
            ++exponent;
        } else if (quotient < kDigitsLow) {
            --exponent;
        } else {
            return SevenDigits{static_cast<std::uint32_t>(quotient), exponent};
        }
    }
    return std::nullopt;
}

// The general form of the rounded digits: plain notation for exponents -4 to
// 6, otherwise mantissa, E, sign and at least two exponent digits; trailing
// zeros and a bare point dropped.
std::string GeneralText(bool negative, SevenDigits rounded) {
    char digits[kSignificantDigits];
    std::uint32_t rest = rounded.digits;
    for (int i = kSignificantDigits - 1; i >= 0; --i) {
        digits[i] = static_cast<char>('0' + rest % 10);
        rest /= 10;
    }
    int kept = kSignificantDigits;
    while (kept > 1 && digits[kept - 1] == '0') {
        --kept;
    }
    const int exponent = rounded.exponent;
    // At most "-1.234567E-05" or "-0.0001234567": the exponents covered have
    // two digits, and the text fits the string's own buffer.
    char buffer[16];
    char* out = buffer;
    const auto copy = [&out](const char* from, int count) {
        std::memcpy(out, from, static_cast<std::size_t>(count));
        out += count;
    };
    if (negative) {
        *out++ = '-';
    }
    if (exponent >= -4 && exponent < kSignificantDigits) {
        if (exponent >= 0) {
            copy(digits, exponent + 1);
            if (kept > exponent + 1) {
                *out++ = '.';
                copy(digits + exponent + 1, kept - exponent - 1);
            }
        } else {
            *out++ = '0';
            *out++ = '.';
            for (int zeros = -exponent - 1; zeros > 0; --zeros) {
                *out++ = '0';
            }
            copy(digits, kept);
        }
        return std::string(buffer, out);
    }
    *out++ = digits[0];
    if (kept > 1) {
        *out++ = '.';
        copy(digits + 1, kept - 1);
    }
    const int magnitude = exponent < 0 ? -exponent : exponent;
    *out++ = 'E';
    *out++ = exponent < 0 ? '-' : '+';
    *out++ = static_cast<char>('0' + magnitude / 10);
    *out++ = static_cast<char>('0' + magnitude % 10);
    return std::string(buffer, out);
}

// Node texts of every float of a mission pass through here on each open, so
// the common case is computed directly; the library's general formatter,
// which gives the same text, serves the rest.
std::string SevenDigitText(float value) {
    if (std::isfinite(value) && value != 0.0f) {
        if (const auto rounded = RoundToSevenDigits(value)) {
            return GeneralText(std::signbit(value), *rounded);
        }
    }
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                      std::chars_format::general, 7);
    std::string text(buffer, result.ptr);
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// Whether the significant digits of a seven-digit text are 9999999.
bool IsLargestOfItsDecade(std::string_view text) {
    const std::string_view mantissa = text.substr(0, text.find('E'));
    int nines = 0;
    for (char c : mantissa) {
        if (c == '9') {
            ++nines;
        } else if (c != '-' && c != '.' && !(c == '0' && nines == 0)) {
            return false;
        }
    }
    return nines == kSignificantDigits;
}

// The general text of 10^exponent: "0.001", "1000000", "1E+07", "1E-38".
std::string PowerOfTenText(int exponent, bool negative) {
    std::string text = negative ? "-" : "";
    if (exponent >= 0 && exponent < kSignificantDigits) {
        return text.append("1").append(static_cast<std::size_t>(exponent), '0');
    }
    if (exponent < 0 && exponent >= -4) {
        return text.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append("1");
    }
    const int magnitude = exponent < 0 ? -exponent : exponent;
    text.append(exponent < 0 ? "1E-" : "1E+");
    if (magnitude < 10) {
        text.push_back('0');
    }
    return text.append(std::to_string(magnitude));
}

} // namespace

// Seven digits cannot tell every float apart. Where the decimal steps change
// size, at a power of ten, the float nearest the power may round to the text
// just below it ("9.999999E+27" for the float nearest 1E+28) while floats a
// little above it round to the power, whose text reads back as that nearest
// float: saved and opened again, their text would change. The float nearest a
// power of ten therefore takes the power as its text.
std::string FloatText(float value) {
    const std::string text = SevenDigitText(value);
    if (std::isfinite(value) && IsLargestOfItsDecade(text)) {
        const double magnitude = std::fabs(static_cast<double>(value));
        const auto exponent = static_cast<int>(std::floor(std::log10(magnitude))) + 1;
        const std::string powerText = PowerOfTenText(exponent, std::signbit(value));
        if (static_cast<float>(TextToNumber(powerText)) == value) {
            return powerText;
        }
    }
    return text;
}

// The float a float node's text was saved as.
bool FloatOfText(std::string_view text, float& value) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    if (text == "INF" || text == "-INF") {
        value = text == "INF" ? inf : -inf;
        return true;
    }
    if (text == "NAN" || text == "-NAN") {
        value = text == "NAN" ? nan : -nan;
        return true;
    }
    value = static_cast<float>(TextToNumber(text));
    return std::isfinite(value);
}

} // namespace replaced

namespace {

std::mutex printing;
std::atomic<std::uint64_t> differences{0};

void Report(std::uint32_t bits, const char* what, const std::string& detail) {
    const std::lock_guard lock(printing);
    if (differences++ < 100) {
        std::printf("difference at 0x%08X (%s): %s\n", bits, what, detail.c_str());
        std::fflush(stdout);
    }
}

// The texts a float's number is read from: its seven-digit text, and nine
// and four significant digits in exponent form in both letter cases.
std::vector<std::string> Texts(float value, const std::string& sevenDigits) {
    std::vector<std::string> texts{sevenDigits};
    char buffer[64];
    const auto nine =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 8);
    std::string upper(buffer, nine.ptr);
    for (char& c : upper) {
        c = c == 'e' ? 'E' : c;
    }
    texts.push_back(upper);
    const auto four =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 3);
    texts.emplace_back(buffer, four.ptr);
    return texts;
}

void Check(std::uint64_t first, std::uint64_t last) {
    for (std::uint64_t pattern = first; pattern < last; ++pattern) {
        const auto bits = static_cast<std::uint32_t>(pattern);
        const auto value = std::bit_cast<float>(bits);
        const std::string before = replaced::FloatText(value);
        const std::string now = kmission::FloatText(value);
        if (before != now) {
            Report(bits, "FloatText", before + " became " + now);
        }
        kmission::FloatTextBuffer buffer;
        if (const std::string_view read = kmission::FloatText(value, buffer); read != now) {
            Report(bits, "FloatText into a buffer", now + " became " + std::string(read));
        }
        for (const std::string& text : Texts(value, before)) {
            const double read = kmission::TextToNumber(text);
            const double expected = replaced::TextToNumber(text);
            if (std::bit_cast<std::uint64_t>(read) != std::bit_cast<std::uint64_t>(expected)) {
                Report(bits, "TextToNumber", text);
            }
            float saved = 0.0f;
            float expectedSaved = 0.0f;
            if (kmission::FloatOfText(text, saved) != replaced::FloatOfText(text, expectedSaved) ||
                std::bit_cast<std::uint32_t>(saved) !=
                    std::bit_cast<std::uint32_t>(expectedSaved)) {
                Report(bits, "FloatOfText", text);
            }
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    const unsigned threads = argc > 1 ? static_cast<unsigned>(std::atoi(argv[1])) : 2;
    constexpr std::uint64_t kPatterns = std::uint64_t{1} << 32;
    constexpr std::uint64_t kSlice = std::uint64_t{1} << 24;
    std::atomic<std::uint64_t> next{0};
    std::atomic<std::uint64_t> done{0};
    std::vector<std::thread> workers;
    for (unsigned t = 0; t < std::max(threads, 1u); ++t) {
        workers.emplace_back([&] {
            for (std::uint64_t slice = next.fetch_add(kSlice); slice < kPatterns;
                 slice = next.fetch_add(kSlice)) {
                Check(slice, slice + kSlice);
                const std::uint64_t finished = done.fetch_add(kSlice) + kSlice;
                const std::lock_guard lock(printing);
                std::printf(
                    "checked %llu of 2^32 patterns (slice from 0x%08llX), %llu differences\n",
                    static_cast<unsigned long long>(finished),
                    static_cast<unsigned long long>(slice),
                    static_cast<unsigned long long>(differences.load()));
                std::fflush(stdout);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    std::printf("all 2^32 patterns checked: %llu differences\n",
                static_cast<unsigned long long>(differences.load()));
    return differences.load() == 0 ? 0 : 1;
}
