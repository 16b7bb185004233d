#pragma once

#include <string>
#include <string_view>

namespace kmission::platform {

// The program keeps two kinds of paths. Windows paths ("C:\Game\pbd\reader.pbd",
// windows-1252 bytes) come from the game's registry entry and are built from
// `dataDir`. Native paths come from the file dialogs and are kept as they are:
// the editor never turns a chosen file back into a Windows path, so File > Open
// and File > Save work with what the dialog returned. Every path is translated
// just before it reaches the file system.
//
// On Windows both kinds are the same and nothing is translated.

// A path with a drive letter is looked up in the Wine prefix: the drive goes
// through "<prefix>/dosdevices/<letter>:" (lower-case letter), backslashes
// become slashes, the text becomes UTF-8, and every component that does not
// exist under its exact name is replaced by an entry of its folder whose name
// differs only in letter case (the first in name order when several do); game
// files copied from Windows media often carry other cases ("READER.PBD").
// Components with wildcards and those under a missing folder are kept as they
// are. A trailing separator is kept. Any other path is already native and is
// returned unchanged, as is every path when there is no prefix (neither
// $WINEPREFIX nor $HOME is set).
std::string ToNativePath(std::string_view path);

// As ToNativePath, for a Windows path in UTF-8: folders named in letters
// outside windows-1252, as the registry holds them.
std::string ToNativePathFromUnicode(std::string_view utf8Path);

// The reverse, for showing a native path where the program shows Windows
// paths: an absolute native path under a drive of the Wine prefix becomes
// "<LETTER>:\..." (windows-1252; characters outside it become "?"), choosing
// the drive whose folder lies deepest. Any other path is returned unchanged.
std::string ToWindowsPath(std::string_view nativePath);

// kmission::FileExists on the translated path: false for the empty path
// without asking the file system. Wildcards in the last component match as
// the core's FileExists matches them, which off Windows means with letter case.
bool FileExists(std::string_view windowsOrNativePath);

} // namespace kmission::platform
