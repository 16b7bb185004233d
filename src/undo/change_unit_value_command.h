#pragma once

#include "node_texts_command.h"

namespace kmission {

// One value of the selected unit typed through a ".." button of the properties window.
class ChangeUnitValueCommand : public NodeTextsCommand {
public:
    ChangeUnitValueCommand(MissionHistory& history, std::vector<NodeTextChange> changes);

private:
    void notify() override;
};

} // namespace kmission
