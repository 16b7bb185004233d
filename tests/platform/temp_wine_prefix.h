#pragma once

// The one builder of Wine registries and prefixes for the platform tests:
// registry file texts, and off Windows prefixes and homes in fresh temporary
// folders, made current through the environment for the object's lifetime
// (every variable changed is put back).

#include <string>
#include <string_view>

#ifndef _WIN32
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#include <unistd.h>
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

// Sets the variable `name` to `value` (unsets it for nothing) until destroyed.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        set(value);
    }
    ~ScopedEnv() { set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value) const {
        if (value) {
            setenv(name_, value->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

    const char* name_;
    std::optional<std::string> old_;
};

// A fresh temporary folder, removed with its contents.
class TempFolder {
public:
    TempFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kmission-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

    // A file holding `text` at `relative`, with its folders.
    std::filesystem::path makeFile(const std::string& relative, std::string_view text = "x") const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        return file;
    }

private:
    std::filesystem::path path_;
};

// A Wine prefix made current through $WINEPREFIX.
class TempWinePrefix : public TempFolder {
public:
    TempWinePrefix() { std::filesystem::create_directories(path() / "dosdevices"); }

    void writeSystemReg(std::string_view text) const { makeFile("system.reg", text); }
    void writeUserReg(std::string_view text) const { makeFile("user.reg", text); }

    // A folder of the prefix linked as drive `letter` (lower case), the way
    // Wine links "c:" to "drive_c".
    std::filesystem::path makeDrive(char letter, const std::string& folder) const {
        const std::filesystem::path target = path() / folder;
        std::filesystem::create_directories(target);
        linkDrive(letter, target);
        return target;
    }

    void linkDrive(char letter, const std::filesystem::path& target) const {
        std::filesystem::create_directory_symlink(target, path() / "dosdevices" /
                                                              (std::string(1, letter) + ":"));
    }

private:
    ScopedEnv prefix_{"WINEPREFIX", path().string()};
};

// A $HOME without $WINEPREFIX, where prefixes are put where players keep them.
class TempHome : public TempFolder {
public:
    // A prefix at `relative` whose "system.reg" is `systemReg`.
    void makePrefix(const std::string& relative, std::string_view systemReg) const {
        makeFile(relative + "/system.reg", systemReg);
    }

private:
    ScopedEnv home_{"HOME", path().string()};
    ScopedEnv prefix_{"WINEPREFIX", std::nullopt};
};

#endif

} // namespace kmission::test
