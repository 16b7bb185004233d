#include "text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace kmission {

std::string CleanText(std::string_view text) {
    std::string kept;
    kept.reserve(text.size());
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x20) {
            kept.push_back(c);
        }
    }
    const auto first = kept.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    const auto last = kept.find_last_not_of(' ');
    return kept.substr(first, last - first + 1);
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

} // namespace

double TextToNumber(std::string_view text) {
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

std::string FloatText(float value) {
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
