#pragma once

// The inputs every benchmark shares, made once per process on first use from
// the seeded generator: full size, or tiny when the program was started with
// --tiny or with KMISSION_BENCH_TINY set to anything but 0 (the smoke test).

#include "editor_state.h"
#include "synthetic_mission.h"

#include <QImage>

#include <string>
#include <vector>

namespace kmission::bench {

inline constexpr const char* kTinyFlag = "--tiny";
inline constexpr const char* kTinyVariable = "KMISSION_BENCH_TINY";

// Removes --tiny from the arguments (before the benchmark library sees them)
// and returns whether tiny inputs were asked for there or in the environment.
bool TakeTinySwitch(int& argc, char** argv);

void UseTinyInputs(bool tiny);
const MissionSpec& Plan();

// The mission archive's bytes.
const Bytes& MissionBytes();
// The same plan with floats of every magnitude, and that mission opened.
const Bytes& WideMissionBytes();
const MissionModel& WideMission();

// Every number of an archive as the file holds it: the int32 of each integer
// and list header, the float of each float value.
struct FileNumbers {
    std::vector<std::int32_t> integers;
    std::vector<float> floats;
};
FileNumbers NumbersOf(const Bytes& archive);
// The same archive as a file in a temporary folder of this process.
const std::string& MissionPath();
// A demo game installation in that folder whose Wine prefix names it, so that
// the editor finds the map the mission names.
const std::string& DemoInstallationDir();

// The editor state with the mission open, its map's scale set and mapLoaded,
// as after File > Open; the map surface holds the decoded picture.
EditorState& OpenEditorState();
const QImage& MapSurface();

// The unit list with every unit in one entry.
const MissionModel& UnitList();

const Bytes& PictureBytes();

// Removes the temporary folder (at the end of the program).
void RemoveTemporaryFiles();

} // namespace kmission::bench
