#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kmission::tool {

// A JSON document written in the order the calls are made, so that keys keep
// the order a reader of our output relies on (QJsonObject would sort them).
// Separators are ", " and ": " on one line. Strings must be UTF-8.
class JsonWriter {
public:
    JsonWriter& beginObject();
    JsonWriter& endObject();
    JsonWriter& beginArray();
    JsonWriter& endArray();
    JsonWriter& key(std::string_view name);
    JsonWriter& string(std::string_view utf8);
    JsonWriter& integer(std::int64_t value);
    // A number already in JSON form, such as "1.5" or "1E-07".
    JsonWriter& number(std::string_view text);
    JsonWriter& null();

    const std::string& text() const { return text_; }

private:
    void beforeValue();

    std::string text_;
    std::vector<bool> firstInScope_; // one flag per open object or array
    bool afterKey_ = false;
};

// `utf8` as a quoted JSON string: quote, backslash and control characters escaped.
std::string JsonQuote(std::string_view utf8);

} // namespace kmission::tool
