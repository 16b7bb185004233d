#include "env_command.h"

#include "codepage.h"
#include "environment_texts.h"
#include "json_writer.h"
#include "message_output.h"
#include "mission.h"

namespace kmission::tool {

std::string EnvironmentMemberList() {
    std::string list;
    for (const EnvironmentMember& member : EnvironmentMembers()) {
        list += (list.empty() ? "  " : "\n  ") + std::string(member.name);
        if (member.controls.size() > 1) {
            list += " (" + std::to_string(member.controls.size()) + " values)";
        }
    }
    return list;
}

EnvCommand::EnvCommand()
    : Command("env", "Print the environment of a mission as JSON.",
              "Opens ARCHIVE as File > Open does and prints the environment as the\n"
              "Environment dialog and its effect dialogs load it: one JSON object with a\n"
              "member for each value the dialogs show, for the settings the mission\n"
              "has. A member is the text the dialog's box shows (a string, exactly as\n"
              "stored), an array of them for a row of two or three boxes, and for\n"
              "\"fog.horizon\" the chosen entry, \"hormain\" or \"horblack\", or null.\n"
              "The members:\n" +
                  EnvironmentMemberList() +
                  "\nMessages the editor would show go to standard error as \"TITLE: TEXT\".",
              {{"ARCHIVE", "the mission archive"}}) {}

int EnvCommand::run(const QStringList& arguments, const Output& output) {
    const MissionLoad load = LoadMissionFile(NativePath(arguments[0]));
    PrintMessages(load.messages, output.err);
    if (load.outcome != LoadOutcome::Loaded) {
        return kExitRefused;
    }
    const int info = FindMissionInfo(load.mission);
    EnvironmentTexts texts;
    const EnvironmentKeySet found = LoadEnvironment(
        load.mission.missionEntries.at(static_cast<std::size_t>(info)).nodes, texts);
    JsonWriter json(true);
    json.beginObject();
    for (const EnvironmentMember& member : EnvironmentMembers()) {
        if (!found.test(KeyIndex(member.key))) {
            continue;
        }
        json.key(member.name);
        if (member.controls.size() > 1) {
            json.beginInlineArray();
        }
        for (const auto& [control, index] : member.controls) {
            if (const auto text = texts.text(member.key, control, index)) {
                json.string(Cp1252ToUtf8(*text));
            } else {
                json.null();
            }
        }
        if (member.controls.size() > 1) {
            json.endArray();
        }
    }
    json.endObject();
    output.out << json.text() << '\n';
    return kExitOk;
}

} // namespace kmission::tool
