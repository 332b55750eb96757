// The main window's frame and controls: positions, texts, fonts and colours, in creation order.
#include "app/Vorquint_form.h"
#include "ui/ControlIds.h"

namespace {

constexpr int kClientWidth = 455;
constexpr int kClientHeight = 218;
constexpr UINT kTimerInterval = 250;
constexpr UINT_PTR kTimerId = 1;

constexpr uint32_t clWindowText = 0x80000008u;
constexpr uint32_t cl3DDkShadow = 0x80000015u;
constexpr uint32_t clHotLight = 0x8000001Au;

}  // namespace

void TForm1::CreateControls(HWND owner) {
    using namespace vq;
    if (!CreateForm(owner, kFormCaption, kClientWidth, kClientHeight)) return;
    HWND h = Handle();
    Label_Title.Create(h, kIdLabelTitle, 16, 8, "Zintara", -21, false, true, clWindowText);
    Label_Desc.Create(h, kIdLabelDesc, 16, 40, "Label_Desc", -13, false, false, cl3DDkShadow);
    Label_Percentage.Create(h, kIdLabelPercentage, 208, 113, "0%", -13, false, false, clWindowText);
    Label_Message.Create(h, kIdLabelMessage, 8, 168, "Do Not Abort the Upgrad or Turn Off the Power", -13,
                         true, false, clHotLight);
    Label_CurProgress.Create(h, kIdLabelCurProgress, 8, 144, "Label_CurProgress", -13, false, false,
                             cl3DDkShadow);
    Bevel_Separator.Create(h, kIdBevelSeparator, 28, 136, 400, 2);
    BitBtn_Upgrade.Create(h, kIdBitBtnUpgrade, 344, 160, 105, 49, "&Upgrade");
    ProgressBar.Create(h, kIdProgressBar, 8, 88, 441, 17);
    Timer1.Start(h, kTimerId, kTimerInterval);
    CenterOnScreen();
    SetFocus(BitBtn_Upgrade.Handle());
}

void TForm1::DoCommand(int id, int code) {
    if (id == vq::kIdBitBtnUpgrade && code == BN_CLICKED) BitBtn_UpgradeClick(&BitBtn_Upgrade);
}

HBRUSH TForm1::DoCtlColor(HDC dc, HWND control) {
    const vq::ui::TLabel* labels[] = {&Label_Title, &Label_Desc, &Label_Percentage, &Label_Message,
                                      &Label_CurProgress};
    for (const auto* label : labels) {
        if (label->Handle() != control) continue;
        SetTextColor(dc, vq::ui::ColorToRGB(label->FontColor()));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return GetSysColorBrush(COLOR_BTNFACE);
    }
    return nullptr;
}
