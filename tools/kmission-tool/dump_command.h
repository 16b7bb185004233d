#pragma once

#include "command.h"

namespace kmission::tool {

class DumpCommand : public Command {
public:
    DumpCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
