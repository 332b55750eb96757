// The one-tick display rule, free of any window so that it can be tested natively.
#include "ui/StageDisplay.h"

namespace vq::ui {

bool IsCreepingStage(int32_t stage) {
    return stage == stExtracting || stage == stFlashing || stage == stCleaning;
}

TickPlan PlanTick(int32_t stage, int32_t barPosition) {
    // Unsigned, so that every negative code is out of range as well.
    if (static_cast<uint32_t>(stage) > static_cast<uint32_t>(kLastStage)) {
        return {true, barPosition, nullptr};
    }
    const TStageInfo& row = StageTable[stage];
    int32_t position = row.Target;
    if (IsCreepingStage(stage)) {
        position = barPosition < row.Target ? barPosition + 1 : barPosition;
    }
    return {false, position, &row};
}

std::string PercentageText(int32_t position) {
    return std::to_string(static_cast<uint32_t>(position)) + "%";
}

}  // namespace vq::ui
