// Save then load is the identity on what was loaded: any archive that opens
// is saved, the saved bytes are opened again, and the entries, their names
// and every node's type and text must come back. A second save must give the
// same bytes as the first.

#include "fuzz_check.h"
#include "mission.h"
#include "mission_save.h"
#include "text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace kmission {
namespace {

// A float node's text is FloatText of some float, and reading it back for the
// save gives a float whose text is the same again.
bool IsStableFloatText(std::string_view text) {
    if (text == "INF" || text == "-INF" || text == "NAN" || text == "-NAN") {
        return true;
    }
    return FloatText(static_cast<float>(TextToNumber(text))) == text;
}

void CheckSameValues(const MissionModel& loaded, const MissionModel& reloaded) {
    FUZZ_CHECK(reloaded.missionEntryCount() == loaded.missionEntryCount());
    for (std::size_t i = 0; i < loaded.missionEntries.size(); ++i) {
        const EntryTree& before = loaded.missionEntries[i];
        const EntryTree& after = reloaded.missionEntries[i];
        FUZZ_CHECK(after.name == before.name);
        FUZZ_CHECK(after.nodeCount() == before.nodeCount());
        for (std::size_t k = 1; k < before.nodes.size(); ++k) {
            FUZZ_CHECK(after.nodes[k].type() == before.nodes[k].type());
            FUZZ_CHECK(after.nodes[k].text() == before.nodes[k].text());
            if (before.nodes[k].type() == kNodeFloat) {
                FUZZ_CHECK(IsStableFloatText(before.nodes[k].text()));
            }
        }
    }
}

} // namespace
} // namespace kmission

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kmission;
    MissionReadOptions options;
    options.requireMissionInfo = false;
    const MissionLoad load = ReadMission(ByteView(data, size), options);
    if (load.outcome != LoadOutcome::Loaded) {
        return 0;
    }
    // An entry without values is written with size 0 at the place where the
    // next entry (or the directory) starts, and the reader takes the first
    // value at an entry's offset whatever its size says: such an archive does
    // not come back as it was, by the rules of the format.
    for (const EntryTree& entry : load.mission.missionEntries) {
        if (entry.nodeCount() == 0) {
            return 0;
        }
    }
    const SerializedMission saved = SerializeMission(load.mission);
    // Every text that loading produced fits its node's type again.
    FUZZ_CHECK(!saved.refusal.has_value());

    const MissionLoad again = ReadMission(saved.bytes, options);
    FUZZ_CHECK(again.outcome == LoadOutcome::Loaded);
    FUZZ_CHECK(again.mission.archiveDirectory == saved.directory);
    CheckSameValues(load.mission, again.mission);
    FUZZ_CHECK(again.missionName == load.missionName);
    FUZZ_CHECK(again.mapNames == load.mapNames);

    FUZZ_CHECK(SerializeMission(again.mission).bytes == saved.bytes);
    return 0;
}
