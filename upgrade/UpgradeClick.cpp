// The upgrade button: confirmation and the start of the worker chain.
#include "app/Vorquint_form.h"

void TForm1::BitBtn_UpgradeClick(TObject* /*Sender*/) {}
void TForm1::StartExtractThread() {}
void TForm1::StartFlashThread() {}
void TForm1::StartCleanupThread() {}
void TForm1::StartShutdownThread() {}
