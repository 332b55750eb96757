// The DOS face of the upgrade: prompt, extract, flash, clean up, power off.
#include "Console.h"
#include "DosScreen.h"
#include "DosSteps.h"
#include "DosTexts.h"

using namespace vqdos;

int main(int argc, char** argv) {
    const char* exePath = argc > 0 ? argv[0] : "";
    rt::ClearScreen();
    rt::SetTextAttr(kColourTitle);
    rt::Printf("\r\n%s\r\n\r\n", kTitle);
    rt::SetTextAttr(kColourText);
    rt::Printf("%s\r\n", kDescription);
    rt::Printf("\r\n");
    rt::PutStr(kPrompt);
    if (!IsYesAnswer(rt::ReadStdinChar())) return kExitDone;

    rt::SetTextAttr(kColourWarning);
    rt::Printf("\r\n");
    rt::Printf("%s\r\n\r\n", kWarning);
    const rt::ScreenPos cursor = rt::GetCursor();
    const TextPos status{cursor.col, cursor.row};

    ShowStatus(status, kStatusExtracting);
    DosDirs dirs;
    if (!FormDirs(dirs)) {
        ShowFailure(status, kFailExtract);
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
    if (!DosCleanup(dirs)) {
        ShowFailure(status, kFailCleanup);
        DosCleanup(dirs);
        return kExitDone;
    }
    ShowStatus(status, kStatusShutdownNotice);
    ShowStatus(status, kStatusPreparingShutdown);
    DosPowerOff();
    return kExitPowerOffReturned;
}
