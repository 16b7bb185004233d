#include "native_path.h"

#include "file_exists.h"

#ifndef _WIN32
#include "codepage.h"
#include "wine_prefix.h"

#include <QString>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>
#endif

namespace kmission::platform {

#ifdef _WIN32

std::string ToNativePath(std::string_view path) {
    return std::string(path);
}

std::string ToNativePathFromUnicode(std::string_view utf8Path) {
    return std::string(utf8Path);
}

std::string ToWindowsPath(std::string_view nativePath) {
    return std::string(nativePath);
}

#else

namespace {

namespace fs = std::filesystem;

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

bool HasDriveLetter(std::string_view path) {
    if (path.size() < 2 || path[1] != ':') {
        return false;
    }
    const char c = path[0];
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::vector<std::string> SplitComponents(std::string_view path) {
    std::vector<std::string> components;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || IsSeparator(path[i])) {
            if (i > start) {
                components.emplace_back(path.substr(start, i - start));
            }
            start = i + 1;
        }
    }
    return components;
}

// The entry of `folder` whose name equals `name` but for letter case.
std::optional<std::string> FindIgnoringCase(const fs::path& folder, const std::string& name) {
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    std::optional<std::string> best;
    std::error_code error;
    for (fs::directory_iterator it(folder, error); !error && it != fs::directory_iterator();
         it.increment(error)) {
        const std::string entry = it->path().filename().string();
        const QString candidate =
            QString::fromUtf8(entry.data(), static_cast<qsizetype>(entry.size()));
        if (candidate.compare(wanted, Qt::CaseInsensitive) == 0 && (!best || entry < *best)) {
            best = entry;
        }
    }
    return best;
}

bool NameExists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// True when every component of `root` starts `path`.
bool IsUnder(const fs::path& path, const fs::path& root) {
    auto p = path.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++p) {
        if (p == path.end() || *p != *r) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string ToNativePath(std::string_view path) {
    if (!HasDriveLetter(path)) {
        return std::string(path);
    }
    return ToNativePathFromUnicode(Cp1252ToUtf8(path));
}

std::string ToNativePathFromUnicode(std::string_view utf8Path) {
    const std::string prefix = WinePrefix();
    if (!HasDriveLetter(utf8Path) || prefix.empty()) {
        return std::string(utf8Path);
    }
    const std::string drive{LowerAscii(utf8Path[0]), ':'};
    fs::path native = fs::path(prefix) / "dosdevices" / drive;
    const std::string rest(utf8Path.substr(2));
    for (const std::string& component : SplitComponents(rest)) {
        fs::path next = native / component;
        if (component.find_first_of("*?") == std::string::npos && !NameExists(next)) {
            if (const auto match = FindIgnoringCase(native, component)) {
                next = native / *match;
            }
        }
        native = std::move(next);
    }
    std::string result = native.string();
    if (!rest.empty() && IsSeparator(rest.back()) && result.back() != '/') {
        result += '/';
    }
    return result;
}

std::string ToWindowsPath(std::string_view nativePath) {
    const std::string unchanged(nativePath);
    const std::string prefix = WinePrefix();
    if (nativePath.empty() || nativePath.front() != '/' || prefix.empty()) {
        return unchanged;
    }
    const bool trailing = nativePath.size() > 1 && nativePath.back() == '/';
    std::error_code error;
    const fs::path target = fs::weakly_canonical(fs::path(unchanged), error);
    if (error) {
        return unchanged;
    }
    std::optional<char> letter;
    fs::path driveRoot;
    std::ptrdiff_t depth = -1;
    for (fs::directory_iterator it(fs::path(prefix) / "dosdevices", error);
         !error && it != fs::directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != 2 || name[1] != ':' || name[0] < 'a' || name[0] > 'z') {
            continue;
        }
        std::error_code linkError;
        const fs::path root = fs::canonical(it->path(), linkError);
        if (linkError || !fs::is_directory(root, linkError) || !IsUnder(target, root)) {
            continue;
        }
        const auto rootDepth = std::distance(root.begin(), root.end());
        if (rootDepth > depth || (rootDepth == depth && name[0] < *letter)) {
            letter = name[0];
            driveRoot = root;
            depth = rootDepth;
        }
    }
    if (!letter) {
        return unchanged;
    }
    std::string windows{static_cast<char>(*letter - 'a' + 'A'), ':', '\\'};
    const fs::path relative = target.lexically_relative(driveRoot);
    bool first = true;
    for (const auto& component : relative) {
        if (component.empty() || component == ".") {
            continue;
        }
        if (!first) {
            windows += '\\';
        }
        windows += component.string();
        first = false;
    }
    if (trailing && !first) {
        windows += '\\';
    }
    return Utf8ToCp1252(windows);
}

#endif

bool FileExists(std::string_view windowsOrNativePath) {
    if (windowsOrNativePath.empty()) {
        return false;
    }
    return kmission::FileExists(ToNativePath(windowsOrNativePath));
}

} // namespace kmission::platform
