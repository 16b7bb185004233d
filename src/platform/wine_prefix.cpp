#include "wine_prefix.h"

#include "data_dir.h"
#include "wine_registry.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

namespace kmission::platform {

namespace {

namespace fs = std::filesystem;

// Whether the prefix's registry names the game's folder, in either view.
bool HasTheGame(const fs::path& prefix) {
    std::ifstream in(prefix / "system.reg", std::ios::binary);
    if (!in) {
        return false;
    }
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const auto key = FindWineRegistryKey(text, kGameRegistryKey);
    return key && key->find(kGameFolderValue) != nullptr;
}

// The folders inside `folder`, in name order, each followed by `below`.
void AddSubfolders(const fs::path& folder, const char* below, std::vector<std::string>& out) {
    std::error_code ec;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path candidate = *below != '\0' ? it->path() / below : it->path();
        if (fs::is_directory(candidate, ec)) {
            found.push_back(candidate);
        }
    }
    std::sort(found.begin(), found.end());
    for (const fs::path& path : found) {
        out.push_back(path.string());
    }
}

std::string SearchPrefix(const std::string& home) {
    const std::string standard = home + "/.wine";
    if (HasTheGame(standard)) {
        return standard;
    }
    for (const std::string& candidate : WinePrefixCandidates(home)) {
        if (HasTheGame(candidate)) {
            return candidate;
        }
    }
    return standard;
}

} // namespace

std::vector<std::string> WinePrefixCandidates(const std::string& home) {
    const fs::path root(home);
    std::vector<std::string> candidates;
    AddSubfolders(root / "Games", "", candidates);
    AddSubfolders(root / ".local/share/bottles/bottles", "", candidates);
    AddSubfolders(root / ".steam/steam/steamapps/compatdata", "pfx", candidates);
    AddSubfolders(root / ".local/share/Steam/steamapps/compatdata", "pfx", candidates);
    AddSubfolders(root / ".local/share/wineprefixes", "", candidates);
    return candidates;
}

std::string WinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0') {
        return {};
    }
    static std::map<std::string, std::string> found;
    auto it = found.find(home);
    if (it == found.end()) {
        it = found.emplace(home, SearchPrefix(home)).first;
    }
    return it->second;
}

} // namespace kmission::platform
