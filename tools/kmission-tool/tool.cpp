#include "tool.h"

#include "diff_command.h"
#include "dump_command.h"
#include "env_command.h"
#include "make_demo_command.h"
#include "maps_command.h"
#include "pack_command.h"
#include "picture_command.h"
#include "render_command.h"
#include "resave_command.h"
#include "set_command.h"
#include "units_command.h"

#include <algorithm>

namespace kmission::tool {

std::vector<std::unique_ptr<Command>> AllCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(std::make_unique<DumpCommand>());
    commands.push_back(std::make_unique<PackCommand>());
    commands.push_back(std::make_unique<EnvCommand>());
    commands.push_back(std::make_unique<SetCommand>());
    commands.push_back(std::make_unique<UnitsCommand>());
    commands.push_back(std::make_unique<DiffCommand>());
    commands.push_back(std::make_unique<MapsCommand>());
    commands.push_back(std::make_unique<ResaveCommand>());
    commands.push_back(std::make_unique<PictureCommand>());
    commands.push_back(std::make_unique<RenderCommand>());
    commands.push_back(std::make_unique<MakeDemoCommand>());
    return commands;
}

std::string ToolHelpText() {
    const auto commands = AllCommands();
    std::size_t width = 0;
    for (const auto& command : commands) {
        width = std::max(width, command->name().size());
    }
    std::string text = std::string("Usage: ") + kToolName +
                       " COMMAND [ARGUMENTS]\n\n"
                       "Reads and writes the files of Korvane 3 multiplayer missions as the\n"
                       "KMission editor does.\n\nCommands:\n";
    for (const auto& command : commands) {
        text += "  " + command->name() + std::string(width - command->name().size() + 2, ' ') +
                command->summary() + "\n";
    }
    text += std::string("\nOptions:\n  -h, --help  Show this help.\n  --version   Show the "
                        "version.\n\nRun \"") +
            kToolName + " COMMAND --help\" for the arguments of a command.\n";
    return text;
}

int RunTool(const QStringList& arguments, const Output& output) {
    const QString first = arguments.value(1);
    if (first == "-h" || first == "--help") {
        output.out << ToolHelpText();
        return kExitOk;
    }
    if (first == "--version") {
        output.out << kToolName << " " << KMISSION_VERSION << "\n";
        return kExitOk;
    }
    if (first.isEmpty()) {
        output.err << kToolName << ": no command given\n\n" << ToolHelpText();
        return kExitUsage;
    }
    for (const auto& command : AllCommands()) {
        if (QString::fromStdString(command->name()) == first) {
            return command->execute(arguments.mid(2), output);
        }
    }
    output.err << kToolName << ": unknown command \"" << first.toStdString() << "\"\n\n"
               << ToolHelpText();
    return kExitUsage;
}

} // namespace kmission::tool
