#include "mission_name.h"

#include "text.h"

namespace kmission {

std::optional<std::string> CurrentMissionName(const MissionModel& mission) {
    const int info = FindMissionInfo(mission);
    if (info < 0) {
        return std::nullopt;
    }
    const NodeList& nodes = mission.missionEntries[static_cast<std::size_t>(info)].nodes;
    // An info entry of fewer than five nodes has no name node to show or write.
    if (CleanText(NodeText(nodes, 3)) != kMissionNameKey || nodes.size() <= 5) {
        return std::nullopt;
    }
    return CleanText(NodeText(nodes, 5));
}

std::optional<std::string> RenameMission(MissionModel& mission, const std::string& answer) {
    if (answer.empty() || !CurrentMissionName(mission)) {
        return std::nullopt;
    }
    const auto info = static_cast<std::size_t>(FindMissionInfo(mission));
    mission.missionEntries[info].nodes[5].setText(answer);
    return MissionWindowTitle(CleanText(answer));
}

} // namespace kmission
