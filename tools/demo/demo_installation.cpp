#include "demo_installation.h"

#include "demo_maps.h"
#include "demo_missions.h"
#include "file_io.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace kmission::demo {

namespace {

namespace fs = std::filesystem;

// Appends the UTF-16 code units of the UTF-8 sequence at `text[i]` and moves
// `i` past it; a byte that starts no valid sequence stands for itself.
void AppendUtf16Units(std::string_view text, std::size_t& i, std::u16string& units) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
    char32_t code = length == 1 ? lead : lead & (0x7F >> length);
    if (length > 1 && i + static_cast<std::size_t>(length) <= text.size()) {
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
            valid = valid && (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (valid) {
            i += static_cast<std::size_t>(length);
            if (code >= 0x10000) {
                code -= 0x10000;
                units.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
                units.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
            } else {
                units.push_back(static_cast<char16_t>(code));
            }
            return;
        }
    }
    units.push_back(static_cast<char16_t>(lead));
    ++i;
}

std::string EscapeRegistryString(std::string_view text) {
    std::u16string units;
    for (std::size_t i = 0; i < text.size();) {
        AppendUtf16Units(text, i, units);
    }
    std::string out;
    for (char16_t unit : units) {
        if (unit == u'\\' || unit == u'"') {
            out += '\\';
            out += static_cast<char>(unit);
        } else if (unit >= 0x20 && unit < 0x7F) {
            out += static_cast<char>(unit);
        } else {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%04x", static_cast<unsigned>(unit));
            out += escape;
        }
    }
    return out;
}

bool Write(const fs::path& path, ByteView bytes, std::string& error) {
    if (const auto failure = WriteFileSafely(path.string(), bytes)) {
        error = path.string() + ": " + *failure;
        return false;
    }
    return true;
}

bool WriteText(const fs::path& path, const std::string& text, std::string& error) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    return Write(path, ByteView(data, text.size()), error);
}

// Wine finds drive Z: through this link; an old link is replaced.
bool LinkDriveZ(const fs::path& dosdevices, std::string& error) {
    const fs::path link = dosdevices / "z:";
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(link, ec))) {
        fs::remove(link, ec);
    }
    fs::create_directory_symlink("/", link, ec);
    if (ec) {
        error = link.string() + ": " + ec.message();
        return false;
    }
    return true;
}

} // namespace

std::string WindowsPathOnDriveZ(std::string_view absolutePath) {
    std::string path = "Z:";
    for (char c : absolutePath) {
        path += c == '/' ? '\\' : c;
    }
    if (path.back() != '\\') {
        path += '\\';
    }
    return path;
}

std::string WineRegistryText(std::string_view windowsPath) {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\Machine\n"
           "\n"
           "#arch=win32\n"
           "\n"
           "[Software\\\\Brintell\\\\Korvane 3\\\\1.0] 1700000000\n"
           "#time=1d9a1b2c3d4e5f6\n"
           "\"Program\"=\"" +
           EscapeRegistryString(windowsPath) + "\"\n";
}

bool WriteDemoInstallation(const std::string& dir, std::string& error) {
    std::error_code ec;
    const fs::path root = fs::absolute(fs::path(dir), ec).lexically_normal();
    if (ec) {
        error = dir + ": " + ec.message();
        return false;
    }
    const fs::path pbd = root / "pbd";
    const fs::path prefix = root / "prefix";
    for (const fs::path& folder : {pbd, prefix / "dosdevices"}) {
        fs::create_directories(folder, ec);
        if (ec) {
            error = folder.string() + ": " + ec.message();
            return false;
        }
    }
    if (!Write(pbd / "reader.pbd", DemoReaderArchive(), error) ||
        !Write(pbd / "rimage.pbd", DemoPictureFile(), error)) {
        return false;
    }
    for (const DemoMission& mission : DemoMissionPlans()) {
        if (!Write(pbd / mission.fileName, BuildMissionArchive(mission), error)) {
            return false;
        }
    }
    // lexically_normal keeps a trailing separator as an empty last element.
    std::string folder = root.string();
    while (folder.size() > 1 && folder.back() == '/') {
        folder.pop_back();
    }
    return WriteText(prefix / "system.reg", WineRegistryText(WindowsPathOnDriveZ(folder)), error) &&
           LinkDriveZ(prefix / "dosdevices", error);
}

} // namespace kmission::demo
