#pragma once

// The one builder of Wine registries and prefixes for the platform tests:
// registry file texts, and off Windows prefixes and homes in fresh temporary
// folders, made current through the environment for the object's lifetime.

#include <string>
#include <string_view>

#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <QTemporaryDir>
#endif

namespace kmission::test {

// A registry file's text: Wine's header and comment lines, then `body`.
inline std::string WineRegistryFile(std::string_view body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n" +
           std::string(body);
}

// A registry file with the game's key holding `lines`, spelled as in the file.
inline std::string GameKeyWith(std::string_view lines) {
    return WineRegistryFile("[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n#time=1d9\n" +
                            std::string(lines) + "\n");
}

#ifndef _WIN32

// A fresh temporary folder, removed with its contents; $HOME and $WINEPREFIX
// are put back as they were when it goes.
class TempFolder {
public:
    ~TempFolder() {
        for (const auto& [name, value] : saved_) {
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
        }
    }

    std::filesystem::path path() const { return dir_.path().toStdString(); }

    // A file holding `text` at `relative`, with its folders.
    std::filesystem::path makeFile(const std::string& relative, std::string_view text = "x") const {
        const std::filesystem::path file = path() / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
        return file;
    }

private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    }

    QTemporaryDir dir_;
    const std::pair<const char*, std::optional<std::string>> saved_[2] = {
        {"HOME", Get("HOME")}, {"WINEPREFIX", Get("WINEPREFIX")}};
};

// A Wine prefix, the current one through $WINEPREFIX.
class TempWinePrefix : public TempFolder {
public:
    TempWinePrefix() {
        setenv("WINEPREFIX", path().c_str(), 1);
        std::filesystem::create_directories(path() / "dosdevices");
    }

    // A folder of the prefix (or any folder, given absolute) linked as drive
    // `letter` (lower case), the way Wine links "c:" to "drive_c".
    std::filesystem::path makeDrive(char letter, const std::filesystem::path& folder) const {
        const std::filesystem::path target = path() / folder;
        std::filesystem::create_directories(target);
        std::filesystem::create_directory_symlink(target, path() / "dosdevices" /
                                                              (std::string(1, letter) + ":"));
        return target;
    }
};

// A $HOME without $WINEPREFIX; prefixes go where players keep them.
class TempHome : public TempFolder {
public:
    TempHome() {
        setenv("HOME", path().c_str(), 1);
        unsetenv("WINEPREFIX");
    }
};

#endif

} // namespace kmission::test
