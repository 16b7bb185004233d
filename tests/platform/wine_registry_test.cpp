#include "wine_registry.h"

#include "temp_wine_prefix.h"

#include <gtest/gtest.h>

namespace kmission::platform {
namespace {

using test::GameKeyWith;
using test::WineRegistryFile;

constexpr const char* kGameKey = "Software\\Brintell\\Korvane 3\\1.0";

// A copy, so that it may outlive the key it was found in.
std::optional<WineRegistryValue> Find(const std::optional<WineRegistryKey>& key,
                                      std::string_view name) {
    EXPECT_TRUE(key) << "key not found";
    const WineRegistryValue* value = key ? key->find(name) : nullptr;
    return value ? std::optional(*value) : std::nullopt;
}

// Escapes give UTF-16 units; surrogates pair only when high is followed by low.
TEST(WineRegistryTest, TextUndoesWineEscapesAndPairsSurrogates) {
    const std::string fffd = "\xEF\xBF\xBD";
    const std::pair<std::string, std::string> cases[] = {
        // between the quotes as Wine writes it, UTF-8
        {"C:\\\\ \\\"\\a\\b\\e\\f\\n\\r\\t\\v", "C:\\ \"\a\b\x1B\f\n\r\t\v"},
        {"\\1011\\18\\0z\\176\\7x", std::string("A1\x01\x38\0z~\x07x", 9)},
        {"\\x00411\\xz\\q caf\xC3\xA9", "A1xzq caf\xC3\xA9"},
        {"\\x7f\\x80\\x7ff\\x800\\xffff\\xe000",
         "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xEE\x80\x80"},
        {"\\xd800\\xdc00\\xdbff\\xdfff", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
        {"\\xdc00|\\xdfff|\\xd800x", fffd + "|" + fffd + "|" + fffd + "x"},
        {"\\xd800\\x41\\xd800\\xd83d\\xde00\\xd800", fffd + "A" + fffd + "\xF0\x9F\x98\x80" + fffd},
    };
    for (const auto& [fileText, unicode] : cases) {
        SCOPED_TRACE(fileText);
        const auto value =
            Find(ReadWineRegistryKey(GameKeyWith("\"T\"=\"" + fileText + "\""), kGameKey), "T");
        ASSERT_TRUE(value);
        EXPECT_EQ(value->unicode, unicode);
    }
}

TEST(WineRegistryTest, OtherFormsKeepTypeAndBytesAndMalformedLinesAreSkipped) {
    const std::tuple<std::string, std::uint32_t, std::string, std::string> cases[] = {
        // line, type (0: the line is skipped), bytes, text
        {"\"V\"=dword:09afAF00", 4, std::string("\x00\xAF\xAF\x09", 4), ""},
        {"@=str(2):\"%S%\\\\x\"", 2, std::string("%S%\\x\0", 6), "%S%\\x"},
        {"\"V\"=hex: 01 , 02,ff,", 3, "\x01\x02\xFF", ""},
        {"\"V\"=hex(1):48,00,e9,00,3d,d8,00,de,00,00", 1, std::string("H\xE9?\0", 4),
         "H\xC3\xA9\xF0\x9F\x98\x80"},
        {"\"V\"=hex(7):41,00,00,00,42,00,00,00,00,00", 7, std::string("A\0B\0\0", 5),
         std::string("A\0B\0", 4)},
        {"\"V\"=hex(2):41,00,42", 2, "A", "A"},
        {"\"V\"=hex(11):01", 17, "\x01", ""},
        {"\"V\"=hex:01,02,\\\n  03,\\\n  04", 3, "\x01\x02\x03\x04", ""},
        {"\"V\"=\"C:\\\\Game", 0, "", ""},
        {"\"V\"\"x\"", 0, "", ""},
        {"\"V\"=dword:000000001", 0, "", ""},
        {"\"V\"=dword:", 0, "", ""},
        {"\"V\"=dword:0000000g", 0, "", ""},
        {"\"V\"=hex:01,0g", 0, "", ""},
        {"\"V\"=hex:01 02", 0, "", ""},
        {"\"V\"=str():\"x\"", 0, "", ""},
        {"\"V\"=qword:1", 0, "", ""},
    };
    for (const auto& [line, type, data, unicode] : cases) {
        SCOPED_TRACE(line);
        const auto key = ReadWineRegistryKey(GameKeyWith(line + "\n\"Next\"=\"ok\""), kGameKey);
        EXPECT_TRUE(Find(key, "Next"));
        const auto value = Find(key, line[0] == '@' ? "" : "V");
        ASSERT_EQ(value.has_value(), type != 0);
        if (value) {
            EXPECT_EQ(std::tie(value->type, value->data, value->unicode),
                      std::tie(type, data, unicode));
        }
    }
}

// Names compare as the registry compares them: ASCII letters and the accented
// letters of windows-1252 without regard to case, nothing else.
TEST(WineRegistryTest, KeysAreFoundByNameInThe32BitViewFirst) {
    const std::string text = WineRegistryFile(
        "[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1\n\"V\"=\"mine\"\n"
        "[software\\\\brintell\\\\KORVANE 3\\\\1.0] 2\n#time=1\n\"v\"=\"later\"\n"
        "[Software\\\\Brintell\\\\Korvane 3\\\\1.0\\\\Sub] 1\n\"V\"=\"child\"\n"
        "[Software\\\\Brintell\\\\Korvane 3\\\\1.01] 1\n\"V\"=\"sibling\"\n"
        "[Software\\\\Wow6432Node\\\\A] 1\n\"V\"=\"32\"\n"
        "[Software\\\\A] 1\n\"V\"=\"64\"\n"
        "[System\\\\Wow6432Node\\\\X] 1\n"
        "[Caf\\xe9\\\\A\\]B] 1\n[Broken\\\n"
        "[AZaz\\xc0\\xde\\x0160\\x0152\\x017d\\x0178] 1\n[[] 1\n[\\xd7] 1\n[\\xdf] 1\n");
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // asked, the key's path (nullptr: no such key), its one value or nullptr
        {"SOFTWARE\\brintell\\Korvane 3\\1.0\\", "Software\\Brintell\\Korvane 3\\1.0", "later"},
        {"Software\\Brintell\\Korvane 3\\1.0\\SUB", "Software\\Brintell\\Korvane 3\\1.0\\Sub",
         "child"},
        {"software\\BRINTELL", "Software\\Brintell", nullptr},
        {"Software\\Brint", nullptr, nullptr},
        {"Software\\A", "Software\\Wow6432Node\\A", "32"},
        {"System\\X", nullptr, nullptr},
        {"CAF\xC9\\a]b", "Caf\xE9\\A]B", nullptr},
        {"Broken", nullptr, nullptr},
        {"azAZ\xE0\xFE\x9A\x9C\x9E\xFF", "AZaz\xC0\xDE\x8A\x8C\x8E\x9F", nullptr},
        {"{", nullptr, nullptr},
        {"\xF7", nullptr, nullptr},
        {"\xFF", nullptr, nullptr},
    };
    for (const auto& [asked, path, value] : cases) {
        SCOPED_TRACE(asked);
        const auto key = FindWineRegistryKey(text, asked);
        ASSERT_EQ(key.has_value(), path != nullptr);
        if (key) {
            EXPECT_EQ(key->path, path);
            EXPECT_EQ(key->values.size() == 1 ? key->values[0].unicode : "",
                      value != nullptr ? value : "");
        }
    }
    EXPECT_FALSE(
        FindWineRegistryKey("WINE REGISTRY Version 1\n[Software\\\\A] 1\n", "Software\\A"));
    const auto crlf =
        Find(ReadWineRegistryKey("WINE REGISTRY Version 2\r\n[A] 1\r\n\"V\"=\"x\"\r\n", "A"), "V");
    ASSERT_TRUE(crlf);
    EXPECT_EQ(crlf->unicode, "x");
}

} // namespace
} // namespace kmission::platform
