#include "mission_save.h"

#include "codepage.h"
#include "text.h"

#include <algorithm>

namespace kmission {

namespace {

// What the archive of an unedited `mission` takes: each entry as many bytes
// as it was read from, or less when its values were fewer than its bytes
// said. Reserved at once, a large mission's bytes are not copied again and
// again while they grow; edits that lengthen strings only grow them once.
std::size_t ArchiveEstimate(const MissionModel& mission) {
    std::size_t bytes =
        8 + static_cast<std::size_t>(kDirectoryRecordSize) * mission.archiveDirectory.size();
    for (std::size_t i = 0; i < mission.missionEntries.size(); ++i) {
        const std::size_t read =
            i < mission.archiveDirectory.size()
                ? static_cast<std::size_t>(std::max(mission.archiveDirectory[i].size, 0))
                : 0;
        const std::size_t values = mission.missionEntries[i].nodes.size() * 16;
        bytes += std::min(read, values);
    }
    return bytes;
}

} // namespace

StreamedMission StreamMission(const MissionModel& mission, const PieceWriter& write) {
    StreamedMission result;
    std::vector<ArchiveEntry>& directory = result.directory;
    directory = mission.archiveDirectory;
    // Each entry in parts made in the same bytes, which stay in the cache.
    Bytes piece;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < mission.missionEntries.size() && i < directory.size(); ++i) {
        const EntryTree& tree = mission.missionEntries[i];
        std::size_t size = 0;
        for (std::size_t next = 1; next < tree.nodes.size();) {
            const SerializedPart part = SerializeNodes(tree.nodes, next, piece);
            if (part.failure) {
                result.refusal = Message{"Not saved: node " + IntegerText(part.failure->node) +
                                         " of the entry \"" + CleanText(tree.name) + "\" holds \"" +
                                         part.failure->text +
                                         "\", which does not fit its type. Nothing was written."};
                return result;
            }
            if (!write(ByteView(piece).first(part.size))) {
                return result;
            }
            size += part.size;
            next = part.next;
        }
        directory[i].offset = static_cast<std::int32_t>(offset);
        directory[i].size = static_cast<std::int32_t>(size);
        offset += size;
    }
    piece.clear();
    ByteWriter writer(piece);
    WriteDirectoryAndTrailer(writer, directory);
    result.complete = write(piece);
    return result;
}

SerializedMission SerializeMission(const MissionModel& mission) {
    SerializedMission result;
    result.bytes.reserve(ArchiveEstimate(mission));
    StreamedMission streamed = StreamMission(mission, [&result](ByteView piece) {
        result.bytes.insert(result.bytes.end(), piece.begin(), piece.end());
        return true;
    });
    if (!streamed.complete) {
        result.bytes.clear();
        result.refusal = std::move(streamed.refusal);
        return result;
    }
    result.directory = std::move(streamed.directory);
    return result;
}

Messages SaveMissionFile(MissionModel& mission, const std::string& path,
                         const WriteFaultInjector& injectFault) {
    StreamedMission streamed;
    const auto content = [&mission, &streamed](const PieceWriter& write) {
        streamed = StreamMission(mission, write);
        return streamed.complete;
    };
    const auto reason = WriteFileSafely(path, content, injectFault);
    if (streamed.refusal) {
        return {*streamed.refusal};
    }
    if (reason) {
        return {Message{"Not saved: \"" + Utf8ToCp1252(path) + "\" could not be written (" +
                        Utf8ToCp1252(*reason) + "). The file on disk was left as it was."}};
    }
    mission.archiveDirectory = std::move(streamed.directory);
    return {Message{kSavedMessage}};
}

} // namespace kmission
