#include "data_dir.h"

#include "registry.h"

namespace kmission::platform {

std::string ReadDataDir() {
    RegistryKey key;
    if (key.open(RegistryRoot::LocalMachine, kGameRegistryKey, kKeyRead) != kRegistrySuccess) {
        return kFallbackDataDir;
    }
    RegistryValue value;
    const std::int32_t result = QueryRegistryValue(key, kGameFolderValue, value);
    key.close();
    // A number names no folder, so it counts as a missing value.
    if (const auto* folder = std::get_if<std::string>(&value);
        result == kRegistrySuccess && folder) {
        return *folder + kDataSubdirectory;
    }
    return kFallbackDataDir;
}

} // namespace kmission::platform
