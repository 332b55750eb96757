// The stage code the workers store into FStage and the timer handler shows.
#pragma once

#include <cstdint>

enum TUpgradeStage : int32_t { stStopped = 0, stExtracting, stExtractDone, stFlashing, stFlashDone, stCleaning, stCleanDone, stComplete, stShuttingDown, stExtractFailed, stUpgradeFailed };
