// The window as it opens: frame, controls in creation order with their places and sizes, focus.

#include <stdlib.h>

#include <tuple>

#include "base/Product.h"
#include "tests/win/ui/FormFixture.h"

#include <commctrl.h>
#include <uxtheme.h>

namespace vq::test {
namespace {

std::string ClassOf(HWND h) {
    char buf[64] = {};
    GetClassNameA(h, buf, sizeof buf);
    return buf;
}

using Layout = FormTest;

TEST_F(Layout, FrameIsFixedWithMinimiseAndCloseOnly) {
    HWND form = Form1->Handle();
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 455);
    EXPECT_EQ(client.bottom, 218);
    const LONG style = GetWindowLongA(form, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME) << "the border must not size the window";
    EXPECT_FALSE(GetWindowLongA(form, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
    EXPECT_NE(GetClassLongPtrA(form, GCLP_HICON), 0) << "main icon from the resources";
}

TEST_F(Layout, WindowIsCentredOnTheScreen) {
    RECT r{};
    GetWindowRect(Form1->Handle(), &r);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(abs((r.left + r.right) - cx), 1);
    EXPECT_LE(abs((r.top + r.bottom) - cy), 1);
}

TEST_F(Layout, ControlsHaveTheirKindPlaceAndSize) {
    EXPECT_EQ(ClassOf(Control(kIdBevelSeparator)), "TBevel");
    EXPECT_EQ(ClassOf(Control(kIdBitBtnUpgrade)), "Button");
    EXPECT_EQ(ClassOf(Control(kIdProgressBar)), PROGRESS_CLASSA);
    for (int id : {kIdLabelTitle, kIdLabelDesc, kIdLabelPercentage, kIdLabelMessage,
                   kIdLabelCurProgress}) {
        EXPECT_EQ(ClassOf(Control(id)), "Static") << id;
    }
    EXPECT_EQ(BoxOf(kIdBevelSeparator), (Box{28, 136, 400, 2}));
    EXPECT_EQ(BoxOf(kIdBitBtnUpgrade), (Box{344, 160, 105, 49}));
    EXPECT_EQ(BoxOf(kIdProgressBar), (Box{8, 88, 441, 17}));
    EXPECT_EQ(BoxOf(kIdLabelPercentage), (Box{208, 113, 16, 15}));
    // After the create event: the description on two lines, caption and message empty but one
    // line high.
    const Box desc = BoxOf(kIdLabelDesc);
    EXPECT_EQ(desc.left, 16);
    EXPECT_EQ(desc.top, 40);
    EXPECT_EQ(desc.height, 30);
    const Box title = BoxOf(kIdLabelTitle);
    EXPECT_EQ(title.left, 16);
    EXPECT_EQ(title.top, 8);
    EXPECT_EQ(title.height, 26);
    EXPECT_EQ(BoxOf(kIdLabelCurProgress).height, 15);
    EXPECT_EQ(BoxOf(kIdLabelMessage).height, 15);
    EXPECT_EQ(BoxOf(kIdLabelMessage).left, 8);
    EXPECT_EQ(BoxOf(kIdLabelMessage).top, 168);
    EXPECT_EQ(BoxOf(kIdLabelCurProgress).left, 8);
    EXPECT_EQ(BoxOf(kIdLabelCurProgress).top, 144);
}

TEST_F(Layout, ControlsAreCreatedInTheirOrder) {
    // Child windows enumerate in creation order.
    std::vector<int> ids;
    for (HWND h = GetWindow(Form1->Handle(), GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        ids.push_back(GetDlgCtrlID(h));
    }
    EXPECT_EQ(ids, (std::vector<int>{kIdLabelTitle, kIdLabelDesc, kIdLabelPercentage,
                                     kIdLabelMessage, kIdLabelCurProgress, kIdBevelSeparator,
                                     kIdBitBtnUpgrade, kIdProgressBar}));
    EXPECT_EQ(Form1->Timer1.Interval(), 250u);
}

TEST_F(Layout, LabelsSizeToTheirDesignTexts) {
    TearDown();
    MakeForm(false);
    EXPECT_EQ(TextOf(kIdLabelMessage), "Do Not Abort the Upgrad or Turn Off the Power");
    // Measured with Carlito, which has Calibri's metrics.
    EXPECT_EQ(BoxOf(kIdLabelMessage), (Box{8, 168, 262, 15}));
    EXPECT_EQ(BoxOf(kIdLabelPercentage), (Box{208, 113, 16, 15}));
    EXPECT_EQ(BoxOf(kIdLabelDesc).height, 15);
    EXPECT_EQ(BoxOf(kIdLabelCurProgress).height, 15);
    EXPECT_GT(BoxOf(kIdLabelCurProgress).width, BoxOf(kIdLabelDesc).width);
}

TEST_F(Layout, FocusStartsAndStaysOnTheButton) {
    HWND button = Control(kIdBitBtnUpgrade);
    EXPECT_EQ(GetFocus(), button);
    const LONG style = GetWindowLongA(button, GWL_STYLE);
    EXPECT_TRUE(style & WS_TABSTOP);
    EXPECT_FALSE(GetWindowLongA(Control(kIdProgressBar), GWL_STYLE) & WS_TABSTOP);
    // Tab and Shift+Tab find nothing else to go to.
    EXPECT_EQ(GetNextDlgTabItem(Form1->Handle(), button, FALSE), button);
    EXPECT_EQ(GetNextDlgTabItem(Form1->Handle(), button, TRUE), button);
    MSG tab{button, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    vq::ui::DeliverMessage(tab);
    Pump();
    EXPECT_EQ(GetFocus(), button);
    // Away and back: the focus returns to the button, not to the frame.
    SetFocus(Form1->Handle());
    SendMessageA(Form1->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), button);
}

TEST_F(Layout, CaptionsAndInitialTexts) {
    EXPECT_EQ(TextOf(kIdBitBtnUpgrade), "&Upgrade");
    EXPECT_EQ(TextOf(kIdLabelTitle), kProductName);
    EXPECT_EQ(TextOf(kIdLabelPercentage), "0%");
    EXPECT_EQ(BarPosition(), 0);
    EXPECT_EQ(SendMessageA(Control(kIdProgressBar), PBM_GETRANGE, FALSE, 0), 100);
    EXPECT_EQ(SendMessageA(Control(kIdProgressBar), PBM_GETRANGE, TRUE, 0), 0);
}

TEST_F(Layout, ButtonShowsItsGlyphWithTheWhiteLeftOut) {
    // Wine's theme paints a white face, on which a white picture background would not show:
    // without the theme the face is the grey button-face colour.
    HWND button = Control(kIdBitBtnUpgrade);
    SetWindowTheme(button, L" ", L" ");
    InvalidateRect(button, nullptr, TRUE);
    int w = 0, h = 0;
    const std::vector<uint32_t> px = Capture(kIdBitBtnUpgrade, w, h);
    ASSERT_EQ(w, 105);
    ASSERT_EQ(h, 49);
    int amber = 0, white = 0;
    // The glyph sits at (12, 9): 32 x 32, centred together with the caption.
    for (int y = 9; y < 9 + 32; ++y) {
        for (int x = 12; x < 12 + 32; ++x) {
            const uint32_t p = px[size_t(y) * w + x];
            amber += (Red(p) > 0xD0 && Green(p) > 0x70 && Green(p) < 0xD8 && Blue(p) < 0x50) ? 1 : 0;
            white += p == 0xFFFFFF ? 1 : 0;
        }
    }
    EXPECT_GT(amber, 60);
    EXPECT_EQ(white, 0) << "the picture's white background must be drawn transparent";
    // Nothing of the picture left of it.
    int dark = 0;
    for (int y = 9; y < 9 + 32; ++y) {
        for (int x = 5; x < 11; ++x) dark += Red(px[size_t(y) * w + x]) < 0x50 ? 1 : 0;
    }
    EXPECT_EQ(dark, 0);
}

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

COLORREF Rgb(uint32_t p) { return RGB(Red(p), Green(p), Blue(p)); }

// A lowered box: shadow along the top and left, highlight along the bottom and right, and an
// inside (from three rows up, at higher densities) in the window's face colour.
TEST_F(Layout, SeparatorIsEtchedWithItsInsideInTheFaceColour) {
    int w = 0, h = 0;
    const std::vector<uint32_t> px = Capture(kIdBevelSeparator, w, h);
    ASSERT_GE(h, 2);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW), light = GetSysColor(COLOR_BTNHIGHLIGHT),
                   face = GetSysColor(COLOR_BTNFACE);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const bool bottomOrRight = y == h - 1 || x == w - 1;
            const COLORREF want = bottomOrRight ? light : (y == 0 || x == 0) ? shadow : face;
            ASSERT_EQ(Rgb(px[size_t(y) * w + x]), want) << "row " << y << " of " << h << ", x " << x;
        }
    }
}

// Everything grows by the window font's line, 24 pixels at 144 dpi against 15 at 96 (Carlito),
// and the labels' fonts with it.
TEST_F(Layout, At144DpiPlacesAndSizesGrowByTheLineHeight) {
    if (ScreenDpi() != 144) GTEST_SKIP() << "needs a 144-dpi screen; new-prefix.sh gives one";
    RECT client{};
    GetClientRect(Form1->Handle(), &client);
    EXPECT_EQ(client.right, 728);
    EXPECT_EQ(client.bottom, 349);
    EXPECT_EQ(BoxOf(kIdBevelSeparator), (Box{45, 218, 640, 3}));
    EXPECT_EQ(BoxOf(kIdBitBtnUpgrade), (Box{550, 256, 168, 78}));
    EXPECT_EQ(BoxOf(kIdProgressBar), (Box{13, 141, 706, 27}));
    EXPECT_EQ(BoxOf(kIdLabelPercentage), (Box{333, 181, 26, 26}));  // "0%" at -21
    for (auto [id, left, top] : {std::tuple{kIdLabelTitle, 26, 13}, {kIdLabelDesc, 26, 64},
                                 {kIdLabelCurProgress, 13, 230}, {kIdLabelMessage, 13, 269}}) {
        EXPECT_EQ(BoxOf(id).left, left) << id;
        EXPECT_EQ(BoxOf(id).top, top) << id;
    }
    EXPECT_EQ(BoxOf(kIdLabelMessage).height, 26);
}

TEST_F(Layout, MinimiseAndRestoreGoThroughTheTaskbarWindow) {
    HWND form = Form1->Handle();
    SendMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Pump();
    EXPECT_TRUE(IsIconic(app_->Handle()));
    EXPECT_FALSE(IsWindowVisible(form)) << "the form goes with its owner";
    ShowWindow(app_->Handle(), SW_RESTORE);
    Pump();
    EXPECT_TRUE(IsWindowVisible(form));
    RECT client{};
    GetClientRect(form, &client);
    EXPECT_EQ(client.right, 455);
    EXPECT_EQ(client.bottom, 218);
}

}  // namespace
}  // namespace vq::test
