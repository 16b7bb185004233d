#pragma once

#include "command.h"

#include "unit_editing.h"

#include <vector>

namespace kmission::tool {

// The units of the unit list entry that the editor can pick, in node order,
// each as a selection (entry and name node).
std::vector<UnitPick> UnitList(const MissionModel& mission);

class UnitsCommand : public Command {
public:
    UnitsCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
