#pragma once

#include "node_texts_command.h"

namespace kmission {

// Mission > Name: the name node of the mission info entry.
class RenameMissionCommand : public NodeTextsCommand {
public:
    RenameMissionCommand(MissionHistory& history, std::vector<NodeTextChange> changes);

private:
    void notify() override;
};

} // namespace kmission
