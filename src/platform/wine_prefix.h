#pragma once

#include <string>

namespace kmission::platform {

// The Wine prefix the game runs in: $WINEPREFIX when set and not empty, else
// "~/.wine" ($HOME). Read on every call. Empty when neither variable is set.
// Only meaningful off Windows.
std::string WinePrefix();

} // namespace kmission::platform
