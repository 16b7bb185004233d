#pragma once

// A Wine prefix in a fresh temporary folder, made the current one through
// $WINEPREFIX for the lifetime of the object (the previous value is put back).
// Tests build registry files and drives in it as the game's users have them.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include <unistd.h>

namespace kmission::test {

class TempWinePrefix {
public:
    TempWinePrefix() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kmission-prefix-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
        if (const char* old = std::getenv("WINEPREFIX")) {
            oldPrefix_ = old;
        }
        setenv("WINEPREFIX", path_.c_str(), 1);
        std::filesystem::create_directories(path_ / "dosdevices");
    }

    ~TempWinePrefix() {
        if (oldPrefix_) {
            setenv("WINEPREFIX", oldPrefix_->c_str(), 1);
        } else {
            unsetenv("WINEPREFIX");
        }
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    TempWinePrefix(const TempWinePrefix&) = delete;
    TempWinePrefix& operator=(const TempWinePrefix&) = delete;

    const std::filesystem::path& path() const { return path_; }

    void writeSystemReg(std::string_view text) const { writeFile(path_ / "system.reg", text); }
    void writeUserReg(std::string_view text) const { writeFile(path_ / "user.reg", text); }

    // A folder of the prefix linked as drive `letter` (lower case), the way
    // Wine links "c:" to "drive_c".
    std::filesystem::path makeDrive(char letter, const std::string& folder) const {
        const std::filesystem::path target = path_ / folder;
        std::filesystem::create_directories(target);
        linkDrive(letter, target);
        return target;
    }

    void linkDrive(char letter, const std::filesystem::path& target) const {
        std::filesystem::create_directory_symlink(target, path_ / "dosdevices" /
                                                              (std::string(1, letter) + ":"));
    }

    // An empty file at `relative` below the prefix, with its folders.
    std::filesystem::path makeFile(const std::string& relative) const {
        const std::filesystem::path file = path_ / relative;
        std::filesystem::create_directories(file.parent_path());
        writeFile(file, "x");
        return file;
    }

    static void writeFile(const std::filesystem::path& file, std::string_view text) {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
    }

private:
    std::filesystem::path path_;
    std::optional<std::string> oldPrefix_;
};

// A registry file's text: Wine's header and comment lines, then `body`.
inline std::string WineRegistryFile(std::string_view body) {
    return "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n\n" +
           std::string(body);
}

} // namespace kmission::test
