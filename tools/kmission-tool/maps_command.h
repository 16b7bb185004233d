#pragma once

#include "command.h"

namespace kmission::tool {

class MapsCommand : public Command {
public:
    MapsCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
