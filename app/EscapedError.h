// The one end of an error nothing can return: the error box, then exit code 0.
#pragma once

namespace vq {

namespace ui {
class TApplication;
}

// From now on a fault, or any other structured exception nothing handles, in whichever thread,
// ends in EndWithError with its code and address.
void CatchUnhandledExceptions();

// The application whose windows EndWithError closes first; nullptr once they are gone.
void ShowErrorsOver(const ui::TApplication* application);

// Closes the windows (when called on their thread), shows `message` in the application's error
// box and ends the process with 0. Safe from any thread.
[[noreturn]] void EndWithError(const char* message);

}  // namespace vq
