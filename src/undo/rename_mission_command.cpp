#include "rename_mission_command.h"

#include "mission_history.h"

namespace kmission {

RenameMissionCommand::RenameMissionCommand(MissionHistory& history,
                                           std::vector<NodeTextChange> changes)
    : NodeTextsCommand(history, std::move(changes), "Rename Mission") {}

void RenameMissionCommand::notify() {
    emit history().missionNameChanged();
}

} // namespace kmission
