#pragma once

#include <string>

namespace kmission::platform {

inline constexpr const char* kGameRegistryKey = "Software\\Brintell\\Korvane 3\\1.0";
inline constexpr const char* kGameFolderValue = "Program";
inline constexpr const char* kDataSubdirectory = "pbd\\";
inline constexpr const char* kFallbackDataDir = "D:\\Korv3\\pbd\\";

// The game's data directory as Windows text (windows-1252): the text value
// "Program" of the game's key under LocalMachine followed directly by "pbd\"
// (no separator is inserted, so a folder without its trailing backslash gives
// a directory that does not exist), else "D:\Korv3\pbd\". A key that does not
// open, a missing value, a 32-bit number or any other type give the fallback.
// Under Wine, a folder whose name has letters outside windows-1252 gives the
// native path of its "pbd" folder (ToNativePathFromUnicode), so that its
// letters reach the file system intact.
std::string ReadDataDir();

} // namespace kmission::platform
