// The 250 ms tick: brings the progress area in line with the current stage.
#include "app/Vorquint_form.h"
#include "ui/StageDisplay.h"

void TForm1::Timer1Timer(TObject* /*Sender*/) {
    // The pump may handle a close request and destroy the window: after each pump, look before
    // touching a control. The form object itself lives until the event loop has ended.
    vq::ui::ProcessMessages();
    if (Destroyed()) return;

    const int32_t stage = FStage.load(std::memory_order_relaxed);
    const vq::ui::TickPlan plan = vq::ui::PlanTick(stage, ProgressBar.Position());
    if (!plan.Skip) {
        if (plan.SetBar) ProgressBar.SetPosition(plan.Position);
        Label_Percentage.SetCaption(vq::ui::PercentageText(ProgressBar.Position()).c_str());
        Label_CurProgress.SetCaption(plan.Row->Caption);
        Label_Message.SetCaption(vq::ui::MessageText(*plan.Row, FWorkDirKept.load()).c_str());
        Label_Message.SetFontColor(plan.Row->Color);
    }

    vq::ui::ProcessMessages();
}
