// The one end of an error nothing can return: the entry's message box, then exit code 0.
#pragma once

namespace vq {

// Closes the windows (when called on their thread), shows `message` in the application's error
// box and ends the process with 0. Safe from any thread.
[[noreturn]] void EndWithError(const char* message);

}  // namespace vq
