// Writing the text screen to files, for the tests to read back what a DOS program showed.
#pragma once

namespace vq::testing {

// 80x25 character and attribute pairs from B800:0000, as they lie in video memory.
bool WriteScreenBin(const char* path);
// The characters only, one line per row, trailing blanks dropped.
bool WriteScreenText(const char* path);

// The doubles' snapshots of the screen while they run, when the test asked for them.
inline constexpr const char* kShotSwitch = "C:\\VQCTL\\SHOTS.TXT";
// Writes the screen to path when the switch is set.
void SnapshotIfAsked(const char* path);

}  // namespace vq::testing
