#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace kmission::tool {

// A JSON document written in the order the calls are made, so that keys keep
// the order a reader of our output relies on (QJsonObject would sort them).
// Separators are ", " and ": " on one line; pretty output puts every member
// and element on a line of its own, indented by two spaces a level, except the
// elements of inline arrays, so that a line-by-line comparison of two
// documents shows one changed value as one changed line. Strings must be UTF-8.
class JsonWriter {
public:
    explicit JsonWriter(bool pretty = false) : pretty_(pretty) {}

    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    // An array or object whose contents stay on one line, also in pretty output.
    JsonWriter& beginInlineArray();
    JsonWriter& beginInlineObject();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view utf8);
    JsonWriter& integer(std::int64_t value);
    // A number already in JSON form, such as "1.5" or "1E-07".
    JsonWriter& number(std::string_view text);
    JsonWriter& null();

    const std::string& text() const { return text_; }
    // Writes what was built so far to `out` and forgets it, so that a large
    // document never has to be held whole.
    void flushTo(std::ostream& out);

private:
    struct Scope {
        bool first = true;
        bool inlined = false;
    };
    void beforeValue();
    void open(char bracket, bool inlined);
    void close(char bracket);
    void newLine(std::size_t depth);

    bool pretty_;
    std::string text_;
    std::vector<Scope> scopes_; // one per open object or array
    bool afterKey_ = false;
};

// `utf8` as a quoted JSON string: quote, backslash and control characters escaped.
std::string JsonQuote(std::string_view utf8);

} // namespace kmission::tool
