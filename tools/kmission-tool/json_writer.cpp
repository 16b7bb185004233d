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

void JsonWriter::newLine(std::size_t depth) {
    text_ += '\n';
    text_.append(2 * depth, ' ');
}

void JsonWriter::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (scopes_.empty()) {
        return;
    }
    Scope& scope = scopes_.back();
    if (!scope.first) {
        text_ += pretty_ && !scope.inlined ? "," : ", ";
    }
    scope.first = false;
    if (pretty_ && !scope.inlined) {
        newLine(scopes_.size());
    }
}

void JsonWriter::open(char bracket, bool inlined) {
    beforeValue();
    text_ += bracket;
    const bool insideInline = !scopes_.empty() && scopes_.back().inlined;
    scopes_.push_back(Scope{true, inlined || insideInline});
}

void JsonWriter::close(char bracket) {
    const Scope scope = scopes_.back();
    scopes_.pop_back();
    if (pretty_ && !scope.inlined && !scope.first) {
        newLine(scopes_.size());
    }
    text_ += bracket;
}

JsonWriter& JsonWriter::beginObject() {
    open('{', false);
    return *this;
}

JsonWriter& JsonWriter::beginInlineObject() {
    open('{', true);
    return *this;
}

JsonWriter& JsonWriter::endObject() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::beginArray() {
    open('[', false);
    return *this;
}

JsonWriter& JsonWriter::beginInlineArray() {
    open('[', true);
    return *this;
}

JsonWriter& JsonWriter::endArray() {
    close(']');
    return *this;
}

void JsonWriter::flushTo(std::ostream& out) {
    out << text_;
    text_.clear();
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
