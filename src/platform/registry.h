#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace kmission::platform {

// The registry as the program sees it. On Windows these are the advapi32 calls;
// elsewhere the game runs under Wine and the same operations read the Wine
// prefix's registry files ($WINEPREFIX, else ~/.wine): "system.reg" for
// LocalMachine and "user.reg" for CurrentUser. Those files are read afresh on
// every call, because Wine may rewrite them at any time; a file that is missing
// or not a Wine registry file is a key that does not open. The Wine prefix
// belongs to the user, so write access is never refused there.
//
// Key paths, value names and text values are windows-1252 bytes. Result codes
// are Windows error numbers: 0 for success.

enum class RegistryRoot { LocalMachine, CurrentUser };

inline constexpr std::int32_t kRegistrySuccess = 0;
inline constexpr std::int32_t kRegistryFileNotFound = 2; // no such key or value
inline constexpr std::int32_t kRegistryMoreData = 234;   // the buffer is too small

inline constexpr std::uint32_t kRegSz = 1;
inline constexpr std::uint32_t kRegExpandSz = 2;
inline constexpr std::uint32_t kRegBinary = 3;
inline constexpr std::uint32_t kRegDword = 4;

inline constexpr std::uint32_t kKeyRead = 0x20019;
// Query and set values, create and list sub-keys, notify, create links: the
// access that the system-information lookup asks for.
inline constexpr std::uint32_t kKeyReadWrite = 0x2003F;

// Reads one value of an opened key the way RegQueryValueExA does: `type` and
// `size` may be null; with `data` null only the type and the size in bytes
// (text counted with its terminating zero) are reported. With a buffer,
// `*size` is its capacity on entry and the value's size on return; a buffer
// too small gives kRegistryMoreData and leaves the buffer's contents undefined.
class RegistryValueReader {
public:
    virtual ~RegistryValueReader() = default;
    virtual std::int32_t queryValue(std::string_view name, std::uint32_t* type, char* data,
                                    std::uint32_t* size) const = 0;
};

// An opened registry key, closed when the object goes (RegOpenKeyExA /
// RegCloseKey). A key that is not open answers every query with
// kRegistryFileNotFound. A key is first looked for in the 32-bit view
// ("Software\Wow6432Node\" on a 64-bit system), where the game's 32-bit
// installer puts it, and then in the 64-bit view.
class RegistryKey final : public RegistryValueReader {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    ~RegistryKey() override;

    // Closes a key held before, then opens `path` under `root`.
    std::int32_t open(RegistryRoot root, std::string_view path, std::uint32_t access);
    void close();
    bool isOpen() const;

    std::int32_t queryValue(std::string_view name, std::uint32_t* type, char* data,
                            std::uint32_t* size) const override;

#ifndef _WIN32
    // The text value `name` in UTF-8 as the Wine registry holds it, where
    // queryValue gives "?" for letters outside windows-1252. Nothing when the
    // key is not open or the value is missing or not text.
    std::optional<std::string> unicodeText(std::string_view name) const;
#endif

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    RegistryRoot root_ = RegistryRoot::LocalMachine;
    std::string path_; // as the file spells it, "Wow6432Node" included
    bool open_ = false;
#endif
};

// A registry value as the program keeps it: text, or a 32-bit number.
using RegistryValue = std::variant<std::string, std::int32_t>;

// Reads the value `name` of an opened key into `value` and returns the result
// code of the registry call that ended the routine. Text (type 1) gives its
// bytes without the terminating zero; a 32-bit number (type 4) gives the
// number. Any other type returns -1. `value` is left as it was whenever the
// routine fails, except that text whose second read fails becomes empty text.
std::int32_t QueryRegistryValue(const RegistryValueReader& key, std::string_view name,
                                RegistryValue& value);

// The value `valueName` of the key `keyName` as text, for the system-information
// lookup: the key is opened with kKeyReadWrite and the value read into a buffer
// of 1024 bytes. Text comes back without its terminating zero, a 32-bit number
// as signed decimal text; a value of any other type leaves `keyVal` as it was
// and still counts as found. A key that does not open, a missing value or one
// longer than the buffer empties `keyVal` and returns false.
bool GetKeyValue(RegistryRoot root, std::string_view keyName, std::string_view valueName,
                 std::string& keyVal);

} // namespace kmission::platform
