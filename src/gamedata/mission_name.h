#pragma once

#include "mission.h"

#include <optional>
#include <string>

namespace kmission {

inline constexpr const char* kNamePrompt = "Mission Name:";
inline constexpr const char* kNameTitle = "Name";

// The default text of Mission > Name: the cleaned mission name, when a mission
// is open, it has an info entry and node 3 of that entry is "db_name";
// nothing otherwise (the command then does nothing).
std::optional<std::string> CurrentMissionName(const MissionModel& mission);

// Stores `answer` as typed (not cleaned) as the mission name and returns the
// new window title. An empty answer counts as cancel and changes nothing;
// nothing happens either when CurrentMissionName has nothing.
std::optional<std::string> RenameMission(MissionModel& mission, const std::string& answer);

} // namespace kmission
