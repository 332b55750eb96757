// The one-tick display rule, free of any window so that it can be tested natively.
#include "ui/StageDisplay.h"

namespace vq::ui {

bool IsCreepingStage(int32_t stage) {
    return stage == stExtracting || stage == stFlashing || stage == stCleaning;
}

TickPlan PlanTick(int32_t stage, int32_t barPosition) {
    // Unsigned, so that every negative code is out of range as well.
    if (static_cast<uint32_t>(stage) > static_cast<uint32_t>(kLastStage)) {
        return {true, false, barPosition, nullptr};
    }
    const TStageInfo& row = StageTable[stage];
    if (IsCreepingStage(stage)) {
        // At or above its target a creeping stage does not touch the bar at all.
        const bool climbing = barPosition < row.Target;
        return {false, climbing, climbing ? barPosition + 1 : barPosition, &row};
    }
    return {false, true, row.Target, &row};
}

std::string MessageText(const TStageInfo& row, bool workDirKept) {
    std::string text = row.Message;
    if (workDirKept) {
        if (!text.empty()) text += '\n';
        text += kWorkDirKeptNote;
    }
    return text;
}

std::string PercentageText(int32_t position) {
    return std::to_string(static_cast<uint32_t>(position)) + "%";
}

}  // namespace vq::ui
