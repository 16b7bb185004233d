#pragma once

#include "node_texts_command.h"

namespace kmission {

// One OK of the environment dialog: every value it changed, together.
class EditEnvironmentCommand : public NodeTextsCommand {
public:
    EditEnvironmentCommand(MissionHistory& history, std::vector<NodeTextChange> changes);

private:
    void notify() override;
};

} // namespace kmission
