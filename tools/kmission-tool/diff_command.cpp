#include "diff_command.h"

#include "codepage.h"
#include "json_writer.h"
#include "message_output.h"
#include "mission_diff.h"

namespace kmission::tool {

namespace {

// diff's exit codes: the files are equal, they differ, one could not be read.
constexpr int kExitEqual = 0;
constexpr int kExitDifferent = 1;
constexpr int kExitTrouble = 2;

std::string EntryText(const EntryLabel& entry) {
    std::string text = JsonQuote(Cp1252ToUtf8(entry.name));
    if (entry.occurrence > 1) {
        text += " #" + std::to_string(entry.occurrence);
    }
    return text;
}

std::string NodeText(const ReaderNode& node, bool withType) {
    static const char* const kTypes[] = {"blank", "integer", "float", "string", "list"};
    std::string text = JsonQuote(Cp1252ToUtf8(node.text()));
    if (withType && node.type() >= 0 && node.type() <= kNodeList) {
        text += std::string(" (") + kTypes[node.type()] + ")";
    }
    return text;
}

void PrintText(const MissionDiff& diff, std::ostream& out) {
    for (const EntryChange& change : diff.entries) {
        out << "entry " << EntryText(change.entry);
        switch (change.kind) {
        case EntryChange::Added:
            out << " added at " << change.to << '\n';
            break;
        case EntryChange::Removed:
            out << " removed from " << change.from << '\n';
            break;
        case EntryChange::Moved:
            out << " moved from " << change.from << " to " << change.to << '\n';
            break;
        }
    }
    for (const FieldChange& change : diff.fields) {
        out << EntryText(change.entry) << ' ' << change.field << ": " << change.before << " -> "
            << change.after << '\n';
    }
    for (const ValueChange& change : diff.values) {
        out << EntryText(change.entry) << " node " << change.node
            << (change.path.empty() ? "" : " " + Cp1252ToUtf8(change.path)) << ": ";
        switch (change.kind) {
        case ValueChange::Changed: {
            const bool typed = change.before->type() != change.after->type();
            out << NodeText(*change.before, typed) << " -> " << NodeText(*change.after, typed);
            break;
        }
        case ValueChange::Added:
            out << "added " << NodeText(*change.after, false);
            break;
        case ValueChange::Removed:
            out << "removed " << NodeText(*change.before, false);
            break;
        }
        out << '\n';
    }
}

void EntryMembers(JsonWriter& json, const char* kind, const EntryLabel& entry) {
    json.beginInlineObject();
    json.key("kind").string(kind);
    json.key("entry").string(Cp1252ToUtf8(entry.name));
    json.key("occurrence").integer(entry.occurrence);
}

void NodeMember(JsonWriter& json, const char* key, const std::optional<ReaderNode>& node) {
    json.key(key);
    if (!node) {
        json.null();
        return;
    }
    json.beginInlineArray()
        .integer(node->type())
        .integer(node->length())
        .string(Cp1252ToUtf8(node->text()))
        .endArray();
}

void PrintJson(const MissionDiff& diff, std::ostream& out) {
    JsonWriter json(true);
    json.beginObject().key("differences").beginArray();
    for (const EntryChange& change : diff.entries) {
        static const char* const kKinds[] = {"entry added", "entry removed", "entry moved"};
        EntryMembers(json, kKinds[change.kind], change.entry);
        json.key("from").integer(change.from).key("to").integer(change.to).endObject();
    }
    for (const FieldChange& change : diff.fields) {
        EntryMembers(json, "field changed", change.entry);
        json.key("field").string(change.field);
        json.key("old").string(change.before).key("new").string(change.after).endObject();
    }
    for (const ValueChange& change : diff.values) {
        static const char* const kKinds[] = {"value changed", "value added", "value removed"};
        EntryMembers(json, kKinds[change.kind], change.entry);
        json.key("node").integer(change.node);
        json.key("path").string(Cp1252ToUtf8(change.path));
        NodeMember(json, "old", change.before);
        NodeMember(json, "new", change.after);
        json.endObject();
    }
    json.endArray().endObject();
    out << json.text() << '\n';
}

} // namespace

DiffCommand::DiffCommand()
    : Command("diff", "Print the differences between two missions.",
              "Reads A and B as dump does and prints what changed from A to B, one line\n"
              "each: entries added, removed or moved (places from 0, as in dump), the\n"
              "directory fields of an entry that changed, and every value that changed,\n"
              "was added or was removed, with its entry, its node number and the path of\n"
              "key names it stands under (\"fog/color[1]\": the second value of the key\n"
              "\"color\" in the block \"fog\"), then the old and the new text. Entries are\n"
              "paired by name (an entry \"x.prd\" that occurs a second time is \"x.prd\" #2).\n"
              "Exit status: 0 when the missions are equal, 1 when they differ, 2 when\n"
              "one cannot be read. With --json the same as one JSON object:\n"
              "  {\"differences\": [{\"kind\": K, \"entry\": N, \"occurrence\": I, ...}]}\n"
              "with K \"entry added\", \"entry removed\", \"entry moved\" (\"from\", \"to\"),\n"
              "\"field changed\" (\"field\", \"old\", \"new\") or \"value changed\", \"value\n"
              "added\", \"value removed\" (\"node\", \"path\", \"old\" and \"new\" as\n"
              "[type, length, text] or null).",
              {{"A", "the first archive"}, {"B", "the second archive"}},
              {{"json", "", "print JSON instead of text"}}) {}

int DiffCommand::run(const QStringList& arguments, const Output& output) {
    MissionReadOptions options;
    options.requireMissionInfo = false;
    const MissionLoad a = LoadMissionFile(NativePath(arguments[0]), options);
    PrintMessages(a.messages, output.err);
    const MissionLoad b = LoadMissionFile(NativePath(arguments[1]), options);
    PrintMessages(b.messages, output.err);
    if (a.outcome != LoadOutcome::Loaded || b.outcome != LoadOutcome::Loaded) {
        return kExitTrouble;
    }
    const MissionDiff diff = DiffMissions(a.mission, b.mission);
    if (switchSet("json")) {
        PrintJson(diff, output.out);
    } else {
        PrintText(diff, output.out);
    }
    return diff.empty() ? kExitEqual : kExitDifferent;
}

} // namespace kmission::tool
