#include "data_dir.h"

#include "registry.h"

#ifndef _WIN32
#include "codepage.h"
#include "native_path.h"
#endif

namespace kmission::platform {

std::string ReadDataDir() {
    RegistryKey key;
    if (key.open(RegistryRoot::LocalMachine, kGameRegistryKey, kKeyRead) != kRegistrySuccess) {
        return kFallbackDataDir;
    }
    RegistryValue value;
    const std::int32_t result = QueryRegistryValue(key, kGameFolderValue, value);
    // A number names no folder, so it counts as a missing value.
    const auto* folder = std::get_if<std::string>(&value);
    if (result != kRegistrySuccess || folder == nullptr) {
        return kFallbackDataDir;
    }
#ifndef _WIN32
    // A folder named in letters outside windows-1252 (Cyrillic, Greek,
    // Polish ...) would reach the file system as "?": it is given as the
    // native folder instead, which the program uses as it is.
    if (const auto unicode = key.unicodeText(kGameFolderValue);
        unicode && *unicode != Cp1252ToUtf8(*folder)) {
        return ToNativePathFromUnicode(*unicode + kDataSubdirectory);
    }
#endif
    return *folder + kDataSubdirectory;
}

} // namespace kmission::platform
