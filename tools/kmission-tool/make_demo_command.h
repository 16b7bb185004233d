#pragma once

#include "command.h"

namespace kmission::tool {

class MakeDemoCommand : public Command {
public:
    MakeDemoCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
