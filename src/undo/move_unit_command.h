#pragma once

#include "node_texts_command.h"

namespace kmission {

// One whole drag of a unit in move mode, from button down to button up: its X and Z texts.
class MoveUnitCommand : public NodeTextsCommand {
public:
    MoveUnitCommand(MissionHistory& history, std::vector<NodeTextChange> changes);

private:
    void notify() override;
};

} // namespace kmission
