#pragma once

#include "command.h"

namespace kmission::tool {

class SetCommand : public Command {
public:
    SetCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
