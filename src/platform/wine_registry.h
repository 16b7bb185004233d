#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kmission::platform {

// One value of a key in a Wine registry file, as RegQueryValueExA would hand it
// over: `type` is the registry type number (1 text, 2 expandable text, 3 binary,
// 4 32-bit number, 7 text list, ...); `data` holds the value's bytes. Text
// (types 1, 2 and 7) is in windows-1252 with its terminating zero byte, as the
// ANSI call converts it; a 32-bit number is 4 bytes, least significant first.
// `name` is the value's name in windows-1252, empty for the default value.
struct WineRegistryValue {
    std::string name;
    std::uint32_t type = 0;
    std::string data;
    // Text as the file holds it, in UTF-8 without the terminating zero, as
    // RegQueryValueExW would give it: windows-1252 turns letters outside it
    // (Cyrillic, Greek, Polish ...) into "?". Empty for other types.
    std::string unicode;

    friend bool operator==(const WineRegistryValue&, const WineRegistryValue&) = default;
};

// A key found in the file: `path` is the key's name as the file spells it
// (single backslashes, windows-1252), which may differ from the name asked for
// in letter case or by the "Wow6432Node" level; `values` are in file order.
struct WineRegistryKey {
    std::string path;
    std::vector<WineRegistryValue> values;

    // The value called `name`, compared without regard to letter case (ASCII
    // and the accented letters of windows-1252) as the registry does; nullptr
    // when the key has no such value.
    const WineRegistryValue* find(std::string_view name) const;
};

// The key `keyPath` (windows-1252, single backslashes, relative to the file's
// root key) in `fileText`, the whole text of a Wine registry file such as
// "system.reg". Key names match without regard to letter case. A key
// exists when the file has a section for it or for any key below it (a key
// with only sub-keys has no values). Nothing when the text is not a Wine
// registry file (its first line is not "WINE REGISTRY Version 2") or the key
// does not exist. Lines the reader does not understand are skipped.
std::optional<WineRegistryKey> ReadWineRegistryKey(std::string_view fileText,
                                                   std::string_view keyPath);

// As ReadWineRegistryKey, but a key under "Software\" is first looked for under
// "Software\Wow6432Node\", where Wine keeps the keys that 32-bit programs (the
// game's installer among them) write in a 64-bit prefix, and only then under
// its own name.
std::optional<WineRegistryKey> FindWineRegistryKey(std::string_view fileText,
                                                   std::string_view keyPath);

} // namespace kmission::platform
