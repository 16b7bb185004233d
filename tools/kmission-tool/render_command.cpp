#include "render_command.h"

#include "message_output.h"
#include "render_view.h"

namespace kmission::tool {

namespace {

// Large enough for any file manager's preview, small enough that the scaled
// image is a few megabytes.
constexpr int kLargestSize = 4096;

} // namespace

RenderCommand::RenderCommand()
    : Command("render", "Paint a mission's map view as PNG.",
              "Reads \"reader.pbd\" and \"rimage.pbd\" from DATADIR, opens ARCHIVE as the\n"
              "editor's File > Open does and writes the 640 x 480 map view the editor then\n"
              "shows to OUT as PNG. The editor's messages are printed as they appear.\n"
              "With --size the view is scaled smoothly to fit N x N pixels, keeping its\n"
              "proportions, as file managers want their previews; a view without a map\n"
              "is then no preview, and nothing is written (exit 1), so that the file\n"
              "manager shows the file type's icon.",
              {{"DATADIR", "the game's data folder"},
               {"ARCHIVE", "the mission archive"},
               {"OUT", "the PNG file to write"}},
              {{"size", "N", "scale the view to fit N x N pixels (1 to 4096)"}}) {}

int RenderCommand::run(const QStringList& arguments, const Output& output) {
    int size = 0;
    if (const auto text = optionValue("size")) {
        bool number = false;
        size = text->toInt(&number);
        if (!number || size < 1 || size > kLargestSize) {
            output.err << kToolName << " render: --size needs a whole number from 1 to "
                       << kLargestSize << ", not \"" << text->toStdString() << "\"\n"
                       << usageLine() << "\n";
            return kExitUsage;
        }
    }
    const RenderResult result =
        RenderMissionView(NativePath(arguments[0]), NativePath(arguments[1]));
    PrintMessages(result.messages, output.err);
    if (!result.ok) {
        return kExitRefused;
    }
    // The "reader.pbd" beside the mission is not the game's, or lacks its map.
    if (size != 0 && !result.mapShown) {
        output.err << kToolName << " render: no map of the mission in \""
                   << arguments[0].toStdString() << "\", no preview\n";
        return kExitRefused;
    }
    const QImage image =
        size == 0 ? result.image
                  : result.image.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return WritePng(image, arguments[2], output, PngCompression::Fast);
}

} // namespace kmission::tool
