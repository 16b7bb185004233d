#include "text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace kmission {

// A word at a time: every string of a mission is looked at on each open. A
// word's byte below 0x20 with its top bit clear borrows into that top bit
// when 0x20 is taken from each byte; the first such byte always does, so the
// test is exact for the word as a whole. Short texts are read as two words
// that overlap.
template <typename Word> bool WordHoldsControlByte(const char* at) {
    constexpr Word kEachByte = static_cast<Word>(0x0101010101010101ull);
    constexpr Word kTopBits = static_cast<Word>(0x8080808080808080ull);
    Word word;
    std::memcpy(&word, at, sizeof word);
    return ((word - kEachByte * 0x20) & ~word & kTopBits) != 0;
}

bool HoldsControlByte(std::string_view text) {
    const char* const at = text.data();
    const std::size_t size = text.size();
    if (size >= 8) {
        for (std::size_t i = 0; i + 8 < size; i += 8) {
            if (WordHoldsControlByte<std::uint64_t>(at + i)) {
                return true;
            }
        }
        return WordHoldsControlByte<std::uint64_t>(at + size - 8);
    }
    if (size >= 4) {
        return WordHoldsControlByte<std::uint32_t>(at) ||
               WordHoldsControlByte<std::uint32_t>(at + size - 4);
    }
    const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20; };
    return size > 0 && (control(at[0]) || control(at[size / 2]) || control(at[size - 1]));
}

std::string_view CleanTextView(std::string_view text, std::string& storage) {
    const auto trimmed = [](std::string_view kept) {
        const auto first = kept.find_first_not_of(' ');
        if (first == std::string_view::npos) {
            return std::string_view{};
        }
        return kept.substr(first, kept.find_last_not_of(' ') - first + 1);
    };
    // Most texts hold no control byte: then only the outer spaces go.
    if (!HoldsControlByte(text)) {
        return trimmed(text);
    }
    storage.clear();
    storage.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20) {
            storage.push_back(c);
        }
    }
    return trimmed(storage);
}

std::string CleanText(std::string_view text) {
    std::string storage;
    return std::string(CleanTextView(text, storage));
}

std::string PadText(std::string_view text, std::size_t width) {
    std::string padded(text.substr(0, std::min(width, text.size())));
    padded.resize(width, ' ');
    return padded;
}

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

// 10^0 ... 10^(Count - 1), each computed exactly when the type holds it.
template <typename Number, std::size_t Count> constexpr std::array<Number, Count> PowersOfTen() {
    std::array<Number, Count> powers{};
    Number power = 1;
    for (Number& p : powers) {
        p = power;
        power *= 10;
    }
    return powers;
}

// Powers of ten that a double holds exactly: 10^0 ... 10^22; and a float:
// 10^0 ... 10^10.
constexpr auto kExactPowersOfTen = PowersOfTen<double, 23>();
constexpr auto kExactFloatPowersOfTen = PowersOfTen<float, 11>();

// Decimal digits that a double holds exactly (10^15 < 2^53).
constexpr std::size_t kExactDecimalDigits = 15;

// TextToNumber of a text without blanks, tabs and line feeds whose number has
// no exponent part or one of "E" or "e", an optional sign and one to three
// digits: computed directly when that is exact, else the characters are
// handed to from_chars where they stand. Nothing when the text needs the
// general reader.
std::optional<double> PlainNumber(std::string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t mantissaStart = i;
    std::size_t digits = 0;
    std::size_t fractionDigits = 0;
    std::uint64_t mantissa = 0; // of every digit; used only when there are few
    while (i < text.size() && IsDigit(text[i])) {
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[i] - '0');
        ++i;
        ++digits;
    }
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && IsDigit(text[i])) {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[i] - '0');
            ++i;
            ++digits;
            ++fractionDigits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    int exponent = 0;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        std::size_t j = i + 1;
        const bool negativeExponent = j < text.size() && text[j] == '-';
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        const std::size_t exponentStart = j;
        while (j < text.size() && IsDigit(text[j])) {
            if (j - exponentStart < 3) { // longer exponents go to the general reader
                exponent = exponent * 10 + (text[j] - '0');
            }
            ++j;
        }
        if (j == exponentStart || j - exponentStart > 3) {
            return std::nullopt;
        }
        exponent = negativeExponent ? -exponent : exponent;
        i = j;
    }
    for (std::size_t j = i; j < text.size(); ++j) {
        const char c = text[j];
        if (IsIgnoredInNumber(c) || (j == i && (c == 'E' || c == 'e' || c == 'D' || c == 'd'))) {
            return std::nullopt;
        }
    }
    // Up to 15 digits and a power of ten of at most 22 steps: the digits and
    // the power are both exact doubles, so their quotient or product is the
    // correctly rounded value, as from_chars gives it.
    const int steps = static_cast<int>(fractionDigits) - exponent;
    if (digits <= kExactDecimalDigits && steps > -static_cast<int>(kExactPowersOfTen.size()) &&
        steps < static_cast<int>(kExactPowersOfTen.size())) {
        const auto whole = static_cast<double>(mantissa);
        const double value = steps >= 0
                                 ? whole / kExactPowersOfTen[static_cast<std::size_t>(steps)]
                                 : whole * kExactPowersOfTen[static_cast<std::size_t>(-steps)];
        return negative ? -value : value;
    }
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + mantissaStart, text.data() + i, value);
    if (ec != std::errc{} || end != text.data() + i) {
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

// float(TextToNumber(text)) of the texts FloatText gives most floats: an
// optional minus, digits with at most one point, and an optional exponent of
// "E", a sign and two digits; digits worth less than 2^24 and a power of ten
// of at most 10 steps. Both are exact floats, so their quotient or product is
// the correctly rounded float. Rounding the exact value to a double first, as
// TextToNumber does, cannot change that: such a value is either exactly
// halfway between two floats or further from halfway than a double's
// precision. False for any other text.
bool ShortFloatOfText(std::string_view text, float& value) {
    const char* at = text.data();
    const char* const end = at + text.size();
    const bool negative = at != end && *at == '-';
    at += negative ? 1 : 0;
    // Leading zeros do not count; a ninth significant digit stops the
    // reading, and the text is then left to the general path.
    constexpr std::uint32_t kMostDigits = 100000000;
    std::uint32_t digits = 0;
    int count = 0;
    int fractionDigits = 0;
    for (; at != end && IsDigit(*at) && digits < kMostDigits; ++at, ++count) {
        digits = digits * 10 + static_cast<std::uint32_t>(*at - '0');
    }
    if (at != end && *at == '.') {
        ++at;
        for (; at != end && IsDigit(*at) && digits < kMostDigits; ++at, ++count) {
            digits = digits * 10 + static_cast<std::uint32_t>(*at - '0');
            ++fractionDigits;
        }
    }
    if (count == 0 || digits >= (1u << 24)) {
        return false;
    }
    int exponent = 0;
    if (at != end) {
        if (end - at != 4 || *at != 'E' || (at[1] != '+' && at[1] != '-') || !IsDigit(at[2]) ||
            !IsDigit(at[3])) {
            return false;
        }
        exponent = (at[2] - '0') * 10 + (at[3] - '0');
        exponent = at[1] == '-' ? -exponent : exponent;
    }
    const int steps = fractionDigits - exponent;
    if (steps <= -static_cast<int>(kExactFloatPowersOfTen.size()) ||
        steps >= static_cast<int>(kExactFloatPowersOfTen.size())) {
        return false;
    }
    const auto whole = static_cast<float>(digits);
    const float magnitude = steps >= 0
                                ? whole / kExactFloatPowersOfTen[static_cast<std::size_t>(steps)]
                                : whole * kExactFloatPowersOfTen[static_cast<std::size_t>(-steps)];
    value = negative ? -magnitude : magnitude;
    return true;
}

} // namespace

bool FloatOfText(std::string_view text, float& value) {
    if (ShortFloatOfText(text, value)) {
        return true;
    }
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

double RoundHalfEven(double value) {
    return std::nearbyint(value);
}

std::int16_t ToInt16(double value) {
    if (std::isnan(value)) {
        return 0;
    }
    const double rounded = RoundHalfEven(value);
    return static_cast<std::int16_t>(std::clamp(rounded, -32768.0, 32767.0));
}

namespace {

constexpr int kSignificantDigits = 7;
constexpr std::uint32_t kDigitsLow = 1000000;   // 10^6
constexpr std::uint32_t kDigitsHigh = 10000000; // 10^7

// A float rounded to seven significant digits: digits * 10^(exponent - 6),
// digits in 10^6 ... 10^7 - 1; digits 0 when the rounding was left undone.
// (Not an optional: its flag byte, stored and read back as part of a word,
// stalled every call.)
struct SevenDigits {
    std::uint32_t digits = 0;
    int exponent = 0;
    bool done() const { return digits != 0; }
};

// Rounds |value| (finite, not zero) to seven significant digits the way the
// general format does: to nearest, ties to even, on the float's exact binary
// value. |value| * 10^(6 - exponent) is computed in double with one rounding,
// off by at most 2^-29 below 10^7; whenever that could cross a halfway point
// (a tie, or a value within 2^-28 of one) the rounding is left undone and the caller
// asks the exact formatter. Covers the magnitudes of about 1E-16 to 1E+29.
SevenDigits RoundToSevenDigits(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    const int biasedExponent = static_cast<int>((bits >> 23) & 0xFF);
    if (biasedExponent == 0) {
        return {};
    }
    const double magnitude = std::fabs(static_cast<double>(value));
    // |value| lies in [2^(e - 127), 2^(e - 126)), so floor((e - 127) * log10 2)
    // is the decimal exponent or one too small; the loop steps up when the
    // digits say so. 78913 / 2^18 is log10 2 closely enough for every float.
    int exponent = ((biasedExponent - 127) * 78913) >> 18;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int scale = (kSignificantDigits - 1) - exponent;
        const int steps = scale < 0 ? -scale : scale;
        if (steps >= static_cast<int>(kExactPowersOfTen.size())) {
            return {};
        }
        const double power = kExactPowersOfTen[static_cast<std::size_t>(steps)];
        const double scaled = scale >= 0 ? magnitude * power : magnitude / power;
        if (scaled >= kDigitsHigh) {
            ++exponent;
            continue;
        }
        // Positive and below 10^7: truncating is flooring, without the
        // library's floor, which this processor baseline has no instruction for.
        const auto whole = static_cast<std::uint32_t>(static_cast<std::int32_t>(scaled));
        const double fraction = scaled - static_cast<double>(static_cast<std::int32_t>(whole));
        if (std::fabs(fraction - 0.5) <= 0x1p-28) {
            return {};
        }
        const std::uint32_t quotient = whole + (fraction > 0.5 ? 1 : 0);
        if (quotient >= kDigitsHigh) {
            ++exponent;
        } else if (quotient < kDigitsLow) {
            --exponent;
        } else {
            return SevenDigits{quotient, exponent};
        }
    }
    return {};
}

// "00" ... "99": digits are written two at a time, so that the seven of a
// float take three short chains of multiplications instead of one long one.
constexpr std::array<char, 200> kDigitPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t i = 0; i < 100; ++i) {
        pairs[2 * i] = static_cast<char>('0' + i / 10);
        pairs[2 * i + 1] = static_cast<char>('0' + i % 10);
    }
    return pairs;
}();

void PutPair(char* out, std::uint32_t pair) {
    std::memcpy(out, kDigitPairs.data() + 2 * pair, 2);
}

// Copies 8 bytes: the texts below are put together from whole words, each
// written past what it needs and overwritten by the next, instead of copies
// of a length known only at run time.
void PutWord(char* out, const char* from) {
    std::memcpy(out, from, 8);
}

// The general form of the rounded digits, written at `out`, which has room
// for 24 bytes: plain notation for exponents -4 to 6, otherwise mantissa, E,
// sign and at least two exponent digits; trailing zeros and a bare point
// dropped. At most "-1.234567E-05" or "-0.0001234567", 13 characters.
// Returns the end.
char* GeneralText(bool negative, SevenDigits rounded, char* out) {
    // The seven digits, then zeros, so that a word read from any digit on
    // holds only digits and zeros.
    char digits[16];
    std::memset(digits, '0', sizeof digits);
    const std::uint32_t high = rounded.digits / 10000; // 100 ... 999
    const std::uint32_t low = rounded.digits % 10000;
    digits[0] = static_cast<char>('0' + high / 100);
    PutPair(digits + 1, high % 100);
    PutPair(digits + 3, low / 100);
    PutPair(digits + 5, low % 100);
    // The digits kept: up to the last that is not '0'. Each byte of `others`
    // is zero where its digit is '0'; the first digit never is.
    std::uint64_t word;
    std::memcpy(&word, digits, 8);
    const std::uint64_t others = word ^ 0x3030303030303030ull;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
    const std::uint64_t nonZero = (((others & kLow7) + kLow7) | others) & ~kLow7;
    const int kept = (63 - std::countl_zero(nonZero)) / 8 + 1;

    *out = '-';
    out += negative ? 1 : 0;
    const int exponent = rounded.exponent;
    if (exponent >= 0 && exponent < kSignificantDigits) {
        PutWord(out, digits);
        out += exponent + 1;
        if (kept > exponent + 1) {
            *out = '.';
            PutWord(out + 1, digits + exponent + 1);
            out += kept - exponent;
        }
        return out;
    }
    if (exponent < 0 && exponent >= -4) {
        PutWord(out, "0.000000");
        out += 1 - exponent; // "0." and -exponent - 1 zeros
        PutWord(out, digits);
        return out + kept;
    }
    out[0] = digits[0];
    out[1] = '.';
    PutWord(out + 2, digits + 1);
    out += kept > 1 ? kept + 1 : 1;
    const int magnitude = exponent < 0 ? -exponent : exponent;
    out[0] = 'E';
    out[1] = exponent < 0 ? '-' : '+';
    PutPair(out + 2, static_cast<std::uint32_t>(magnitude));
    return out + 4;
}

std::string GeneralText(bool negative, SevenDigits rounded) {
    char buffer[24];
    return std::string(buffer, GeneralText(negative, rounded, buffer));
}

// Node texts of every float of a mission pass through here on each open, so
// the common case is computed directly; the library's general formatter,
// which gives the same text, serves the rest.
std::string SevenDigitText(float value) {
    if (std::isfinite(value) && value != 0.0f) {
        if (const SevenDigits rounded = RoundToSevenDigits(value); rounded.done()) {
            return GeneralText(std::signbit(value), rounded);
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

// Seven digits cannot tell every float apart. Where the decimal steps change
// size, at a power of ten, the float nearest the power may round to the text
// just below it ("9.999999E+27" for the float nearest 1E+28) while floats a
// little above it round to the power, whose text reads back as that nearest
// float: saved and opened again, their text would change. The float nearest a
// power of ten therefore takes the power as its text.
//
// This is FloatText of the floats the direct rounding leaves: zero,
// non-finite, subnormal or extreme values, near-halfway cases, and digits
// 9999999.
std::string RareFloatText(float value) {
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

} // namespace

std::string_view FloatText(float value, FloatTextBuffer& buffer) {
    if (std::isfinite(value) && value != 0.0f) {
        const SevenDigits rounded = RoundToSevenDigits(value);
        if (rounded.done() && rounded.digits != kDigitsHigh - 1) {
            char* const end = GeneralText(std::signbit(value), rounded, buffer.data());
            return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
        }
    }
    const std::string text = RareFloatText(value);
    const std::size_t size = std::min(text.size(), buffer.size());
    std::memcpy(buffer.data(), text.data(), size);
    return {buffer.data(), size};
}

std::string FloatText(float value) {
    FloatTextBuffer buffer;
    return std::string(FloatText(value, buffer));
}

std::string ReadoutText(float value) {
    if (value == 0.0f) {
        return " 0";
    }
    const std::string text = FloatText(value);
    if (text.starts_with("-0.")) {
        return std::string("-").append(text, 2);
    }
    if (text.starts_with('-')) {
        return text;
    }
    if (text.starts_with("0.")) {
        return std::string(" ").append(text, 1);
    }
    return std::string(" ").append(text);
}

std::string IntegerText(std::int64_t value) {
    return std::to_string(value);
}

std::string ToUpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return out;
}

std::string ToLowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.starts_with(prefix);
}

} // namespace kmission
