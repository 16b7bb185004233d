#include "mission.h"

#include "file_exists.h"
#include "file_io.h"
#include "file_parts.h"
#include "text.h"

#include <algorithm>
#include <filesystem>

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
std::int64_t NodeBudget(std::int64_t fileSize, std::int32_t entryCount) {
    return fileSize / 4 + entryCount;
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

Messages UnreadableRefusal() {
    return {Message{"The file could not be read."}};
}

// The end of a file that holds the trailer and any directory a mission may
// have: the trailer and directory read from it are those of the whole file.
constexpr std::int64_t kDirectoryTail = 8 + kDirectoryRecordSize * kMaxArchiveEntries;

// Files up to this size are read whole; larger ones a part at a time.
constexpr std::int64_t kWholeFileLimit = 4 * 1024 * 1024;

// A part of the file holding at least [offset, offset + size) as far as the
// file has it, or with `whole` the whole file; nothing when it cannot be read.
using PartReader =
    std::function<std::optional<FilePart>(std::int64_t offset, std::int64_t size, bool whole)>;

// ReadMission on a file of `fileSize` bytes whose end `tail` holds (the whole
// file, or at least its last kDirectoryTail bytes), its entries read from the
// parts `partFor` gives.
MissionLoad ReadMissionParts(ByteView tail, std::int64_t fileSize, const PartReader& partFor,
                             const MissionReadOptions& options) {
    const TrailerResult trailer = ReadTrailer(tail, TrailerForms::StandardOnly);
    if (!trailer.trailer) {
        if (trailer.error == TrailerError::DirectoryBeyondFile) {
            return Refusal(
                {Message{"Corrupted Mission! The directory of " +
                         IntegerText(Int32At(tail, static_cast<std::int64_t>(tail.size()) - 4)) +
                         " entries does not fit in the file."}});
        }
        return Refusal({Message{"Sorry not for Ashen Tide expansion."}});
    }

    MissionLoad load;
    MissionModel& mission = load.mission;
    mission.archiveDirectory = ReadDirectory(tail, *trailer.trailer);
    mission.missionEntries.resize(mission.archiveDirectory.size());

    std::int64_t budget = NodeBudget(fileSize, trailer.trailer->count);
    std::int64_t stringBudget = fileSize + kStringAllowance;
    for (std::size_t i = 0; i < mission.archiveDirectory.size(); ++i) {
        const ArchiveEntry& entry = mission.archiveDirectory[i];
        EntryTree& tree = mission.missionEntries[i];
        tree.name = PadText(CleanText(entry.name), 64);
        ParseOptions parse = options.parse;
        parse.maxNodes = std::min<std::int64_t>(kMaxEntryNodes, budget);
        // A part first; the whole file for an entry that reads beyond it.
        bool needsMore = false;
        std::optional<FilePart> part = partFor(entry.offset, entry.size, false);
        std::optional<ParseFailure> failure;
        if (part) {
            failure = ParseEntryIn(*part, entry.offset, entry.size, tree.nodes, parse, needsMore);
        }
        if (part && needsMore) {
            part = partFor(entry.offset, entry.size, true);
            if (part) {
                failure =
                    ParseEntryIn(*part, entry.offset, entry.size, tree.nodes, parse, needsMore);
            }
        }
        if (!part || needsMore) {
            return Refusal(UnreadableRefusal());
        }
        if (failure) {
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

} // namespace

MissionLoad ReadMission(ByteView file, const MissionReadOptions& options) {
    const auto whole = [file](std::int64_t, std::int64_t, bool) {
        return std::optional(FilePart{file, 0, std::ssize(file)});
    };
    return ReadMissionParts(file, std::ssize(file), whole, options);
}

MissionLoad LoadMissionFile(const std::string& path, const MissionReadOptions& options) {
    if (!FileExists(path)) {
        return Refusal({Message{"Bad Path!"}});
    }
    std::error_code error;
    const auto fileSize = static_cast<std::int64_t>(std::filesystem::file_size(path, error));
    if (error || fileSize <= kWholeFileLimit) {
        const auto bytes = ReadWholeFile(path, options.parse.yield);
        return bytes ? ReadMission(*bytes, options) : Refusal(UnreadableRefusal());
    }
    FileParts file(path, fileSize, options.parse.yield);
    const std::optional<Bytes> tail = file.tail(kDirectoryTail);
    if (!tail) {
        return Refusal(UnreadableRefusal());
    }
    const auto part = [&file](std::int64_t offset, std::int64_t size, bool whole) {
        return file.part(offset, size, whole);
    };
    return ReadMissionParts(*tail, fileSize, part, options);
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
