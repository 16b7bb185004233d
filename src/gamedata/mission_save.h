#pragma once

#include "byte_io.h"
#include "file_io.h"
#include "message.h"
#include "mission.h"

#include <optional>
#include <string>

namespace kmission {

inline constexpr const char* kSavedMessage = "Saved!";
inline constexpr const char* kReplaceQuestion = "Replace Existing File?";
inline constexpr const char* kReplaceTitle = "Replace";

// Serialises every entry from its nodes and packs them into a standard archive
// (entries from offset 0 in directory order, the directory, int32 1, int32 N).
// `directory` is the mission's directory with the `offset` and `size` of the
// bytes returned. A node text that does not fit its type refuses the whole save
// before anything is written, with a message naming the entry, the node and
// the text.
struct SerializedMission {
    Bytes bytes;
    std::vector<ArchiveEntry> directory;
    std::optional<Message> refusal;
};
SerializedMission SerializeMission(const MissionModel& mission);

// The same archive made piece by piece into `write` (an entry, or the
// directory and trailer, at a time), as File > Save writes it to the file:
// the whole archive is never held. It stops when `write` returns false or a
// node does not fit its type; `refusal` then says which node, and what was
// written is not an archive.
struct StreamedMission {
    bool complete = false;
    std::vector<ArchiveEntry> directory;
    std::optional<Message> refusal;
};
StreamedMission StreamMission(const MissionModel& mission, const PieceWriter& write);

// File > Save after the dialog and the overwrite question: serialise, then
// write safely to `path` (native). Returns the messages to show: "Saved!", or
// the refusal or the reason the file could not be written (the target is then
// left as it was). Only a written file updates the directory's `offset` and `size`.
Messages SaveMissionFile(MissionModel& mission, const std::string& path,
                         const WriteFaultInjector& injectFault = {});

} // namespace kmission
