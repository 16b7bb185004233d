#include "json_writer.h"

#include <cstdio>

namespace kmission::tool {

std::string JsonQuote(std::string_view utf8) {
    std::string out = "\"";
    for (char c : utf8) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
                out += escape;
            } else {
                out += c;
            }
        }
    }
    return out + "\"";
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!firstInScope_.empty()) {
        if (!firstInScope_.back()) {
            text_ += ", ";
        }
        firstInScope_.back() = false;
    }
}

JsonWriter& JsonWriter::beginObject() {
    beforeValue();
    text_ += '{';
    firstInScope_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    firstInScope_.pop_back();
    text_ += '}';
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    beforeValue();
    text_ += '[';
    firstInScope_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    firstInScope_.pop_back();
    text_ += ']';
    return *this;
}

JsonWriter& JsonWriter::key(std::string_view name) {
    beforeValue();
    text_ += JsonQuote(name) + ": ";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::string(std::string_view utf8) {
    beforeValue();
    text_ += JsonQuote(utf8);
    return *this;
}

JsonWriter& JsonWriter::integer(std::int64_t value) {
    return number(std::to_string(value));
}

JsonWriter& JsonWriter::number(std::string_view text) {
    beforeValue();
    text_ += text;
    return *this;
}

JsonWriter& JsonWriter::null() {
    return number("null");
}

} // namespace kmission::tool
