#pragma once

// The JSON form of a mission archive that "dump" prints and "pack" reads:
// every directory field that saving writes back, and every value as text.

#include "mission.h"

#include <QByteArray>

#include <string>
#include <string_view>
#include <variant>

namespace kmission::tool {

inline constexpr const char* kEntries = "entries";
inline constexpr const char* kName = "name";
inline constexpr const char* kNameField = "nameField";
inline constexpr const char* kAux1 = "aux1";
inline constexpr const char* kAuxText = "auxText";
inline constexpr const char* kAux2 = "aux2";
inline constexpr const char* kAux3 = "aux3";
inline constexpr const char* kAux4 = "aux4";
inline constexpr const char* kAux5 = "aux5";
inline constexpr const char* kNodes = "nodes";

// Bytes as two lower-case hex digits each.
std::string HexText(std::string_view bytes);

// The mission that `json` describes, with the directory and the nodes exactly
// as given (the offsets and sizes are left to the save), or the reason it is
// refused, naming the entry and node and, for a text that is not JSON at all,
// the line.
std::variant<MissionModel, std::string> MissionFromJson(const QByteArray& json);

} // namespace kmission::tool
