#include "change_unit_value_command.h"

#include "mission_history.h"

namespace kmission {

ChangeUnitValueCommand::ChangeUnitValueCommand(MissionHistory& history,
                                               std::vector<NodeTextChange> changes)
    : NodeTextsCommand(history, std::move(changes), "Change Value") {}

void ChangeUnitValueCommand::notify() {
    emit history().unitTextsChanged();
}

} // namespace kmission
