// File > Open on any bytes: the mission archive reader with its directory,
// every entry's value stream and the look-ups the editor makes afterwards.

#include "codepage.h"
#include "fuzz_check.h"
#include "mission.h"
#include "text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kmission {
namespace {

bool IsIntegerText(std::string_view text) {
    return !text.empty() && IntegerText(static_cast<std::int64_t>(TextToNumber(text))) == text;
}

void CheckNodes(const NodeList& nodes) {
    FUZZ_CHECK(!nodes.empty() && nodes[0] == ReaderNode{});
    FUZZ_CHECK(static_cast<int>(nodes.size()) - 1 <= kMaxEntryNodes);
    for (std::size_t k = 1; k < nodes.size(); ++k) {
        const ReaderNode& node = nodes[k];
        switch (node.type()) {
        case kNodeInteger:
        case kNodeList:
            FUZZ_CHECK(node.length() == -1 && IsIntegerText(node.text()));
            break;
        case kNodeFloat:
            FUZZ_CHECK(node.length() == -1 && !node.text().empty());
            break;
        case kNodeString:
            // The length read is kept even when the file held fewer bytes.
            FUZZ_CHECK(node.length() >= 0 &&
                       node.text().size() <= static_cast<std::size_t>(node.length()));
            FUZZ_CHECK(CleanText(node.text()) == node.text());
            break;
        default:
            FUZZ_CHECK(false);
        }
    }
}

// What the window does with a loaded mission: title, map names, units.
void UseLoadedMission(const MissionLoad& load) {
    const MissionModel& mission = load.mission;
    FUZZ_CHECK(mission.missionEntries.size() == mission.archiveDirectory.size());
    FUZZ_CHECK(mission.missionEntryCount() >= 1 &&
               mission.missionEntryCount() <= kMaxArchiveEntries);
    for (const EntryTree& entry : mission.missionEntries) {
        FUZZ_CHECK(entry.name.size() == 64);
        CheckNodes(entry.nodes);
        if (IsUnitEntry(CleanText(entry.name))) {
            for (int k = 1; k <= entry.nodeCount(); ++k) {
                if (IsUnitNode(NodeText(entry.nodes, k))) {
                    (void)TextToNumber(NodeText(entry.nodes, k + 4));
                    (void)TextToNumber(NodeText(entry.nodes, k + 6));
                }
            }
        }
    }
    const int info = FindMissionInfo(mission);
    if (load.missionName) {
        FUZZ_CHECK(info >= 0);
        (void)Cp1252ToUtf8(MissionWindowTitle(*load.missionName));
    } else {
        FUZZ_CHECK(load.mapNames.empty());
    }
    for (const std::string& map : load.mapNames) {
        (void)MatchMapMenuItems({"dunes", "delta"}, map);
    }
}

} // namespace
} // namespace kmission

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmission;
    MissionReadOptions options;
    int yields = 0;
    options.parse.yield = [&yields] { ++yields; };
    const MissionLoad load = ReadMission(ByteView(data, size), options);
    for (const Message& message : load.messages) {
        FUZZ_CHECK(!message.text.empty());
        (void)Cp1252ToUtf8(message.text);
    }
    switch (load.outcome) {
    case LoadOutcome::Refused:
        FUZZ_CHECK(!load.messages.empty());
        FUZZ_CHECK(load.mission == MissionModel{});
        break;
    case LoadOutcome::NoMission:
        FUZZ_CHECK(load.mission == MissionModel{});
        FUZZ_CHECK(load.messages.size() == 1);
        break;
    case LoadOutcome::Loaded:
        FUZZ_CHECK(load.messages.empty());
        UseLoadedMission(load);
        break;
    }
    return 0;
}
