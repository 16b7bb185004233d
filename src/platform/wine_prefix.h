#pragma once

#include <string>
#include <vector>

namespace kmission::platform {

// The Wine prefix the game runs in. $WINEPREFIX when set and not empty.
// Otherwise "~/.wine" ($HOME) when its registry has the game's "Program"
// value; else the first of the prefixes that other programs keep Windows
// games in (WinePrefixCandidates) whose registry has it; else "~/.wine".
// Empty when neither variable is set. $WINEPREFIX is read on every call; the
// search below $HOME is done once for each $HOME and remembered, as it reads
// every candidate's registry. Only meaningful off Windows.
std::string WinePrefix();

// The places where players keep Windows games, in the order they are tried
// after "~/.wine", each folder's entries in name order:
//   ~/Games/*                                    Lutris
//   ~/.local/share/bottles/bottles/*             Bottles
//   ~/.steam/steam/steamapps/compatdata/*/pfx    Steam's Proton
//   ~/.local/share/Steam/steamapps/compatdata/*/pfx
//   ~/.local/share/wineprefixes/*                winetricks and others
// Only folders that exist are listed.
std::vector<std::string> WinePrefixCandidates(const std::string& home);

} // namespace kmission::platform
