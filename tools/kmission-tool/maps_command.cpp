#include "maps_command.h"

#include "codepage.h"
#include "file_exists.h"
#include "file_io.h"
#include "json_writer.h"
#include "map_catalogue.h"
#include "message_output.h"
#include "text.h"

#include <cmath>

namespace kmission::tool {

MapsCommand::MapsCommand()
    : Command("maps", "Print the map catalogue of reader.pbd as JSON.",
              "Reads READER_PBD as the editor reads \"reader.pbd\" at start-up and prints\n"
              "its map catalogue as one JSON object:\n"
              "  {\"maps\": [{\"name\": N, \"bitmap\": B, \"mpp\": M,\n"
              "             \"offsetX\": X, \"offsetY\": Y, \"offsetZ\": Z}, ...]}\n"
              "Names are the 12-character fields as stored; an mpp that is not a finite\n"
              "number is null. Messages about map records that do not have the expected\n"
              "layout go to standard error and do not change the exit code.",
              {{"READER_PBD", "the shared archive \"reader.pbd\""}}) {}

int MapsCommand::run(const QStringList& arguments, const Output& output) {
    const std::string path = NativePath(arguments[0]);
    if (!FileExists(path)) {
        PrintMessages({Message{"Bad Path!"}}, output.err);
        return kExitRefused;
    }
    const auto file = ReadWholeFile(path);
    if (!file) {
        output.err << kToolName << ": cannot read " << path << "\n";
        return kExitRefused;
    }
    const SharedArchive shared = ReadSharedArchive(*file);
    PrintMessages(shared.messages, output.err);
    if (!shared.ok) {
        return kExitRefused;
    }
    JsonWriter json;
    json.beginObject().key("maps").beginArray();
    for (const MapInfo& map : shared.catalogue.maps) {
        json.beginObject();
        json.key("name").string(Cp1252ToUtf8(map.name));
        json.key("bitmap").string(Cp1252ToUtf8(map.bitmap));
        json.key("mpp");
        if (std::isfinite(map.mpp)) {
            json.number(FloatText(map.mpp));
        } else {
            json.null();
        }
        json.key("offsetX").integer(map.offsetX);
        json.key("offsetY").integer(map.offsetY);
        json.key("offsetZ").integer(map.offsetZ);
        json.endObject();
    }
    json.endArray().endObject();
    output.out << json.text() << '\n';
    return kExitOk;
}

} // namespace kmission::tool
