// The rule one timer tick follows: from the stage code and the bar's position, what to show.
#pragma once

#include <stdint.h>
#include <string>

#include "ui/StageTable.h"

namespace vq::ui {

struct TickPlan {
    bool Skip;               // code outside 0..10: leave every control exactly as it is
    bool SetBar;             // false when a creeping stage rests: the bar is left alone
    int32_t Position;        // the bar's new position (meaningless unless SetBar)
    const TStageInfo* Row;   // the row to show (null when Skip)
};

// Stages 1, 3 and 5 creep one point per tick towards their target and never go backwards;
// every other stage sets the bar to its target at once.
bool IsCreepingStage(int32_t stage);

TickPlan PlanTick(int32_t stage, int32_t barPosition);

// The row's message, and below it kWorkDirKeptNote once the work directory could not be removed.
std::string MessageText(const TStageInfo& row, bool workDirKept);

// "<position>%", decimal, no sign, no padding: 0%, 89%, 100%.
std::string PercentageText(int32_t position);

}  // namespace vq::ui
