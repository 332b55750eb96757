// The stage code the workers store and the window shows: one aligned 32-bit integer.
#pragma once

#include <stdint.h>

enum TUpgradeStage : int32_t {
    stStopped = 0,
    stExtracting = 1,
    stExtractDone = 2,
    stFlashing = 3,
    stFlashDone = 4,
    stCleaning = 5,
    stCleanDone = 6,
    stComplete = 7,
    stShuttingDown = 8,
    stExtractFailed = 9,
    stUpgradeFailed = 10,
};

inline constexpr int32_t kLastStage = stUpgradeFailed;
