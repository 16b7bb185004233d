#include "dump_command.h"

#include "codepage.h"
#include "json_writer.h"
#include "message_output.h"
#include "mission.h"
#include "text.h"

namespace kmission::tool {

DumpCommand::DumpCommand()
    : Command("dump", "Print the entries and values of an archive as JSON.",
              "Reads ARCHIVE as File > Open reads a mission archive (a mission info entry\n"
              "is not required) and prints one JSON object:\n"
              "  {\"entries\": [{\"name\": N, \"offset\": O, \"size\": S,\n"
              "                \"nodes\": [[type, length, text], ...]}, ...]}\n"
              "with the entries in directory order, their cleaned names, offsets and\n"
              "sizes as read, and their values from the first on. Messages the editor\n"
              "would show go to standard error as \"TITLE: TEXT\".",
              {{"ARCHIVE", "the archive to read (a \"readermp*.PBD\" mission)"}}) {}

int DumpCommand::run(const QStringList& arguments, const Output& output) {
    MissionReadOptions options;
    options.requireMissionInfo = false;
    const MissionLoad load = LoadMissionFile(NativePath(arguments[0]), options);
    PrintMessages(load.messages, output.err);
    if (load.outcome != LoadOutcome::Loaded) {
        return kExitRefused;
    }
    const MissionModel& mission = load.mission;
    JsonWriter json;
    json.beginObject().key("entries").beginArray();
    for (std::size_t i = 0; i < mission.missionEntries.size(); ++i) {
        const ArchiveEntry& record = mission.archiveDirectory.at(i);
        json.beginObject();
        json.key("name").string(Cp1252ToUtf8(CleanText(record.name)));
        json.key("offset").integer(record.offset);
        json.key("size").integer(record.size);
        json.key("nodes").beginArray();
        const NodeList& nodes = mission.missionEntries[i].nodes;
        for (std::size_t k = 1; k < nodes.size(); ++k) {
            json.beginArray()
                .integer(nodes[k].type())
                .integer(nodes[k].length())
                .string(Cp1252ToUtf8(nodes[k].text()))
                .endArray();
        }
        json.endArray().endObject();
    }
    json.endArray().endObject();
    output.out << json.text() << '\n';
    return kExitOk;
}

} // namespace kmission::tool
