#include "wine_registry.h"

#include "codepage.h"
#include "text.h"

namespace kmission::platform {

namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;

// Lower case of windows-1252 text, as the registry compares names: ASCII
// letters and the accented letters of the code page.
std::string FoldCase(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        const auto u = static_cast<unsigned char>(c);
        if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) {
            c = static_cast<char>(u + 0x20);
        } else if (u == 0x8A || u == 0x8C || u == 0x8E) {
            c = static_cast<char>(u + 0x10);
        } else if (u == 0x9F) {
            c = static_cast<char>(0xFF);
        }
    }
    return folded;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && FoldCase(a) == FoldCase(b);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Collects UTF-8: raw bytes of the file (which Wine writes as UTF-8) pass
// through, escaped UTF-16 code units are encoded, pairing surrogates that
// arrive as two escapes. A lone surrogate becomes U+FFFD.
class Utf8Builder {
public:
    void raw(char byte) {
        flushHigh();
        out_.push_back(byte);
    }

    void unit(char16_t u) {
        if (u >= 0xD800 && u <= 0xDBFF) {
            flushHigh();
            high_ = u;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            if (high_ == 0) {
                encode(0xFFFD);
                return;
            }
            const char32_t cp = 0x10000 + ((char32_t{high_} - 0xD800) << 10) + (u - 0xDC00);
            high_ = 0;
            encode(cp);
            return;
        }
        flushHigh();
        encode(u);
    }

    std::string finish() {
        flushHigh();
        return std::move(out_);
    }

private:
    void flushHigh() {
        if (high_ != 0) {
            high_ = 0;
            encode(0xFFFD);
        }
    }

    void encode(char32_t cp) {
        if (cp < 0x80) {
            out_.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out_.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out_.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out_.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out_.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out_.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out_.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }

    std::string out_;
    char16_t high_ = 0;
};

// Reads an escaped text from `pos` up to the unescaped `terminator`, leaving
// `pos` just after it. The result is UTF-8. Nothing when the text is not
// closed on this line.
std::optional<std::string> ReadEscapedUtf8(std::string_view line, std::size_t& pos,
                                           char terminator) {
    Utf8Builder text;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == terminator) {
            return text.finish();
        }
        if (c != '\\') {
            text.raw(c);
            continue;
        }
        if (pos >= line.size()) {
            return std::nullopt;
        }
        const char e = line[pos++];
        switch (e) {
        case 'a':
            text.unit(u'\a');
            break;
        case 'b':
            text.unit(u'\b');
            break;
        case 'e':
            text.unit(0x1B);
            break;
        case 'f':
            text.unit(u'\f');
            break;
        case 'n':
            text.unit(u'\n');
            break;
        case 'r':
            text.unit(u'\r');
            break;
        case 't':
            text.unit(u'\t');
            break;
        case 'v':
            text.unit(u'\v');
            break;
        case 'x': {
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && HexDigit(line[pos]) >= 0) {
                value = value * 16 + static_cast<unsigned>(HexDigit(line[pos++]));
                ++digits;
            }
            if (digits == 0) {
                text.raw('x');
            } else {
                text.unit(static_cast<char16_t>(value));
            }
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned value = static_cast<unsigned>(e - '0');
                for (int digits = 1;
                     digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7';
                     ++digits) {
                    value = value * 8 + static_cast<unsigned>(line[pos++] - '0');
                }
                text.unit(static_cast<char16_t>(value));
            } else {
                text.raw(e);
            }
        }
    }
    return std::nullopt;
}

// Comma-separated two-digit hex bytes, blanks allowed around them.
std::optional<std::string> ParseHexBytes(std::string_view text) {
    std::string bytes;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
            ++pos;
        }
    };
    skipBlanks();
    if (pos == text.size()) {
        return bytes;
    }
    while (true) {
        skipBlanks();
        if (pos + 1 >= text.size() || HexDigit(text[pos]) < 0 || HexDigit(text[pos + 1]) < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(HexDigit(text[pos]) * 16 + HexDigit(text[pos + 1])));
        pos += 2;
        skipBlanks();
        if (pos == text.size()) {
            return bytes;
        }
        if (text[pos] != ',') {
            return std::nullopt;
        }
        ++pos;
        skipBlanks();
        if (pos == text.size()) {
            return bytes;
        }
    }
}

// As ReadEscapedUtf8, in windows-1252 as the ANSI calls give names and texts.
std::optional<std::string> ReadEscaped(std::string_view line, std::size_t& pos, char terminator) {
    const auto text = ReadEscapedUtf8(line, pos, terminator);
    return text ? std::optional(Utf8ToCp1252(*text)) : std::nullopt;
}

// Text given as hex bytes is UTF-16, least significant byte first, zero units
// included.
std::string Utf16BytesToUtf8(std::string_view bytes) {
    Utf8Builder text;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[i]);
        const auto hi = static_cast<unsigned char>(bytes[i + 1]);
        text.unit(static_cast<char16_t>(lo | hi << 8));
    }
    return text.finish();
}

// The text, with its terminating zero, in both forms: as the ANSI call hands
// it over, and as it is without the zero.
void SetText(WineRegistryValue& value, std::string utf8) {
    value.data = Utf8ToCp1252(utf8);
    if (!utf8.empty() && utf8.back() == '\0') {
        utf8.pop_back();
    }
    value.unicode = std::move(utf8);
}

bool IsTextType(std::uint32_t type) {
    return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz;
}

// Reads a type number written as hex digits up to `close`; advances `pos`.
std::optional<std::uint32_t> ReadTypeNumber(std::string_view data, std::size_t& pos,
                                            std::string_view close) {
    std::uint32_t type = 0;
    const std::size_t start = pos;
    while (pos < data.size() && HexDigit(data[pos]) >= 0 && pos - start < 8) {
        type = type * 16 + static_cast<std::uint32_t>(HexDigit(data[pos++]));
    }
    if (pos == start || data.substr(pos, close.size()) != close) {
        return std::nullopt;
    }
    pos += close.size();
    return type;
}

// The part after "=" of a value line.
std::optional<WineRegistryValue> ParseData(std::string_view data) {
    WineRegistryValue value;
    std::size_t pos = 0;
    if (StartsWith(data, "\"") || StartsWith(data, "str(")) {
        value.type = kRegSz;
        if (data[0] == 's') {
            pos = 4;
            const auto type = ReadTypeNumber(data, pos, "):\"");
            if (!type) {
                return std::nullopt;
            }
            value.type = *type;
        } else {
            pos = 1;
        }
        const auto text = ReadEscapedUtf8(data, pos, '"');
        if (!text) {
            return std::nullopt;
        }
        SetText(value, *text + '\0');
        return value;
    }
    if (StartsWith(data, "dword:")) {
        const std::string_view digits = data.substr(6);
        if (digits.empty() || digits.size() > 8) {
            return std::nullopt;
        }
        std::uint32_t number = 0;
        for (char c : digits) {
            if (HexDigit(c) < 0) {
                return std::nullopt;
            }
            number = number * 16 + static_cast<std::uint32_t>(HexDigit(c));
        }
        value.type = kRegDword;
        for (int shift = 0; shift < 32; shift += 8) {
            value.data.push_back(static_cast<char>((number >> shift) & 0xFF));
        }
        return value;
    }
    if (StartsWith(data, "hex:") || StartsWith(data, "hex(")) {
        value.type = kRegBinary;
        if (data[3] == '(') {
            pos = 4;
            const auto type = ReadTypeNumber(data, pos, "):");
            if (!type) {
                return std::nullopt;
            }
            value.type = *type;
        } else {
            pos = 4;
        }
        const auto bytes = ParseHexBytes(data.substr(pos));
        if (!bytes) {
            return std::nullopt;
        }
        if (IsTextType(value.type)) {
            SetText(value, Utf16BytesToUtf8(*bytes));
        } else {
            value.data = *bytes;
        }
        return value;
    }
    return std::nullopt;
}

// A line `"name"=data` or `@=data`.
std::optional<WineRegistryValue> ParseValueLine(std::string_view line) {
    std::size_t pos = 0;
    std::string name;
    if (StartsWith(line, "@=")) {
        pos = 1;
    } else {
        pos = 1;
        const auto text = ReadEscaped(line, pos, '"');
        if (!text || pos >= line.size() || line[pos] != '=') {
            return std::nullopt;
        }
        name = *text;
    }
    auto value = ParseData(line.substr(pos + 1));
    if (value) {
        value->name = std::move(name);
    }
    return value;
}

std::string_view TrimEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
        line.remove_suffix(1);
    }
    return line;
}

std::string_view TrimStart(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    return line;
}

class LineReader {
public:
    explicit LineReader(std::string_view text) : text_(text) {}

    std::optional<std::string_view> next() {
        if (pos_ >= text_.size()) {
            return std::nullopt;
        }
        const std::size_t end = text_.find('\n', pos_);
        const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
        const std::string_view line = text_.substr(pos_, stop - pos_);
        pos_ = stop + 1;
        return TrimEnd(line);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

void SetValue(WineRegistryKey& key, WineRegistryValue value) {
    for (auto& existing : key.values) {
        if (EqualsNoCase(existing.name, value.name)) {
            existing = std::move(value);
            return;
        }
    }
    key.values.push_back(std::move(value));
}

} // namespace

const WineRegistryValue* WineRegistryKey::find(std::string_view name) const {
    for (const auto& value : values) {
        if (EqualsNoCase(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

std::optional<WineRegistryKey> ReadWineRegistryKey(std::string_view fileText,
                                                   std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.back() == '\\') {
        keyPath.remove_suffix(1);
    }
    const std::string wanted = FoldCase(keyPath);
    LineReader lines(fileText);
    const auto header = lines.next();
    if (!header || *header != kHeader) {
        return std::nullopt;
    }
    WineRegistryKey key;
    bool exists = wanted.empty();
    bool exact = false;
    bool inKey = false;
    while (const auto next = lines.next()) {
        std::string_view line = *next;
        if (StartsWith(line, "[")) {
            std::size_t pos = 1;
            const auto name = ReadEscaped(line, pos, ']');
            inKey = false;
            if (!name) {
                continue;
            }
            const std::string lower = FoldCase(*name);
            if (lower == wanted) {
                inKey = true;
                if (!exact) {
                    key.path = *name;
                    exact = true;
                }
                exists = true;
            } else if (!exists && lower.size() > wanted.size() && StartsWith(lower, wanted) &&
                       (wanted.empty() || lower[wanted.size()] == '\\')) {
                key.path = name->substr(0, wanted.size());
                exists = true;
            }
            continue;
        }
        if (!inKey || !(StartsWith(line, "\"") || StartsWith(line, "@="))) {
            continue;
        }
        std::string joined;
        if (!line.empty() && line.back() == '\\') {
            joined.assign(line.substr(0, line.size() - 1));
            while (const auto more = lines.next()) {
                const std::string_view piece = TrimStart(*more);
                if (piece.empty() || piece.back() != '\\') {
                    joined.append(piece);
                    break;
                }
                joined.append(piece.substr(0, piece.size() - 1));
            }
            line = joined;
        }
        if (auto value = ParseValueLine(line)) {
            SetValue(key, std::move(*value));
        }
    }
    if (!exists) {
        return std::nullopt;
    }
    return key;
}

std::optional<WineRegistryKey> FindWineRegistryKey(std::string_view fileText,
                                                   std::string_view keyPath) {
    constexpr std::string_view kSoftware = "software\\";
    if (FoldCase(keyPath.substr(0, kSoftware.size())) == kSoftware) {
        const std::string redirected = std::string(keyPath.substr(0, kSoftware.size())) +
                                       "Wow6432Node\\" +
                                       std::string(keyPath.substr(kSoftware.size()));
        if (auto key = ReadWineRegistryKey(fileText, redirected)) {
            return key;
        }
    }
    return ReadWineRegistryKey(fileText, keyPath);
}

} // namespace kmission::platform
