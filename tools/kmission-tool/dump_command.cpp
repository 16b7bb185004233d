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

namespace {

void PrintEntry(JsonWriter& json, const ArchiveEntry& record, const NodeList& nodes) {
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
    for (std::size_t k = 1; k < nodes.size(); ++k) {
        json.beginInlineArray()
            .integer(nodes[k].type())
            .integer(nodes[k].length())
            .string(Cp1252ToUtf8(nodes[k].text()))
            .endArray();
    }
    json.endArray().endObject();
}

} // namespace

int DumpCommand::run(const QStringList& arguments, const Output& output) {
    const std::string path = NativePath(arguments[0]);
    // A large mission is never held whole: the archive is read once to learn
    // whether the editor opens it, entry by entry and forgetting each, and
    // then once more, printing each entry as it is read.
    MissionReadOptions options;
    options.requireMissionInfo = false;
    options.takeEntry = [](std::size_t, EntryTree&) {};
    const MissionLoad check = LoadMissionFile(path, options);
    PrintMessages(check.messages, output.err);
    if (check.outcome != LoadOutcome::Loaded) {
        return kExitRefused;
    }
    JsonWriter json(switchSet("pretty"));
    json.beginObject().key("entries").beginArray();
    options.takeEntry = [&](std::size_t slot, EntryTree& entry) {
        PrintEntry(json, check.mission.archiveDirectory.at(slot), entry.nodes);
        json.flushTo(output.out);
    };
    if (LoadMissionFile(path, options).outcome != LoadOutcome::Loaded) {
        output.err << kToolName << ": " << path << " changed while it was read\n";
        return kExitRefused;
    }
    json.endArray().endObject();
    json.flushTo(output.out);
    output.out << '\n';
    return kExitOk;
}

} // namespace kmission::tool
