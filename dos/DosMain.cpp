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
    if (!DosExtract(exePath)) {
        ShowFailure(status, kFailExtract);
        DosCleanup();
        return kExitDone;
    }
    ShowStatus(status, kStatusFlashing);
    if (!DosFlash()) {
        ShowFailure(status, kFailUpgrade);
        DosCleanup();
        return kExitDone;
    }
    ShowStatus(status, kStatusCleaning);
    if (!DosCleanup()) {
        ShowFailure(status, kFailCleanup);
        DosCleanup();
        return kExitDone;
    }
    ShowStatus(status, kStatusShutdownNotice);
    ShowStatus(status, kStatusPreparingShutdown);
    DosPowerOff();
    return kExitPowerOffReturned;
}
