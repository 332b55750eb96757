// The per-test main form: built as the entry builds it, destroyed and drained after each test.
#include "tests/win/ui/FormFixture.h"

#include "base/Product.h"

namespace vq::test {

void FormTest::SetUpTestSuite() {
    // One application object for the whole program, as in the product; it ends with the process.
    if (app_) return;
    app_ = new vq::ui::TApplication;
    ASSERT_TRUE(app_->Initialize(vq::kIdiMain));
    app_->SetTitle(kProductName);
}

void FormTest::MakeForm(bool runCreateEvent) {
    Form1 = new TForm1(app_->Handle());
    app_->SetMainForm(Form1);
    if (runCreateEvent) Form1->AfterConstruction();
    ShowWindow(app_->Handle(), SW_SHOWNOACTIVATE);
    ShowWindow(Form1->Handle(), SW_SHOWNORMAL);
    SetForegroundWindow(Form1->Handle());
    UpdateWindow(Form1->Handle());
    Pump();
}

void FormTest::TearDown() {
    if (Form1 && !Form1->Destroyed()) DestroyWindow(Form1->Handle());
    app_->SetMainForm(nullptr);
    delete Form1;
    Form1 = nullptr;
    // The destroyed form asked the loop to end; there is no loop here.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

Box FormTest::BoxOf(int id) const {
    RECT r{};
    HWND h = Control(id);
    GetWindowRect(h, &r);
    MapWindowPoints(nullptr, Form1->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

std::string FormTest::TextOf(int id) const {
    char buf[512] = {};
    GetWindowTextA(Control(id), buf, sizeof buf);
    return buf;
}

int FormTest::BarPosition() const {
    return int(SendMessageA(Control(vq::kIdProgressBar), 0x0408 /* PBM_GETPOS */, 0, 0));
}

void FormTest::TickAt(int32_t stage, int ticks) {
    Form1->FStage.store(stage);
    for (int i = 0; i < ticks; ++i) Form1->Timer1Timer(&Form1->Timer1);
}

void FormTest::Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) break;
        vq::ui::DeliverMessage(msg);
    }
    if (Form1 && !Form1->Destroyed()) RedrawWindow(Form1->Handle(), nullptr, nullptr,
                                                   RDW_UPDATENOW | RDW_ALLCHILDREN);
}

std::vector<uint32_t> FormTest::Capture(int id, int& width, int& height) {
    Pump();
    HWND h = Control(id);
    RECT r{};
    GetClientRect(h, &r);
    width = r.right;
    height = r.bottom;
    HDC src = GetDC(h);
    HDC mem = CreateCompatibleDC(src);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    // Drawn into our bitmap by the control itself: other windows on the display cannot spoil it.
    PrintWindow(h, mem, PW_CLIENTONLY);
    GdiFlush();
    std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                                 static_cast<const uint32_t*>(bits) + size_t(width) * height);
    for (uint32_t& p : pixels) p &= 0x00FFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(h, src);
    return pixels;
}

}  // namespace vq::test
