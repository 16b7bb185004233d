#include "mission_save.h"

#include "codepage.h"
#include "text.h"

namespace kmission {

namespace {

// What the archive of `mission` can take at most: every value its tag and a
// 4-byte payload, a string its bytes too, then the directory and the trailer.
// Reserved at once, a large mission's bytes are not copied again and again
// while they grow.
std::size_t ArchiveBound(const MissionModel& mission) {
    std::size_t bytes =
        8 + static_cast<std::size_t>(kDirectoryRecordSize) * mission.archiveDirectory.size();
    for (const EntryTree& tree : mission.missionEntries) {
        for (std::size_t k = 1; k < tree.nodes.size(); ++k) {
            const ReaderNode& node = tree.nodes[k];
            bytes += 8 + (node.type() == kNodeString ? node.text().size() : 0);
        }
    }
    return bytes;
}

} // namespace

SerializedMission SerializeMission(const MissionModel& mission) {
    SerializedMission result;
    Bytes& out = result.bytes;
    out.reserve(ArchiveBound(mission));
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
