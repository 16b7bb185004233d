#include "registry.h"

#include "text.h"

#include <vector>

namespace kmission::platform {

namespace {

constexpr std::uint32_t kGetKeyValueBuffer = 1024;

std::int32_t LittleEndianInt32(const char* bytes) {
    std::uint32_t u = 0;
    for (int i = 3; i >= 0; --i) {
        u = u << 8 | static_cast<unsigned char>(bytes[i]);
    }
    return static_cast<std::int32_t>(u);
}

} // namespace

std::int32_t QueryRegistryValue(const RegistryValueReader& key, std::string_view name,
                                RegistryValue& value) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    const std::int32_t info = key.queryValue(name, &type, nullptr, &size);
    if (info != kRegistrySuccess) {
        return info;
    }
    if (type == kRegSz) {
        // One byte more than asked for, so that an empty buffer still has an
        // address and is not taken for a size-only query.
        std::vector<char> buffer(std::size_t{size} + 1, '\0');
        std::uint32_t capacity = size;
        const std::int32_t result = key.queryValue(name, &type, buffer.data(), &capacity);
        if (result == kRegistrySuccess) {
            value = std::string(buffer.data(), size > 0 ? size - 1 : 0);
        } else {
            value = std::string();
        }
        return result;
    }
    if (type == kRegDword) {
        char number[4] = {};
        std::uint32_t capacity = sizeof number;
        const std::int32_t result = key.queryValue(name, &type, number, &capacity);
        if (result == kRegistrySuccess) {
            value = LittleEndianInt32(number);
        }
        return result;
    }
    return -1;
}

bool GetKeyValue(RegistryRoot root, std::string_view keyName, std::string_view valueName,
                 std::string& keyVal) {
    RegistryKey key;
    if (key.open(root, keyName, kKeyReadWrite) != kRegistrySuccess) {
        keyVal.clear();
        return false;
    }
    std::string buffer(kGetKeyValueBuffer, '\0');
    std::uint32_t type = 0;
    std::uint32_t size = kGetKeyValueBuffer;
    if (key.queryValue(valueName, &type, buffer.data(), &size) != kRegistrySuccess) {
        keyVal.clear();
        return false;
    }
    if (type == kRegDword) {
        keyVal = IntegerText(LittleEndianInt32(buffer.data()));
        return true;
    }
    buffer.resize(size);
    if (!buffer.empty() && buffer.back() == '\0') {
        buffer.pop_back();
    }
    if (type == kRegSz) {
        keyVal = std::move(buffer);
    }
    return true;
}

} // namespace kmission::platform
