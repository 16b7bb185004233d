#pragma once

#include "command.h"

namespace kmission::tool {

class PackCommand : public Command {
public:
    PackCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
