#include "file_exists.h"

#include <filesystem>
#include <system_error>

namespace kmission {

namespace {

// `*` matches any run of characters, `?` any one character.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    std::size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') {
        ++p;
    }
    return p == pattern.size();
}

} // namespace

bool FileExists(std::string_view path) {
    if (path.empty()) {
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path full{std::string(path)};
    const std::string leaf = full.filename().string();
    if (leaf.find_first_of("*?") == std::string::npos) {
        return fs::is_regular_file(full, error);
    }
    const fs::path folder = full.has_parent_path() ? full.parent_path() : fs::path(".");
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        if (it->is_regular_file(error) && WildcardMatch(leaf, it->path().filename().string())) {
            return true;
        }
    }
    return false;
}

} // namespace kmission
