#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kmission {

// Keeps the bytes at or above 0x20 in order, then trims leading and trailing
// spaces (0x20 only). Bytes from 0x80 up are characters of the code page and
// are kept. Fixed-width names padded with spaces or NULs come out bare.
std::string CleanText(std::string_view text);

// CleanText without a copy where none is needed: a view of `text` itself when
// it holds no control byte, else of the cleaned text kept in `storage`.
std::string_view CleanTextView(std::string_view text, std::string& storage);

// Whether `text` holds a byte below 0x20, which CleanText drops.
bool HoldsControlByte(std::string_view text);

// `text` cut to `width` bytes or padded with spaces to it.
std::string PadText(std::string_view text, std::size_t width);

// The number at the start of a text: blanks, tabs and line feeds anywhere are
// ignored; the longest leading part of the form [sign] digits [. digits]
// [E|D [sign] digits] is read ("." is the decimal point, whatever the locale);
// a text without such a part gives 0. Magnitudes beyond double give ±infinity.
double TextToNumber(std::string_view text);

// The float32 a float node's text is saved as: float(TextToNumber(text)), or
// the non-finite float of "INF", "-INF", "NAN" and "-NAN". False when the
// text's number is beyond float32.
bool FloatOfText(std::string_view text, float& value);

// Nearest integer, halves to the even neighbour (the one rounding rule used
// everywhere).
double RoundHalfEven(double value);

// Nearest int16 (halves to even), clamped to the int16 range; NaN gives 0.
std::int16_t ToInt16(double value);

// The general decimal text of a float: what printf("%.7G") prints for the float
// widened to double, independent of the process locale: "0.1", "1.234568E+07",
// "1E-07", "0", "-2.5". Non-finite values give "INF", "-INF", "NAN" or "-NAN".
// A float nearest a power of ten that this would give the text just below the
// power gets the power instead ("1E+28", not "9.999999E+27"), so that every
// text reads back to a float of the same text.
std::string FloatText(float value);

// FloatText written into a buffer it always fits, for the reader, which makes
// the text of every float of a mission: the view is of the buffer.
using FloatTextBuffer = std::array<char, 24>;
std::string_view FloatText(float value, FloatTextBuffer& buffer);

// The pointer readout text: FloatText with a leading blank for values that are
// not negative and no zero before the decimal point: " 12.5", "-.25", " .5", " 0".
std::string ReadoutText(float value);

// Decimal text of an integer: minus sign for negatives, no leading zeros.
std::string IntegerText(std::int64_t value);

// ASCII upper and lower case; bytes from 0x80 up are left as they are.
std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);

bool StartsWith(std::string_view text, std::string_view prefix);

} // namespace kmission
