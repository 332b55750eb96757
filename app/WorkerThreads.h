// The four workers of the upgrade chain. Each gets the address of Form1->FStage as its parameter,
// reports only by storing stage codes there, and ends with 1 on success and 0 on failure. They
// are the form unit's thread procedures: the chain (waits, stage codes, suspensions) lives here,
// the work itself in upgrade/.
#pragma once

#include <windows.h>

// Worker 1: the check that a signed file is still the one signed, then the hidden work
// directory, payload extraction, gzip run.
DWORD WINAPI ExtractThreadProc(LPVOID stage);
// Worker 2: after worker 1, the flash tool build that matches the system.
DWORD WINAPI FlashThreadProc(LPVOID stage);
// Worker 3: after workers 1 and 2, empties and removes the work directory; when it cannot, it
// marks it kept (Form1->FWorkDirKept) instead of storing stCleanDone.
DWORD WINAPI CleanupThreadProc(LPVOID stage);
// Worker 4: after workers 1 to 3, the last two stages and the system's shutdown.
DWORD WINAPI ShutdownThreadProc(LPVOID stage);
