#include "mission.h"

#include "file_exists.h"
#include "file_io.h"
#include "text.h"

#include <algorithm>

namespace kmission {

namespace {

MissionLoad Refusal(Messages messages) {
    MissionLoad load;
    load.outcome = LoadOutcome::Refused;
    load.messages = std::move(messages);
    return load;
}

// Every value takes at least its 4-byte tag, so a file of L bytes holds at most
// L / 4 values unless its entries overlap. Entries may overlap, but not so much
// that a small file could make the editor hold far more than it justifies.
std::int64_t NodeBudget(ByteView file, std::int32_t entryCount) {
    return static_cast<std::int64_t>(file.size()) / 4 + entryCount;
}

// Likewise the strings take their bytes from the file, so their texts hold at
// most its length, plus what lengths running past their entries add. Beyond a
// fixed allowance on top, entries are being read over and over: ten thousand
// records over one long string would fill gigabytes from a file of two.
constexpr std::int64_t kStringAllowance = 64 * 1024 * 1024;

std::int64_t StringBytes(const NodeList& nodes) {
    std::int64_t bytes = 0;
    for (const ReaderNode& node : nodes) {
        if (node.type() == kNodeString) {
            bytes += static_cast<std::int64_t>(node.text().size());
        }
    }
    return bytes;
}

Messages OverlapRefusal() {
    return {Message{"Corrupted Mission! The entries of this archive overlap so much that reading "
                    "them would take far more memory than the file holds."}};
}

} // namespace

MissionLoad ReadMission(ByteView file, const MissionReadOptions& options) {
    const TrailerResult trailer = ReadTrailer(file, TrailerForms::StandardOnly);
    if (!trailer.trailer) {
        if (trailer.error == TrailerError::DirectoryBeyondFile) {
            return Refusal(
                {Message{"Corrupted Mission! The directory of " +
                         IntegerText(Int32At(file, static_cast<std::int64_t>(file.size()) - 4)) +
                         " entries does not fit in the file."}});
        }
        return Refusal({Message{"Sorry not for Ashen Tide expansion."}});
    }

    MissionLoad load;
    MissionModel& mission = load.mission;
    mission.archiveDirectory = ReadDirectory(file, *trailer.trailer);
    mission.missionEntries.resize(mission.archiveDirectory.size());

    std::int64_t budget = NodeBudget(file, trailer.trailer->count);
    std::int64_t stringBudget = static_cast<std::int64_t>(file.size()) + kStringAllowance;
    for (std::size_t i = 0; i < mission.archiveDirectory.size(); ++i) {
        const ArchiveEntry& entry = mission.archiveDirectory[i];
        EntryTree& tree = mission.missionEntries[i];
        tree.name = PadText(CleanText(entry.name), 64);
        ParseOptions parse = options.parse;
        parse.maxNodes = std::min<std::int64_t>(kMaxEntryNodes, budget);
        if (const auto failure = ParseEntry(file, entry.offset, entry.size, tree.nodes, parse)) {
            if (failure->error == ParseError::TooManyNodes && parse.maxNodes < kMaxEntryNodes) {
                return Refusal(OverlapRefusal());
            }
            return Refusal(MissionParseMessages(*failure, CleanText(entry.name)));
        }
        budget -= tree.nodeCount();
        stringBudget -= StringBytes(tree.nodes);
        if (stringBudget < 0) {
            return Refusal(OverlapRefusal());
        }
        if (options.takeEntry) {
            options.takeEntry(i, tree);
            tree.nodes = NodeList{ReaderNode{}};
        }
    }

    const int info = FindMissionInfo(mission);
    if (info < 0 && options.requireMissionInfo) {
        load.outcome = LoadOutcome::NoMission;
        load.mission = MissionModel{};
        load.messages.push_back(Message{"Built in Mission not available to edit!"});
        return load;
    }
    load.outcome = LoadOutcome::Loaded;
    if (info < 0) {
        return load;
    }
    const NodeList& nodes = mission.missionEntries[static_cast<std::size_t>(info)].nodes;
    if (CleanText(NodeText(nodes, 3)) != kMissionNameKey) {
        return load;
    }
    load.missionName = CleanText(NodeText(nodes, 5));
    // The last node is not looked at; a "MAP" key in the second-to-last node has
    // no value node and gives the empty name.
    const std::int64_t count = static_cast<std::int64_t>(nodes.size()) - 1;
    for (std::int64_t j = 0; j < count; ++j) {
        if (CleanText(NodeText(nodes, j)) == kMapKey) {
            load.mapNames.push_back(CleanText(NodeText(nodes, j + 2)));
        }
    }
    return load;
}

MissionLoad LoadMissionFile(const std::string& path, const MissionReadOptions& options) {
    if (!FileExists(path)) {
        return Refusal({Message{"Bad Path!"}});
    }
    const auto bytes = ReadWholeFile(path, options.parse.yield);
    if (!bytes) {
        return Refusal({Message{"The file could not be read."}});
    }
    return ReadMission(*bytes, options);
}

int FindMissionInfo(const MissionModel& mission) {
    int found = -1;
    for (std::size_t i = 0; i < mission.missionEntries.size(); ++i) {
        if (CleanText(mission.missionEntries[i].name) == kMissionInfoEntry) {
            found = static_cast<int>(i);
        }
    }
    return found;
}

std::string MissionWindowTitle(std::string_view missionName) {
    return std::string(kWindowTitle) + " - " + std::string(missionName);
}

bool IsRegionEntry(std::string_view cleanedName) {
    return cleanedName.starts_with("reg_");
}
bool IsUnitEntry(std::string_view cleanedName) {
    return cleanedName.starts_with("aiv");
}

bool IsUnitNode(std::string_view text) {
    return text.starts_with("player") || text.starts_with("stealth") || text.starts_with("remote_");
}

bool IsCornerNode(std::string_view text) {
    return text.starts_with("node_");
}

std::vector<int> MatchMapMenuItems(const std::vector<std::string>& captions,
                                   std::string_view mapValue) {
    const std::string wanted = ToLowerAscii(mapValue);
    std::vector<int> matches;
    for (std::size_t i = 0; i < captions.size(); ++i) {
        if (CleanText(captions[i]) == wanted) {
            matches.push_back(static_cast<int>(i));
        }
    }
    return matches;
}

} // namespace kmission
