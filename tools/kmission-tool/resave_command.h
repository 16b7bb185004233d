#pragma once

#include "command.h"

namespace kmission::tool {

class ResaveCommand : public Command {
public:
    ResaveCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
