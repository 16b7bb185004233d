#pragma once

#include "command.h"

namespace kmission::tool {

class DiffCommand : public Command {
public:
    DiffCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
