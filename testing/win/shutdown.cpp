// Test double of the system's shutdown command: records its arguments and the time, nothing else.
//
// %VQ_TEST_FLASH_DIR%\shutdown.log gets one line per call: <ms> TAB <arguments> TAB <own path>.
#include <windows.h>

#include <string>

#include "testing/win/DoubleSupport.h"

namespace {

constexpr const char* kRecordName = "shutdown.log";
constexpr int kExitNoFlashDir = 64;
constexpr int kExitCannotRecord = 5;

}  // namespace

int main() {
    FreeConsole();
    using namespace vq::testing;
    std::string dir;
    if (!SettingText(kSettingFlashDir, dir)) {
        return kExitNoFlashDir;
    }
    char self[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string line = std::to_string(EpochMs()) + "\t" + ArgumentsOf(GetCommandLineA()) +
                             "\t" + std::string(self, n < sizeof self ? n : 0);
    return AppendLine(dir + "\\" + kRecordName, line) ? 0 : kExitCannotRecord;
}
