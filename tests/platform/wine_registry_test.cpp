#include "wine_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace kmission::platform {
namespace {

// A registry file's text: Wine's header and comment lines, then `body`.
std::string WineRegistryFile(std::string_view body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n" +
           std::string(body);
}

constexpr const char* kGameKey = "Software\\Brintell\\Korvane 3\\1.0";

// The game's key holding the single value line `line`.
std::string game_key_with(std::string_view line) {
    return WineRegistryFile("[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n#time=1d9\n" +
                            std::string(line) + "\n");
}

std::string not_a_registry_file() {
    return "REGEDIT4\n\n[Software\\\\Brintell\\\\Korvane 3\\\\1.0]\n\"Program\"=\"C:\\\\\"\n";
}

std::string older_registry_version() {
    return "WINE REGISTRY Version 1\n[Software\\\\Brintell\\\\Korvane 3\\\\1.0]\n"
           "\"Program\"=\"C:\\\\\"\n";
}

std::string string_value_not_closed() {
    return game_key_with("\"Broken\"=\"C:\\\\Game\n\"Program\"=\"C:\\\\Game\\\\\"");
}

std::string dword_too_long() {
    return game_key_with("\"Broken\"=dword:000000001\n\"Program\"=\"ok\"");
}

std::string hex_with_bad_digit() {
    return game_key_with("\"Broken\"=hex:01,0g\n\"Program\"=\"ok\"");
}

std::string unknown_value_form() {
    return game_key_with("\"Broken\"=qword:1\n\"Program\"=\"ok\"");
}

const WineRegistryValue& ValueOf(const std::optional<WineRegistryKey>& key, std::string_view name) {
    static const WineRegistryValue missing{"<missing>", 0, "", ""};
    if (!key) {
        ADD_FAILURE() << "key not found";
        return missing;
    }
    const WineRegistryValue* value = key->find(name);
    if (value == nullptr) {
        ADD_FAILURE() << "value " << name << " not found";
        return missing;
    }
    return *value;
}

struct TextCase {
    const char* name;
    std::string fileText; // between the quotes, as Wine writes it
    std::string expected; // windows-1252, terminating zero not included
};

TEST(WineRegistryTest, TextValuesUndoWineEscapes) {
    const TextCase cases[] = {
        {"backslashes", "C:\\\\Games\\\\Korvane 3\\\\", "C:\\Games\\Korvane 3\\"},
        {"quotes", "say \\\"hi\\\"", "say \"hi\""},
        {"control letters", "a\\nb\\rc\\td", "a\nb\rc\td"},
        {"octal and embedded zero", "\\101\\102\\0z", std::string("AB\0z", 4)},
        {"hex escape to Latin-1", "caf\\xe9", "caf\xE9"},
        {"hex escape beyond Latin-1", "\\x20ac 5", "\x80 5"},
        {"raw UTF-8 bytes", "caf\xC3\xA9", "caf\xE9"},
        {"character outside windows-1252", "\\x4e2d", "?"},
        {"surrogate pair is one character", "\\xd83d\\xde00!", "?!"},
        {"lone surrogate", "\\xd800x", "?x"},
        {"hex escape stops after four digits", "\\x00411", "A1"},
        {"unknown escape keeps the letter", "\\q", "q"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto key =
            ReadWineRegistryKey(game_key_with("\"Text\"=\"" + c.fileText + "\""), kGameKey);
        const auto& value = ValueOf(key, "Text");
        EXPECT_EQ(value.type, 1u);
        EXPECT_EQ(value.data, c.expected + '\0');
    }
}

struct DataCase {
    const char* name;
    std::string line;
    std::uint32_t type;
    std::string data;
};

TEST(WineRegistryTest, OtherValueFormsKeepTheirTypeAndBytes) {
    const DataCase cases[] = {
        {"dword", "\"V\"=dword:0000002a", 4, std::string("\x2a\0\0\0", 4)},
        {"dword all ones", "\"V\"=dword:ffffffff", 4, "\xff\xff\xff\xff"},
        {"dword upper-case digits", "\"V\"=dword:0001E240", 4, std::string("\x40\xE2\x01\0", 4)},
        {"expandable text", "\"V\"=str(2):\"%SystemRoot%\\\\x\"", 2,
         std::string("%SystemRoot%\\x\0", 15)},
        {"binary", "\"V\"=hex:01,02,ff", 3, "\x01\x02\xff"},
        {"empty binary", "\"V\"=hex:", 3, ""},
        {"typed hex", "\"V\"=hex(b):01,00,00,00,00,00,00,00", 0xb,
         std::string("\x01\0\0\0\0\0\0\0", 8)},
        {"text stored as UTF-16 hex", "\"V\"=hex(1):48,00,e9,00,00,00", 1,
         std::string("H\xE9\0", 3)},
        {"text list as UTF-16 hex", "\"V\"=hex(7):41,00,00,00,42,00,00,00,00,00", 7,
         std::string("A\0B\0\0", 5)},
        {"hex continued on following lines", "\"V\"=hex:01,02,\\\n  03,04,\\\n  05", 3,
         "\x01\x02\x03\x04\x05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto key = ReadWineRegistryKey(game_key_with(c.line), kGameKey);
        const auto& value = ValueOf(key, "V");
        EXPECT_EQ(value.type, c.type);
        EXPECT_EQ(value.data, c.data);
    }
}

TEST(WineRegistryTest, DefaultValueHasTheEmptyName) {
    const auto key = ReadWineRegistryKey(game_key_with("@=\"default\"\n\"Named\"=\"n\""), kGameKey);
    EXPECT_EQ(ValueOf(key, "").data, std::string("default\0", 8));
    EXPECT_EQ(ValueOf(key, "Named").data, std::string("n\0", 2));
}

TEST(WineRegistryTest, KeysAndValueNamesMatchWithoutLetterCase) {
    const auto key = ReadWineRegistryKey(game_key_with("\"Program\"=\"C:\\\\Game\\\\\""),
                                         "SOFTWARE\\brintell\\KORVANE 3\\1.0");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->path, kGameKey);
    EXPECT_EQ(ValueOf(key, "PROGRAM").data, std::string("C:\\Game\\\0", 9));
}

TEST(WineRegistryTest, KeyNamesUndoEscapes) {
    const std::string text = WineRegistryFile("[Software\\\\Caf\\xe9\\\\A\\]B] 1\n\"V\"=\"1\"\n");
    const auto key = ReadWineRegistryKey(text, "Software\\Caf\xC9\\A]B");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->path, "Software\\Caf\xE9\\A]B") << "non-ASCII letters keep their case";
}

TEST(WineRegistryTest, OnlyTheValuesOfTheKeyItselfAreRead) {
    const std::string text =
        WineRegistryFile("[Software\\\\Brintell] 1\n\"Parent\"=\"p\"\n"
                         "[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1\n"
                         "\"Program\"=\"mine\"\n"
                         "[Software\\\\Brintell\\\\Korvane 3\\\\1.0\\\\Sub] 1\n"
                         "\"Program\"=\"child\"\n"
                         "[Software\\\\Brintell\\\\Korvane 3\\\\1.01] 1\n"
                         "\"Other\"=\"sibling\"\n");
    const auto key = ReadWineRegistryKey(text, kGameKey);
    ASSERT_TRUE(key);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0], (WineRegistryValue{"Program", 1, std::string("mine\0", 5), "mine"}));
}

TEST(WineRegistryTest, ALaterLineForTheSameValueWins) {
    const std::string text =
        WineRegistryFile("[Software\\\\A] 1\n\"V\"=\"first\"\n[Software\\\\B] 1\n\"V\"=\"other\"\n"
                         "[software\\\\a] 2\n\"v\"=dword:00000002\n");
    const auto key = ReadWineRegistryKey(text, "Software\\A");
    ASSERT_TRUE(key);
    ASSERT_EQ(key->values.size(), 1u);
    EXPECT_EQ(key->values[0].type, 4u);
    EXPECT_EQ(key->path, "Software\\A") << "the key keeps the spelling of its first section";
}

TEST(WineRegistryTest, AKeyWithOnlySubKeysExists) {
    const std::string text = game_key_with("\"Program\"=\"x\"");
    const auto parent = ReadWineRegistryKey(text, "software\\BRINTELL");
    ASSERT_TRUE(parent);
    EXPECT_EQ(parent->path, "Software\\Brintell");
    EXPECT_TRUE(parent->values.empty());
    EXPECT_FALSE(ReadWineRegistryKey(text, "Software\\Brint")) << "not a whole key name";
    EXPECT_FALSE(ReadWineRegistryKey(text, "Software\\Brintell\\Korvane 4"));
    EXPECT_TRUE(ReadWineRegistryKey(text, "")) << "the root";
}

TEST(WineRegistryTest, TrailingBackslashOfTheKeyNameIsIgnored) {
    EXPECT_TRUE(ReadWineRegistryKey(game_key_with("\"Program\"=\"x\""),
                                    "Software\\Brintell\\Korvane 3\\1.0\\"));
}

TEST(WineRegistryTest, WindowsLineEndingsAreRead) {
    const std::string text = "WINE REGISTRY Version 2\r\n[Software\\\\A] 1\r\n\"V\"=\"x\"\r\n";
    EXPECT_EQ(ValueOf(ReadWineRegistryKey(text, "Software\\A"), "V").data, std::string("x\0", 2));
}

TEST(WineRegistryTest, SoftwareKeysAreAlsoFoundInThe32BitView) {
    const std::string text =
        WineRegistryFile("[Software\\\\Wow6432Node\\\\Brintell\\\\Korvane 3\\\\1.0] 1\n"
                         "\"Program\"=\"C:\\\\Game\\\\\"\n"
                         "[System\\\\Wow6432Node\\\\X] 1\n");
    EXPECT_FALSE(ReadWineRegistryKey(text, kGameKey));
    const auto key = FindWineRegistryKey(text, "SOFTWARE\\Brintell\\Korvane 3\\1.0");
    ASSERT_TRUE(key);
    EXPECT_EQ(key->path, "Software\\Wow6432Node\\Brintell\\Korvane 3\\1.0");
    EXPECT_EQ(ValueOf(key, "Program").data, std::string("C:\\Game\\\0", 9));
    EXPECT_FALSE(FindWineRegistryKey(text, "System\\X")) << "only Software is redirected";
}

// The game's installer is a 32-bit program.
TEST(WineRegistryTest, The32BitViewIsPreferredToTheOwnKey) {
    const std::string text = WineRegistryFile("[Software\\\\A] 1\n\"V\"=\"64\"\n"
                                              "[Software\\\\Wow6432Node\\\\A] 1\n\"V\"=\"32\"\n");
    EXPECT_EQ(ValueOf(FindWineRegistryKey(text, "Software\\A"), "V").data, std::string("32\0", 3));
}

TEST(WineRegistryTest, FilesThatAreNotWineRegistriesHaveNoKeys) {
    for (const auto& [name, text] : {std::pair{"regedit export", not_a_registry_file()},
                                     std::pair{"older version", older_registry_version()},
                                     std::pair{"empty", std::string()}}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(FindWineRegistryKey(text, kGameKey));
    }
}

TEST(WineRegistryTest, MalformedLinesAreSkippedAndTheRestIsRead) {
    for (const auto& [name, text] : {std::pair{"string not closed", string_value_not_closed()},
                                     std::pair{"dword too long", dword_too_long()},
                                     std::pair{"bad hex digit", hex_with_bad_digit()},
                                     std::pair{"unknown form", unknown_value_form()}}) {
        SCOPED_TRACE(name);
        const auto key = ReadWineRegistryKey(text, kGameKey);
        ASSERT_TRUE(key);
        EXPECT_EQ(key->find("Broken"), nullptr);
        EXPECT_NE(key->find("Program"), nullptr);
    }
}

} // namespace
} // namespace kmission::platform
