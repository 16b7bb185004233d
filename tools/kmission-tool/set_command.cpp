#include "set_command.h"

#include "codepage.h"
#include "env_command.h"
#include "environment_texts.h"
#include "message_output.h"
#include "mission_name.h"
#include "mission_save.h"
#include "number_text.h"
#include "units_command.h"

#include <array>

namespace kmission::tool {

SetCommand::SetCommand()
    : Command("set", "Change the name, environment or a unit of missions and save them.",
              "Opens each ARCHIVE as File > Open does, changes it as the editor's windows\n"
              "would and saves it as File > Save does, safely: in place, or to OUT with\n"
              "--out (one ARCHIVE only). Several ARCHIVEs take the same change each; one\n"
              "that fails does not stop the others, and the exit code is 0 only when\n"
              "every one was saved. Put them after -- when an option comes last.\n"
              "  --name TEXT            as Mission > Name with TEXT typed\n"
              "  --env MEMBER=VALUE     as the environment dialogs' OK with only that box\n"
              "                         changed; a member of two or three values takes\n"
              "                         them separated by commas (fog.color=200,190,150),\n"
              "                         fog.horizon takes hormain or horblack\n"
              "  --unit NAME --x X ...  as the Properties window's \"..\" buttons for the\n"
              "                         first unit of that name in the unit list; --y is\n"
              "                         the Y row (world Z), --z the Z row (see units)\n"
              "Values must be numbers (digits with an optional sign, decimal point and\n"
              "exponent) and are stored as typed. Refused, with nothing written: an\n"
              "unknown member, a value that is not a number, a setting the mission does\n"
              "not have, a unit not in the unit list, a mission without \"mpinfo.prd\".\n"
              "The environment members:\n" +
                  EnvironmentMemberList(),
              {{"ARCHIVE...", "the mission archives to change"}},
              {{"out", "OUT", "save to OUT instead of in place"},
               {"name", "TEXT", "the new mission name"},
               {"env", "MEMBER=VALUE", "an environment value to change (repeatable)"},
               {"unit", "NAME", "the unit whose values --x, --y, --z change"},
               {"x", "X", "the unit's X row"},
               {"y", "Y", "the unit's Y row"},
               {"z", "Z", "the unit's Z row"}}) {}

namespace {

// What to change in every mission, checked once before any file is touched.
struct MissionChange {
    std::optional<std::string> name;
    std::vector<std::pair<const EnvironmentMember*, std::vector<std::string>>> environment;
    std::optional<std::string> unit;
    std::array<std::optional<std::string>, 3> rows; // X, Y, Z
};

// `utf8` in the game's code page, or nothing when it holds a character the
// code page does not have.
std::optional<std::string> CodePage(const QString& utf8) {
    const std::string text = utf8.toStdString();
    std::string bytes = Utf8ToCp1252(text);
    if (Cp1252ToUtf8(bytes) != text) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> NumberValue(const QString& value, const std::string& what,
                                       std::string& refusal) {
    const std::string text = value.toStdString();
    if (!IsNumberText(text)) {
        refusal = "\"" + text + "\" is not a number (" + what + ").";
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> AddEnvironment(MissionChange& change, const QString& assignment) {
    const qsizetype equals = assignment.indexOf('=');
    const std::string name = assignment.left(equals).toStdString();
    const EnvironmentMember* member = equals < 0 ? nullptr : FindEnvironmentMember(name);
    if (member == nullptr) {
        return "unknown environment member \"" + name + "\" (see \"" + kToolName +
               " set --help\" for the members).";
    }
    const QStringList values = assignment.mid(equals + 1).split(',');
    if (values.size() != static_cast<qsizetype>(member->controls.size())) {
        return std::string(member->name) + " takes " + std::to_string(member->controls.size()) +
               (member->controls.size() == 1 ? " value" : " values separated by commas") + ".";
    }
    std::vector<std::string> texts;
    std::string refusal;
    for (const QString& value : values) {
        if (std::string_view(member->controls.front().first) == kHorizonControl) {
            if (HorizonIndex(value.toStdString()) < 0) {
                return "fog.horizon takes \"hormain\" or \"horblack\".";
            }
            texts.push_back(value.toStdString());
        } else if (const auto text = NumberValue(value, std::string(member->name), refusal)) {
            texts.push_back(*text);
        } else {
            return refusal;
        }
    }
    change.environment.emplace_back(member, std::move(texts));
    return std::nullopt;
}

// Puts the environment values in the boxes the dialogs would show them in and
// writes them back as OK does; the mission must have each member's setting.
std::optional<std::string> ChangeEnvironment(MissionModel& mission, const MissionChange& change) {
    NodeList& nodes =
        mission.missionEntries.at(static_cast<std::size_t>(FindMissionInfo(mission))).nodes;
    EnvironmentTexts texts;
    const EnvironmentKeySet loaded = LoadEnvironment(nodes, texts);
    for (const auto& [member, values] : change.environment) {
        if (!loaded.test(KeyIndex(member->key))) {
            return "the mission has no \"" + std::string(KeyText(member->key)) + "\" setting, so " +
                   std::string(member->name) + " cannot be changed.";
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            const auto& [control, index] = member->controls[i];
            texts.setText(member->key, control, index, values[i]);
        }
    }
    WriteEnvironment(nodes, texts, loaded);
    return std::nullopt;
}

std::optional<std::string> ChangeUnit(EditorState& state, const MissionChange& change) {
    for (const UnitPick& unit : UnitList(state.mission)) {
        const EntryTree& tree = state.mission.missionEntries[static_cast<std::size_t>(unit.entry)];
        if (tree.nodes[static_cast<std::size_t>(unit.node)].text() != *change.unit) {
            continue;
        }
        state.selectedEntry = unit.entry;
        state.selectedNode = unit.node;
        for (int row = 0; row < 3; ++row) {
            if (const auto& text = change.rows[static_cast<std::size_t>(row)]) {
                ChangeUnitValue(state, row, *text);
            }
        }
        return std::nullopt;
    }
    return "there is no unit \"" + Cp1252ToUtf8(*change.unit) + "\" in the unit list.";
}

// Opens, changes and saves one mission; the messages go to `err`.
bool ChangeMission(const std::string& path, const std::string& outPath, const MissionChange& change,
                   std::ostream& err) {
    MissionLoad load = LoadMissionFile(path);
    PrintMessages(load.messages, err);
    if (load.outcome != LoadOutcome::Loaded) {
        return false;
    }
    EditorState state;
    state.mission = std::move(load.mission);
    std::optional<std::string> refusal;
    if (change.name && !RenameMission(state.mission, *change.name)) {
        refusal = "the mission has no name to change (node 3 of \"mpinfo.prd\" is not "
                  "\"db_name\").";
    }
    if (!refusal && !change.environment.empty()) {
        refusal = ChangeEnvironment(state.mission, change);
    }
    if (!refusal && change.unit) {
        refusal = ChangeUnit(state, change);
    }
    if (refusal) {
        PrintMessages({Message{"Not changed: " + *refusal + " Nothing was written."}}, err);
        return false;
    }
    const Messages saved = SaveMissionFile(state.mission, outPath);
    PrintMessages(saved, err);
    return saved.size() == 1 && saved.front().text == kSavedMessage;
}

} // namespace

int SetCommand::run(const QStringList& arguments, const Output& output) {
    const auto usage = [&](const std::string& text) {
        output.err << kToolName << " set: " << text << "\n" << usageLine() << "\n";
        return kExitUsage;
    };
    if (optionValue("out") && arguments.size() > 1) {
        return usage("--out takes one ARCHIVE only");
    }
    if (!optionValue("unit") && (optionValue("x") || optionValue("y") || optionValue("z"))) {
        return usage("--x, --y and --z need --unit");
    }
    if (optionValue("unit") && !optionValue("x") && !optionValue("y") && !optionValue("z")) {
        return usage("--unit needs --x, --y or --z");
    }
    if (!optionValue("name") && !optionValue("env") && !optionValue("unit")) {
        return usage("nothing to change: give --name, --env or --unit");
    }

    MissionChange change;
    std::string refusal;
    if (const auto name = optionValue("name")) {
        change.name = CodePage(*name);
        if (!change.name || change.name->empty()) {
            refusal = "the name must be a text of windows-1252 characters, not empty.";
        }
    }
    for (const QString& assignment : optionValues("env")) {
        if (const auto reason = AddEnvironment(change, assignment); reason && refusal.empty()) {
            refusal = *reason;
        }
    }
    if (const auto unit = optionValue("unit")) {
        change.unit = CodePage(*unit);
        if (!change.unit) {
            refusal = "the unit name must be a text of windows-1252 characters.";
        }
        const char* rows[] = {"x", "y", "z"};
        for (std::size_t row = 0; row < 3; ++row) {
            if (const auto value = optionValue(rows[row])) {
                change.rows[row] = NumberValue(*value, std::string("--") + rows[row], refusal);
            }
        }
    }
    if (!refusal.empty()) {
        PrintMessages({Message{"Not changed: " + refusal + " Nothing was written."}}, output.err);
        return kExitRefused;
    }

    bool allSaved = true;
    for (const QString& archive : arguments) {
        if (arguments.size() > 1) {
            output.err << kToolName << ": " << NativePath(archive) << "\n";
        }
        const std::string path = NativePath(archive);
        const std::string outPath = optionValue("out") ? NativePath(*optionValue("out")) : path;
        allSaved = ChangeMission(path, outPath, change, output.err) && allSaved;
    }
    return allSaved ? kExitOk : kExitRefused;
}

} // namespace kmission::tool
