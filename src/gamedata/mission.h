#pragma once

#include "archive.h"
#include "message.h"
#include "reader_tree.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kmission {

// An open mission archive: its directory as read (names exactly as in the
// file) and one parsed entry per directory slot, in file order.
struct MissionModel {
    std::vector<ArchiveEntry> archiveDirectory;
    std::vector<EntryTree> missionEntries;

    int missionEntryCount() const { return static_cast<int>(missionEntries.size()); }
    friend bool operator==(const MissionModel&, const MissionModel&) = default;
};

inline constexpr const char* kMissionInfoEntry = "mpinfo.prd";
inline constexpr const char* kMissionNameKey = "db_name";
inline constexpr const char* kMapKey = "MAP";
inline constexpr const char* kWindowTitle = "Korv Mission Editor [BETA1]";

// What File > Open makes of a file.
enum class LoadOutcome {
    Refused,   // show `messages`; the mission open before stays open, untouched
    NoMission, // "Built in Mission not available to edit!": no mission is open afterwards
    Loaded,    // `mission` replaces the open mission
};

struct MissionLoad {
    LoadOutcome outcome = LoadOutcome::Refused;
    MissionModel mission;
    Messages messages; // to show before the map is set; "Loaded!" is not among them
    // The cleaned mission name when node 3 of the info entry is "db_name"
    // (the title and the map are then set); nothing otherwise.
    std::optional<std::string> missionName;
    // The cleaned value of every "MAP" key of the info entry, in node order
    // (only when `missionName` is set); each one is matched against the Map menu.
    std::vector<std::string> mapNames;
};

inline constexpr const char* kLoadedMessage = "Loaded!";

struct MissionReadOptions {
    ParseOptions parse;
    bool requireMissionInfo = true; // false: read any standard archive (the dump command)
    // When set, each entry is handed over as soon as it is read, with its slot
    // number, and the mission keeps only its name: a reader that looks at one
    // entry at a time never holds a large mission whole. Nothing of the
    // mission's name or maps is found then.
    std::function<void(std::size_t slot, EntryTree& entry)> takeEntry;
};

// Reads a mission archive from its bytes as File > Open does. Refusals:
// "Sorry not for Ashen Tide expansion." (trailer), "Corrupted Mission! " with
// the tag and the "Fpos" box, and refusals of ours for directories that do not
// fit the file, entries of more than 32767 values and overlapping entries that
// would take far more memory than the file justifies.
MissionLoad ReadMission(ByteView file, const MissionReadOptions& options = {});

// File > Open from a path (native): "Bad Path!" when it does not exist, then ReadMission.
MissionLoad LoadMissionFile(const std::string& path, const MissionReadOptions& options = {});

// Index of the last entry whose cleaned name is "mpinfo.prd", or -1.
int FindMissionInfo(const MissionModel& mission);

// "Korv Mission Editor [BETA1] - " followed by the name.
std::string MissionWindowTitle(std::string_view missionName);

// Entry and unit kinds, by the start of the cleaned entry name / node text.
bool IsRegionEntry(std::string_view cleanedName);
bool IsUnitEntry(std::string_view cleanedName);
// Inline: the map view and hover picking ask this of every node of an entry.
inline bool IsUnitNode(std::string_view text) {
    return text.starts_with("player") || text.starts_with("stealth") || text.starts_with("remote_");
}
inline bool IsCornerNode(std::string_view text) {
    return text.starts_with("node_");
}

// The Map menu items (0-based) that a "MAP" value checks: those whose caption,
// cleaned, equals the lower-cased value. The captions are not lower-cased, so a
// catalogue name with capitals never matches. Every other item loses its check.
std::vector<int> MatchMapMenuItems(const std::vector<std::string>& captions,
                                   std::string_view mapValue);

} // namespace kmission
