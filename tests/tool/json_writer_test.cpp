#include "json_writer.h"

#include <gtest/gtest.h>

namespace kmission::tool {
namespace {

TEST(JsonWriter, KeepsTheOrderOfKeysAndValues) {
    JsonWriter json;
    json.beginObject().key("z").beginArray().integer(-3).string("x").null().endArray();
    json.key("a").beginObject().endObject().key("m").number("1E-07").endObject();
    EXPECT_EQ(json.text(), R"({"z": [-3, "x", null], "a": {}, "m": 1E-07})");
}

TEST(JsonWriter, EscapesWhatJsonRequires) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain", R"("plain")"},
        {"q\"b\\", R"("q\"b\\")"},
        {"\n\t\r\b\f", R"("\n\t\r\b\f")"},
        {std::string("\x01\x1f\0", 3), R"("\u0001\u001f\u0000")"},
        {"\x7f\xE2\x82\xAC\xC2\x81", "\"\x7f\xE2\x82\xAC\xC2\x81\""}, // UTF-8 passes through
    };
    for (const auto& [text, quoted] : cases) {
        SCOPED_TRACE(quoted);
        EXPECT_EQ(JsonQuote(text), quoted);
    }
}

} // namespace
} // namespace kmission::tool
