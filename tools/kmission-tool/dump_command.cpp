#include "dump_command.h"

#include "codepage.h"
#include "json_writer.h"
#include "message_output.h"
#include "mission.h"
#include "mission_json.h"
#include "text.h"

namespace kmission::tool {

DumpCommand::DumpCommand()
    : Command("dump", "Print the entries and values of an archive as JSON.",
              "Reads ARCHIVE as File > Open reads a mission archive (a mission info entry\n"
              "is not required) and prints one JSON object:\n"
              "  {\"entries\": [{\"name\": N, \"offset\": O, \"size\": S,\n"
              "                \"nameField\": HEX, \"aux1\": I, \"auxText\": HEX,\n"
              "                \"aux2\": I, \"aux3\": I, \"aux4\": I, \"aux5\": I,\n"
              "                \"nodes\": [[type, length, text], ...]}, ...]}\n"
              "with the entries in directory order, their cleaned names, offsets and\n"
              "sizes as read, every other field of their directory records (the two\n"
              "64-byte fields as 128 hex digits) and their values from the first on.\n"
              "Texts are windows-1252, the five bytes it leaves undefined shown as the\n"
              "C1 controls of the same number. \"pack\" turns the output back into the\n"
              "archive that File > Save writes. Messages the editor would show go to\n"
              "standard error as \"TITLE: TEXT\".",
              {{"ARCHIVE", "the archive to read (a \"readermp*.PBD\" mission)"}},
              {{"pretty", "", "one value a line, for people and line-by-line comparison"}}) {}

int DumpCommand::run(const QStringList& arguments, const Output& output) {
    MissionReadOptions options;
    options.requireMissionInfo = false;
    const MissionLoad load = LoadMissionFile(NativePath(arguments[0]), options);
    PrintMessages(load.messages, output.err);
    if (load.outcome != LoadOutcome::Loaded) {
        return kExitRefused;
    }
    const MissionModel& mission = load.mission;
    JsonWriter json(switchSet("pretty"));
    json.beginObject().key("entries").beginArray();
    // Entry by entry, so that the text of a large mission is never held whole.
    for (std::size_t i = 0; i < mission.missionEntries.size(); ++i) {
        const ArchiveEntry& record = mission.archiveDirectory.at(i);
        json.beginObject();
        json.key("name").string(Cp1252ToUtf8(CleanText(record.name)));
        json.key("offset").integer(record.offset);
        json.key("size").integer(record.size);
        json.key(kNameField).string(HexText(record.name));
        json.key(kAux1).integer(record.aux1);
        json.key(kAuxText).string(HexText(record.auxText));
        json.key(kAux2).integer(record.aux2);
        json.key(kAux3).integer(record.aux3);
        json.key(kAux4).integer(record.aux4);
        json.key(kAux5).integer(record.aux5);
        json.key(kNodes).beginArray();
        const NodeList& nodes = mission.missionEntries[i].nodes;
        for (std::size_t k = 1; k < nodes.size(); ++k) {
            json.beginInlineArray()
                .integer(nodes[k].type())
                .integer(nodes[k].length())
                .string(Cp1252ToUtf8(nodes[k].text()))
                .endArray();
        }
        json.endArray().endObject();
        json.flushTo(output.out);
    }
    json.endArray().endObject();
    json.flushTo(output.out);
    output.out << '\n';
    return kExitOk;
}

} // namespace kmission::tool
