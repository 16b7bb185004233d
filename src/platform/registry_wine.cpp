#include "registry.h"

#include "wine_prefix.h"
#include "wine_registry.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>

namespace kmission::platform {

namespace {

std::optional<std::string> ReadRegistryFile(RegistryRoot root) {
    const std::string prefix = WinePrefix();
    if (prefix.empty()) {
        return std::nullopt;
    }
    const char* file = root == RegistryRoot::LocalMachine ? "/system.reg" : "/user.reg";
    std::ifstream in(prefix + file, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : root_(other.root_), path_(std::move(other.path_)), open_(std::exchange(other.open_, false)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        root_ = other.root_;
        path_ = std::move(other.path_);
        open_ = std::exchange(other.open_, false);
    }
    return *this;
}

RegistryKey::~RegistryKey() = default;

std::int32_t RegistryKey::open(RegistryRoot root, std::string_view path, std::uint32_t) {
    close();
    const auto text = ReadRegistryFile(root);
    if (!text) {
        return kRegistryFileNotFound;
    }
    auto key = FindWineRegistryKey(*text, path);
    if (!key) {
        return kRegistryFileNotFound;
    }
    root_ = root;
    path_ = std::move(key->path);
    open_ = true;
    return kRegistrySuccess;
}

void RegistryKey::close() {
    open_ = false;
    path_.clear();
}

bool RegistryKey::isOpen() const {
    return open_;
}

std::int32_t RegistryKey::queryValue(std::string_view name, std::uint32_t* type, char* data,
                                     std::uint32_t* size) const {
    if (!open_) {
        return kRegistryFileNotFound;
    }
    const auto text = ReadRegistryFile(root_);
    if (!text) {
        return kRegistryFileNotFound;
    }
    const auto key = ReadWineRegistryKey(*text, path_);
    const WineRegistryValue* value = key ? key->find(name) : nullptr;
    if (value == nullptr) {
        return kRegistryFileNotFound;
    }
    const auto needed = static_cast<std::uint32_t>(value->data.size());
    if (type != nullptr) {
        *type = value->type;
    }
    if (data != nullptr) {
        if (size == nullptr || *size < needed) {
            if (size != nullptr) {
                *size = needed;
            }
            return kRegistryMoreData;
        }
        std::copy(value->data.begin(), value->data.end(), data);
    }
    if (size != nullptr) {
        *size = needed;
    }
    return kRegistrySuccess;
}

std::optional<std::string> RegistryKey::unicodeText(std::string_view name) const {
    const auto text = open_ ? ReadRegistryFile(root_) : std::nullopt;
    const auto key = text ? ReadWineRegistryKey(*text, path_) : std::nullopt;
    const WineRegistryValue* value = key ? key->find(name) : nullptr;
    if (value == nullptr || (value->type != kRegSz && value->type != kRegExpandSz)) {
        return std::nullopt;
    }
    return value->unicode;
}

} // namespace kmission::platform
