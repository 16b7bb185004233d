#pragma once

#include "command.h"

#include <string>

namespace kmission::tool {

// The members of the environment, one a line (no line feed after the last),
// for the help texts.
std::string EnvironmentMemberList();

class EnvCommand : public Command {
public:
    EnvCommand();

protected:
    int run(const QStringList& arguments, const Output& output) override;
};

} // namespace kmission::tool
