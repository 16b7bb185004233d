#include "picture_command.h"

#include "codepage.h"
#include "map_catalogue.h"
#include "picture_decoder.h"

#include <QImage>

namespace kmission::tool {

PictureCommand::PictureCommand()
    : Command("picture", "Write a map picture of rimage.pbd as PNG.",
              "Finds the picture NAME in the index of RIMAGE_PBD as the editor does (the\n"
              "last record whose cleaned name equals NAME, ignoring case), decodes it and\n"
              "writes it to OUT as an 8-bit RGB PNG with exactly the decoded colours.",
              {{"RIMAGE_PBD", "the picture file \"rimage.pbd\""},
               {"NAME", "the map's name"},
               {"OUT", "the PNG file to write"}}) {}

int PictureCommand::run(const QStringList& arguments, const Output& output) {
    const std::string path = NativePath(arguments[0]);
    const std::string name = Utf8ToCp1252(arguments[1].toStdString());
    std::vector<PictureIndexEntry> index = ReadPictureIndexFile(path);
    if (FindPictureRecord(index, name) == 0) {
        output.err << kToolName << ": no picture named \"" << arguments[1].toStdString() << "\" in "
                   << path << "\n";
        return kExitRefused;
    }
    const auto picture = LoadPicture(path, index, name);
    if (!picture) {
        output.err << kToolName << ": the picture \"" << arguments[1].toStdString() << "\" in "
                   << path << " has a header that does not fit the file\n";
        return kExitRefused;
    }
    QImage image(picture->width, picture->height, QImage::Format_RGB888);
    for (int y = 0; y < picture->height; ++y) {
        uchar* line = image.scanLine(y);
        const std::uint32_t* row =
            picture->pixels.data() +
            static_cast<std::size_t>(y) * static_cast<std::size_t>(picture->width);
        for (int x = 0; x < picture->width; ++x) {
            line[3 * x] = static_cast<uchar>(row[x] >> 16);
            line[3 * x + 1] = static_cast<uchar>(row[x] >> 8);
            line[3 * x + 2] = static_cast<uchar>(row[x]);
        }
    }
    return WritePng(image, arguments[2], output);
}

} // namespace kmission::tool
