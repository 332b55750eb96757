// What the window shows for each stage code: caption, bar target, advisory message, message colour.
#pragma once

#include <stdint.h>

#include "base/UpgradeStage.h"
#include "ui/Colors.h"

namespace vq::ui {

struct TStageInfo {
    char Caption[80];    // shown in Label_CurProgress
    int32_t Target;      // progress-bar position of the stage, in percent
    char Message[256];   // shown in Label_Message; "\n" starts a second line
    uint32_t Color;      // font colour of Label_Message
};
static_assert(sizeof(TStageInfo) == 344, "row layout: 80 + 4 + 256 + 4 bytes");

inline constexpr int kStageCount = 11;
static_assert(kLastStage == kStageCount - 1, "one row per stage code");

// Indexed by TUpgradeStage.
extern const TStageInfo StageTable[kStageCount];

// A line of its own below the message of every stage shown after a clean-up that could not
// remove the work directory: the firmware was written, and the upgrade went on to its end.
extern const char* const kWorkDirKeptNote;

}  // namespace vq::ui
