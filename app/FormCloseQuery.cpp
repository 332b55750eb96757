// Closing the window: refused while the flash tool writes, allowed at every other time. Closed
// then, the program would no longer hold off a logoff, keep the system awake or show the warning,
// and the clean-up and the last instructions would never come, while the flash went on unwatched.
#include "app/Vorquint_form.h"

namespace {

// Worker 2 stores stFlashing before it starts the flash tool and replaces it only once the tool
// has ended, so the stage spans the whole write. It stores it after worker 1 has ended, and a
// worker 1 that fails suspends it first.
bool FlashStillAhead(int32_t stage) {
    return stage == stStopped || stage == stExtracting || stage == stExtractDone;
}

// SuspendThread only asks for the stop; reading the thread's context waits until it has stopped.
void SuspendAndWait(HANDLE thread) {
    SuspendThread(thread);
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    GetThreadContext(thread, &context);
}

}  // namespace

bool TForm1::DoCloseQuery() {
    if (FlashThreadHandle == nullptr) {
        return true;
    }
    if (const int32_t stage = FStage.load(); !FlashStillAhead(stage)) {
        return stage != stFlashing;
    }
    // Worker 2 could start the tool between a yes here and the destruction that suspends it, and
    // the tool would run unwatched: it is held still for the decision, and stays held when the
    // window closes. Until it stores stFlashing it only starts and waits, holding nothing that
    // the close needs (the destroy handler ends the process without taking a lock).
    SuspendAndWait(FlashThreadHandle);
    if (FStage.load() == stFlashing) {
        ResumeThread(FlashThreadHandle);
        return false;
    }
    return true;
}
