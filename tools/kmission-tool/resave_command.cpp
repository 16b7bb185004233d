#include "resave_command.h"

#include "message_output.h"
#include "mission.h"
#include "mission_save.h"

namespace kmission::tool {

ResaveCommand::ResaveCommand()
    : Command("resave", "Open a mission archive and save it unchanged to another file.",
              "Opens IN as File > Open does and saves it to OUT as File > Save does, with\n"
              "no change in between; OUT is replaced without a question. Every entry is\n"
              "written again from its values, packed from offset 0. The message boxes\n"
              "(\"Loaded!\", \"Saved!\" and any refusal) go to standard error.",
              {{"IN", "the mission archive to open"}, {"OUT", "the file to save to"}}) {}

int ResaveCommand::run(const QStringList& arguments, const Output& output) {
    MissionLoad load = LoadMissionFile(NativePath(arguments[0]));
    PrintMessages(load.messages, output.err);
    if (load.outcome != LoadOutcome::Loaded) {
        return kExitRefused;
    }
    PrintMessages({Message{kLoadedMessage}}, output.err);
    const Messages saved = SaveMissionFile(load.mission, NativePath(arguments[1]));
    PrintMessages(saved, output.err);
    const bool ok = saved.size() == 1 && saved.front().text == kSavedMessage;
    return ok ? kExitOk : kExitRefused;
}

} // namespace kmission::tool
