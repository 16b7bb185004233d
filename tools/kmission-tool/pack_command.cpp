#include "pack_command.h"

#include "message_output.h"
#include "mission_json.h"
#include "mission_save.h"

#include <QFile>

#include <cstdio>

namespace kmission::tool {

PackCommand::PackCommand()
    : Command(
          "pack", "Build an archive from the JSON that dump prints.",
          "Reads JSON (a file, or - for standard input) in the form \"dump\" prints\n"
          "and saves the mission it describes to OUT as File > Save does, safely:\n"
          "an existing OUT is replaced only once the new file is complete. For an\n"
          "archive X, \"pack\" of \"dump X\" writes exactly the bytes File > Save\n"
          "writes for X. The JSON may be edited by hand: \"name\" must stay the\n"
          "cleaned text of \"nameField\", \"offset\" and \"size\" are not read, and\n"
          "the text of a number must be a number (\"INF\", \"-INF\", \"NAN\" and\n"
          "\"-NAN\" for floats too) that fits its type. Anything that does not fit is\n"
          "refused with a message naming the entry and node, and nothing is written.",
          {{"JSON", "the JSON file, or - for standard input"}, {"OUT", "the archive to write"}}) {}

namespace {

std::optional<QByteArray> ReadJson(const QString& argument) {
    QFile file(argument);
    const bool opened =
        argument == "-" ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened) {
        return std::nullopt;
    }
    return file.readAll();
}

} // namespace

int PackCommand::run(const QStringList& arguments, const Output& output) {
    const auto json = ReadJson(arguments[0]);
    if (!json) {
        PrintMessages({Message{"Not packed: \"" + NativePath(arguments[0]) +
                               "\" could not be read. Nothing was written."}},
                      output.err);
        return kExitRefused;
    }
    auto mission = MissionFromJson(*json);
    if (const auto* refusal = std::get_if<std::string>(&mission)) {
        PrintMessages({Message{"Not packed: " + *refusal + " Nothing was written."}}, output.err);
        return kExitRefused;
    }
    const Messages saved =
        SaveMissionFile(std::get<MissionModel>(mission), NativePath(arguments[1]));
    PrintMessages(saved, output.err);
    return saved.size() == 1 && saved.front().text == kSavedMessage ? kExitOk : kExitRefused;
}

} // namespace kmission::tool
