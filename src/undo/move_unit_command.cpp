#include "move_unit_command.h"

#include "mission_history.h"

namespace kmission {

MoveUnitCommand::MoveUnitCommand(MissionHistory& history, std::vector<NodeTextChange> changes)
    : NodeTextsCommand(history, std::move(changes), "Move Unit") {}

void MoveUnitCommand::notify() {
    emit history().unitTextsChanged();
}

} // namespace kmission
