#include "units_command.h"

#include "codepage.h"
#include "json_writer.h"
#include "message_output.h"
#include "mission.h"

namespace kmission::tool {

std::vector<UnitPick> UnitList(const MissionModel& mission) {
    std::vector<UnitPick> units;
    const int entry = UnitListEntry(mission);
    if (entry < 0) {
        return units;
    }
    const EntryTree& tree = mission.missionEntries[static_cast<std::size_t>(entry)];
    for (int k = 1; k <= tree.nodeCount(); ++k) {
        if (IsUnitWithValues(tree, k)) {
            units.push_back({entry, k});
        }
    }
    return units;
}

UnitsCommand::UnitsCommand()
    : Command("units", "Print the units the editor can pick, as JSON or CSV.",
              "Opens ARCHIVE as File > Open does and prints the units of its unit list\n"
              "entry (the first entry whose name begins with \"aiv\"), the units the\n"
              "editor picks and edits, in the order of their nodes:\n"
              "  [{\"name\": N, \"x\": X, \"y\": Y, \"z\": Z, \"angle\": A,\n"
              "    \"entry\": E, \"node\": K}, ...]\n"
              "X, Y and Z are the texts of the Properties window's rows of those names\n"
              "(Y is world Z at node K + 6, Z the second position value at K + 5), E is\n"
              "the entry's place in the archive (from 0, as in dump) and K the unit's\n"
              "name node (from 1). With --csv the same as CSV with a header line.",
              {{"ARCHIVE", "the mission archive"}}, {{"csv", "", "print CSV instead of JSON"}}) {}

namespace {

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\n\r") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    }
    return quoted + "\"";
}

} // namespace

int UnitsCommand::run(const QStringList& arguments, const Output& output) {
    MissionLoad load = LoadMissionFile(NativePath(arguments[0]));
    PrintMessages(load.messages, output.err);
    if (load.outcome != LoadOutcome::Loaded) {
        return kExitRefused;
    }
    EditorState state;
    state.mission = std::move(load.mission);
    const bool csv = switchSet("csv");
    JsonWriter json(true);
    json.beginArray();
    if (csv) {
        output.out << "name,x,y,z,angle,entry,node\n";
    }
    for (const UnitPick& unit : UnitList(state.mission)) {
        state.selectedEntry = unit.entry;
        state.selectedNode = unit.node;
        const UnitTexts texts = *SelectedUnitTexts(state);
        if (csv) {
            for (const std::string* text :
                 {&texts.name, &texts.x, &texts.y, &texts.z, &texts.angle}) {
                output.out << CsvField(Cp1252ToUtf8(*text)) << ',';
            }
            output.out << unit.entry << ',' << unit.node << '\n';
            continue;
        }
        json.beginInlineObject();
        json.key("name").string(Cp1252ToUtf8(texts.name));
        json.key("x").string(Cp1252ToUtf8(texts.x));
        json.key("y").string(Cp1252ToUtf8(texts.y));
        json.key("z").string(Cp1252ToUtf8(texts.z));
        json.key("angle").string(Cp1252ToUtf8(texts.angle));
        json.key("entry").integer(unit.entry);
        json.key("node").integer(unit.node);
        json.endObject();
    }
    json.endArray();
    if (!csv) {
        output.out << json.text() << '\n';
    }
    return kExitOk;
}

} // namespace kmission::tool
