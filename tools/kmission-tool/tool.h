#pragma once

#include "command.h"

#include <memory>
#include <vector>

namespace kmission::tool {

// Every command of the tool, in the order the help lists them.
std::vector<std::unique_ptr<Command>> AllCommands();

std::string ToolHelpText();

// Runs the tool on a command line (program name first): "--help" and
// "--version", or the command named by the first argument.
int RunTool(const QStringList& arguments, const Output& output);

} // namespace kmission::tool
