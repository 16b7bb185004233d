#include "registry.h"

#include <windows.h>

#include <string>
#include <utility>

namespace kmission::platform {

namespace {

HKEY RootHandle(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

} // namespace

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

RegistryKey::~RegistryKey() {
    close();
}

std::int32_t RegistryKey::open(RegistryRoot root, std::string_view path, std::uint32_t access) {
    close();
    const std::string name(path);
    HKEY key = nullptr;
    // The game's installer is a 32-bit program and wrote its keys into the
    // 32-bit view; the 64-bit view is the fallback.
    LONG result = RegOpenKeyExA(RootHandle(root), name.c_str(), 0, access | KEY_WOW64_32KEY, &key);
    if (result == ERROR_FILE_NOT_FOUND) {
        result = RegOpenKeyExA(RootHandle(root), name.c_str(), 0, access | KEY_WOW64_64KEY, &key);
    }
    if (result == ERROR_SUCCESS) {
        handle_ = key;
    }
    return static_cast<std::int32_t>(result);
}

void RegistryKey::close() {
    if (handle_ != nullptr) {
        RegCloseKey(static_cast<HKEY>(handle_));
        handle_ = nullptr;
    }
}

bool RegistryKey::isOpen() const {
    return handle_ != nullptr;
}

std::int32_t RegistryKey::queryValue(std::string_view name, std::uint32_t* type, char* data,
                                     std::uint32_t* size) const {
    if (handle_ == nullptr) {
        return ERROR_FILE_NOT_FOUND;
    }
    const std::string valueName(name);
    DWORD valueType = 0;
    DWORD valueSize = size != nullptr ? *size : 0;
    const LONG result =
        RegQueryValueExA(static_cast<HKEY>(handle_), valueName.c_str(), nullptr, &valueType,
                         reinterpret_cast<BYTE*>(data), size != nullptr ? &valueSize : nullptr);
    if (type != nullptr) {
        *type = valueType;
    }
    if (size != nullptr) {
        *size = valueSize;
    }
    return static_cast<std::int32_t>(result);
}

} // namespace kmission::platform
