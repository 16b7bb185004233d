#pragma once

#include "reader_tree.h"

#include <QUndoCommand>

#include <string>
#include <vector>

namespace kmission {

class MissionHistory;
struct MissionModel;

// One node's text before and after a change.
struct NodeTextChange {
    int entry = 0; // index in missionEntries
    int node = 0;
    std::string before;
    std::string after;
};

// The texts of entry `entry` that differ from `before`, a copy of its nodes
// taken before the change.
std::vector<NodeTextChange> ChangedTexts(const MissionModel& mission, int entry,
                                         const NodeList& before);

// A change of some node texts of the open mission; texts that stayed the same
// are no part of it, and a command without any is dropped by the stack when
// it is recorded. Undo puts the texts back
// exactly as they were, redo puts the changed texts back; both then tell the
// windows that show them. Nodes keep their type and length, as with every
// edit. The entries and nodes stay valid because opening another mission
// clears the history.
class NodeTextsCommand : public QUndoCommand {
public:
    void undo() override;
    void redo() override;

protected:
    NodeTextsCommand(MissionHistory& history, std::vector<NodeTextChange> changes,
                     const QString& text);
    MissionHistory& history() const { return history_; }

private:
    void apply(bool after);
    // Tells the windows that show these texts.
    virtual void notify() = 0;

    MissionHistory& history_;
    std::vector<NodeTextChange> changes_;
};

} // namespace kmission
