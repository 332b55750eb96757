// The main window's frame and controls: positions, texts, fonts and colours, in creation order.
#include "app/Vorquint_form.h"
#include "base/Product.h"
#include "res/ResourceIds.h"
#include "ui/FormIds.h"

namespace {

using vq::ui::TColor;

// Pixels at 96 dpi; the form scales them when the screen needs it.
constexpr int kClientWidth = 455;
constexpr int kClientHeight = 218;
constexpr int kFontHeight = -13;       // window font and every control's but the title
constexpr int kTitleFontHeight = -21;
constexpr UINT kTimerInterval = 250;   // ms
constexpr UINT_PTR kTimerId = 1;

struct LabelSpec {
    int id, left, top;
    const char* text;
    int fontHeight;
    bool bold, underline;
    TColor color;
};

constexpr LabelSpec kLabelTitle{vq::kIdLabelTitle, 16, 8, vq::kProductName, kTitleFontHeight, false, true,
                                vq::ui::clWindowText};
constexpr LabelSpec kLabelDesc{vq::kIdLabelDesc, 16, 40, "Label_Desc", kFontHeight, false, false,
                               vq::ui::cl3DDkShadow};
constexpr LabelSpec kLabelPercentage{vq::kIdLabelPercentage, 208, 113, "0%", kFontHeight, false,
                                     false, vq::ui::clWindowText};
constexpr LabelSpec kLabelMessage{vq::kIdLabelMessage, 8, 168,
                                  "Do Not Abort the Upgrad or Turn Off the Power", kFontHeight,
                                  true, false, vq::ui::clHotLight};
constexpr LabelSpec kLabelCurProgress{vq::kIdLabelCurProgress, 8, 144, "Label_CurProgress",
                                      kFontHeight, false, false, vq::ui::cl3DDkShadow};

struct BoxSpec {
    int id, left, top, width, height;
};

constexpr BoxSpec kBevelSeparator{vq::kIdBevelSeparator, 28, 136, 400, 2};
constexpr BoxSpec kBitBtnUpgrade{vq::kIdBitBtnUpgrade, 344, 160, 105, 49};
constexpr BoxSpec kProgressBar{vq::kIdProgressBar, 8, 88, 441, 17};
constexpr const char* kUpgradeCaption = "&Upgrade";

}  // namespace

void TForm1::CreateControls(HWND owner) {
    if (!CreateForm(owner, vq::kFormClass, vq::kFormCaption, kClientWidth, kClientHeight,
                    kFontHeight, vq::ui::clBtnFace, vq::kIdiMain)) {
        return;
    }
    const vq::ui::ScaleRatio& s = Scale();
    const HWND h = Handle();
    auto label = [&](vq::ui::TLabel& l, const LabelSpec& row) {
        l.Create(h, row.id, s.Apply(row.left), s.Apply(row.top), row.text,
                 s.Apply(row.fontHeight), row.bold, row.underline, row.color);
    };
    auto box = [&](const BoxSpec& b, auto&& create) {
        create(b.id, s.Apply(b.left), s.Apply(b.top), s.Apply(b.width), s.Apply(b.height));
    };
    label(Label_Title, kLabelTitle);
    label(Label_Desc, kLabelDesc);
    label(Label_Percentage, kLabelPercentage);
    label(Label_Message, kLabelMessage);
    label(Label_CurProgress, kLabelCurProgress);
    box(kBevelSeparator, [&](int id, int x, int y, int w, int ht) {
        Bevel_Separator.Create(h, id, x, y, w, ht);
    });
    box(kBitBtnUpgrade, [&](int id, int x, int y, int w, int ht) {
        BitBtn_Upgrade.Create(h, id, x, y, w, ht, kUpgradeCaption, s.Apply(kFontHeight),
                              vq::kIdbUpgrade);
    });
    box(kProgressBar, [&](int id, int x, int y, int w, int ht) {
        ProgressBar.Create(h, id, x, y, w, ht);
    });
    Timer1.Start(h, kTimerId, kTimerInterval);
    // The button is first in the tab order and the only control that takes the focus.
    SetActiveControl(BitBtn_Upgrade.Handle());
    CenterOnScreen();
}

void TForm1::DoCommand(int id, int code) {
    if (id == vq::kIdBitBtnUpgrade && code == BN_CLICKED) BitBtn_UpgradeClick(&BitBtn_Upgrade);
}

HBRUSH TForm1::DoCtlColor(HDC, HWND) {
    // Every control paints in its own colours.
    return nullptr;
}
