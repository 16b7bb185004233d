#pragma once

#include <string>
#include <string_view>

namespace kmission::demo {

// Writes a small game installation made entirely by this program, so that
// the editor has something to open on a machine without the game:
//   DIR/pbd/reader.pbd         map catalogue "maps.prd" and other entries
//   DIR/pbd/rimage.pbd         one 640 x 480 picture per map
//   DIR/pbd/readermp01.PBD ... missions on the demo maps
//   DIR/prefix/system.reg      a Wine registry naming DIR as the game folder
//   DIR/prefix/dosdevices/z:   a link to "/", Wine's drive Z:
// Folders are created as needed and files of the same names replaced.
// Returns false with a reason in `error` when something cannot be written.
bool WriteDemoInstallation(const std::string& dir, std::string& error);

// The Windows form of an absolute POSIX path on Wine's drive Z:, ending in a
// backslash: "/home/a/demo" gives "Z:\home\a\demo\".
std::string WindowsPathOnDriveZ(std::string_view absolutePath);

// The text of "system.reg" with the game's key and its value "Program" set to
// `windowsPath`, escaped as Wine writes strings (backslash and quote doubled
// with a backslash, other characters outside printable ASCII as \x escapes of
// their UTF-16 code units).
std::string WineRegistryText(std::string_view windowsPath);

} // namespace kmission::demo
