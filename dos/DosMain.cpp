// The DOS face of the upgrade: prompt, extract, flash, clean up, power off.
#include "dos/DosScreen.h"
#include "dos/DosSignature.h"
#include "dos/DosSteps.h"
#include "dos/DosTexts.h"
#include "dos/rt/Breaks.h"
#include "dos/rt/Console.h"

using namespace vq::dos;

int main(int argc, char** argv) {
    const char* exePath = argc > 0 ? argv[0] : "";
    vq::rt::ClearScreen();
    vq::rt::SetTextAttr(kColourTitle);
    vq::rt::Printf("\r\n%s\r\n\r\n", kTitle);
    vq::rt::SetTextAttr(kColourText);
    vq::rt::Printf("%s\r\n", kDescription);
    vq::rt::Printf("\r\n");
    vq::rt::PutStr(kPrompt);
    if (!IsYesAnswer(vq::rt::ReadStdinChar())) return kExitDone;
    // From here on the disk changes: the warning tells the user not to abort, and neither Ctrl-Break
    // nor a disk error may end the program in the middle of a step.
    const vq::rt::QuietBreaks quiet;

    vq::rt::SetTextAttr(kColourWarning);
    vq::rt::Printf("\r\n");
    vq::rt::Printf("%s\r\n\r\n", kWarning);
    const vq::rt::ScreenPos cursor = vq::rt::GetCursor();
    const TextPos status{cursor.col, cursor.row};

    ShowStatus(status, kStatusExtracting);
    // Nothing has been created or run before this point, and a refusal here leaves the disk as it
    // was: the clean-up must not run on a directory the program did not make or check.
    DosDirs dirs;
    if (!DosSignedBytesMatch(exePath) || !FormDirs(dirs)) {
        ShowFailure(status, kFailExtract);
        return kExitDone;
    }
    if (!DosLeftoverMayBeEmptied(exePath, dirs)) {
        ShowFailure(status, kFailExtract);
        ShowFailureDetail(status, kFailLeftover);
        return kExitDone;
    }
    if (!DosExtract(exePath, dirs)) {
        ShowFailure(status, kFailExtract);
        DosCleanup(dirs);
        return kExitDone;
    }
    ShowStatus(status, kStatusFlashing);
    if (!DosFlash(dirs)) {
        ShowFailure(status, kFailUpgrade);
        DosCleanup(dirs);
        return kExitDone;
    }
    ShowStatus(status, kStatusCleaning);
    // A second pass takes what the first did not list; only what stays after both is reported.
    if (!DosCleanup(dirs) && !DosCleanup(dirs)) {
        // The firmware is written, and the screen says so first. What stays is for the user to
        // delete at the prompt, which a power-off would take away: the user switches off.
        ShowStatus(status, kStatusFlashedNotice);
        ShowStatus(SecondStatusPosition(status), kStatusSwitchOffYourself);
        ShowFailure(status, kFailCleanup);
        return kExitDone;
    }
    ShowStatus(status, kStatusShutdownNotice);
    ShowStatus(SecondStatusPosition(status), kStatusPreparingShutdown);
    DosPowerOff();
    ShowFailure(status, kFailPowerOff);
    return kExitPowerOffReturned;
}
