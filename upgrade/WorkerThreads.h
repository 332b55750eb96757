// The four workers of the upgrade chain. Each gets the address of Form1->FStage as its parameter,
// reports only by storing stage codes there, and ends with 1 on success and 0 on failure.
#pragma once

#include <windows.h>

#include <stdint.h>

#include <atomic>

// Worker 1: hidden work directory, payload extraction, gzip run.
DWORD WINAPI ExtractThreadProc(LPVOID stage);
// Worker 2: after worker 1, the flash tool build that matches the system.
DWORD WINAPI FlashThreadProc(LPVOID stage);
// Worker 3: after workers 1 and 2, empties and removes the work directory.
DWORD WINAPI CleanupThreadProc(LPVOID stage);
// Worker 4: after workers 1 to 3, the last two stages and the system's shutdown.
DWORD WINAPI ShutdownThreadProc(LPVOID stage);

namespace vq {

// The stage field behind a worker's parameter; stores are whole 32-bit values.
inline std::atomic<int32_t>& StageOf(LPVOID param) {
    return *static_cast<std::atomic<int32_t>*>(param);
}

// Keeps the system from going to sleep while the calling worker runs (until it ends).
inline void KeepSystemAwake() {
    SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
}

}  // namespace vq
