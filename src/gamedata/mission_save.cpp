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

SerializedMission SerializeMission(const MissionModel& mission) {
    SerializedMission result;
    Bytes& out = result.bytes;
    out.reserve(ArchiveEstimate(mission));
    std::vector<ArchiveEntry>& directory = result.directory;
    directory = mission.archiveDirectory;
    for (std::size_t i = 0; i < mission.missionEntries.size() && i < directory.size(); ++i) {
        const EntryTree& tree = mission.missionEntries[i];
        const std::size_t start = out.size();
        if (const auto failure = SerializeNodes(tree.nodes, out)) {
            result.bytes.clear();
            result.directory.clear();
            result.refusal =
                Message{"Not saved: node " + IntegerText(failure->node) + " of the entry \"" +
                        CleanText(tree.name) + "\" holds \"" + failure->text +
                        "\", which does not fit its type. Nothing was written."};
            return result;
        }
        directory[i].offset = static_cast<std::int32_t>(start);
        directory[i].size = static_cast<std::int32_t>(out.size() - start);
    }
    ByteWriter writer(out);
    WriteDirectoryAndTrailer(writer, directory);
    return result;
}

Messages SaveMissionFile(MissionModel& mission, const std::string& path,
                         const WriteFaultInjector& injectFault) {
    SerializedMission serialized = SerializeMission(mission);
    if (serialized.refusal) {
        return {*serialized.refusal};
    }
    if (const auto reason = WriteFileSafely(path, serialized.bytes, injectFault)) {
        return {Message{"Not saved: \"" + Utf8ToCp1252(path) + "\" could not be written (" +
                        Utf8ToCp1252(*reason) + "). The file on disk was left as it was."}};
    }
    mission.archiveDirectory = std::move(serialized.directory);
    return {Message{kSavedMessage}};
}

} // namespace kmission
