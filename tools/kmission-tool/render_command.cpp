#include "render_command.h"

#include "message_output.h"
#include "render_view.h"

#include <QImageWriter>

namespace kmission::tool {

RenderCommand::RenderCommand()
    : Command("render", "Paint a mission's map view as PNG.",
              "Reads \"reader.pbd\" and \"rimage.pbd\" from DATADIR, opens ARCHIVE as the\n"
              "editor's File > Open does and writes the 640 x 480 map view the editor then\n"
              "shows to OUT as PNG. The editor's messages are printed as they appear.",
              {{"DATADIR", "the game's data folder"},
               {"ARCHIVE", "the mission archive"},
               {"OUT", "the PNG file to write"}}) {}

int RenderCommand::run(const QStringList& arguments, const Output& output) {
    const RenderResult result =
        RenderMissionView(NativePath(arguments[0]), NativePath(arguments[1]));
    PrintMessages(result.messages, output.err);
    if (!result.ok) {
        return kExitRefused;
    }
    QImageWriter writer(arguments[2], "png");
    if (!writer.write(result.image)) {
        output.err << kToolName << ": cannot write " << NativePath(arguments[2]) << ": "
                   << writer.errorString().toStdString() << "\n";
        return kExitRefused;
    }
    return kExitOk;
}

} // namespace kmission::tool
