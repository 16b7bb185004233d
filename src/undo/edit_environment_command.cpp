#include "edit_environment_command.h"

#include "mission_history.h"

namespace kmission {

EditEnvironmentCommand::EditEnvironmentCommand(MissionHistory& history,
                                               std::vector<NodeTextChange> changes)
    : NodeTextsCommand(history, std::move(changes), "Edit Environment") {}

void EditEnvironmentCommand::notify() {
    emit history().environmentChanged();
}

} // namespace kmission
