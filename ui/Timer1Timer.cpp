// The 250 ms tick: brings the progress area in line with the current stage.
#include "app/Vorquint_form.h"

void TForm1::Timer1Timer(TObject* /*Sender*/) {
    vq::ui::ProcessMessages();
    if (Destroyed()) return;
    // Display rule follows with the stage table.
    vq::ui::ProcessMessages();
}
