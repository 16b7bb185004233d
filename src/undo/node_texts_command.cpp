#include "node_texts_command.h"

#include "mission.h"
#include "mission_history.h"

namespace kmission {

std::vector<NodeTextChange> ChangedTexts(const MissionModel& mission, int entry,
                                         const NodeList& before) {
    std::vector<NodeTextChange> changes;
    const NodeList& now = mission.missionEntries[static_cast<std::size_t>(entry)].nodes;
    for (std::size_t k = 0; k < now.size() && k < before.size(); ++k) {
        if (now[k].text() != before[k].text()) {
            changes.push_back({entry, static_cast<int>(k), std::string(before[k].text()),
                               std::string(now[k].text())});
        }
    }
    return changes;
}

NodeTextsCommand::NodeTextsCommand(MissionHistory& history, std::vector<NodeTextChange> changes,
                                   const QString& text)
    : QUndoCommand(text), history_(history), changes_(std::move(changes)) {
    std::erase_if(changes_, [](const NodeTextChange& c) { return c.before == c.after; });
    // A change that left every text as it was is no step: the stack drops it.
    setObsolete(changes_.empty());
}

void NodeTextsCommand::undo() {
    apply(false);
}

void NodeTextsCommand::redo() {
    apply(true);
}

void NodeTextsCommand::apply(bool after) {
    MissionModel& mission = history_.state().mission;
    for (const NodeTextChange& change : changes_) {
        mission.missionEntries[static_cast<std::size_t>(change.entry)]
            .nodes[static_cast<std::size_t>(change.node)]
            .setText(after ? change.after : change.before);
    }
    notify();
}

} // namespace kmission
