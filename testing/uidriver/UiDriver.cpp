// Drives Vorquint's main window from another process the way a user would, and reads what it shows.
#include "testing/uidriver/UiDriver.h"

#include <commctrl.h>

#include "ui/FormIds.h"

namespace vq::testing {

namespace {

constexpr UINT kAnswerTimeoutMs = 2000;  // a window that takes longer than this is hung
constexpr size_t kTextBufferSize = 1024;
constexpr size_t kLargestText = 1 << 20;
constexpr int kSampleAttempts = 10;
constexpr uint64_t kFileTimeTo1970 = 116444736000000000ull;
constexpr uint64_t kFileTimeUnitsPerMs = 10000;

struct FindRequest {
    DWORD pid;
    const char* caption;
    const char* className;  // nullptr: any class
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM param) {
    auto* req = reinterpret_cast<FindRequest*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (req->pid != 0 && pid != req->pid) {
        return TRUE;
    }
    char text[256];
    if (GetWindowTextA(hwnd, text, sizeof text) <= 0 || lstrcmpA(text, req->caption) != 0) {
        return TRUE;
    }
    if (req->className != nullptr) {
        char cls[64];
        if (GetClassNameA(hwnd, cls, sizeof cls) <= 0 || lstrcmpA(cls, req->className) != 0) {
            return TRUE;
        }
    }
    req->found = hwnd;
    return FALSE;
}

HWND FindTopLevel(DWORD pid, const char* caption, const char* className) {
    FindRequest req{pid, caption, className, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&req));
    return req.found;
}

bool ReadControl(HWND form, int id, ControlState& state) {
    HWND control = GetDlgItem(form, id);
    state = ControlState{};
    if (control == nullptr) {
        return false;
    }
    state.present = true;
    state.enabled = IsWindowEnabled(control) != FALSE;
    state.visible = IsWindowVisible(control) != FALSE;
    GetWindowRect(control, &state.rect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&state.rect), 2);
    return ReadText(control, state.text);
}

bool PostClick(HWND button) {
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

}  // namespace

HWND FindMainWindow(DWORD pid) {
    return FindTopLevel(pid, vq::kFormCaption, nullptr);
}

HWND FindConfirmBox(DWORD pid) {
    return FindTopLevel(pid, kConfirmCaption, kDialogClass);
}

bool ReadText(HWND window, std::string& text) {
    // One WM_GETTEXT into a roomy buffer: asking for the length first could meet a text that
    // changed in between and come back cut short.
    for (size_t size = kTextBufferSize; size <= kLargestText; size *= 4) {
        std::string buffer(size, '\0');
        DWORD_PTR got = 0;
        if (!SendMessageTimeoutA(window, WM_GETTEXT, buffer.size(),
                                 reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                                 kAnswerTimeoutMs, &got)) {
            return false;
        }
        if (got + 1 < size) {
            buffer.resize(got);
            text = buffer;
            return true;
        }
    }
    return false;
}

bool ReadWindow(HWND form, WindowState& state) {
    state = WindowState{};
    if (!ReadText(form, state.caption)) {
        return false;
    }
    RECT client;
    GetClientRect(form, &client);
    state.client = SIZE{client.right - client.left, client.bottom - client.top};
    bool ok = ReadControl(form, kIdLabelTitle, state.title);
    ok = ReadControl(form, kIdLabelDesc, state.desc) && ok;
    ok = ReadControl(form, kIdLabelPercentage, state.percentage) && ok;
    ok = ReadControl(form, kIdLabelMessage, state.message) && ok;
    ok = ReadControl(form, kIdLabelCurProgress, state.curProgress) && ok;
    ok = ReadControl(form, kIdBevelSeparator, state.bevel) && ok;
    ok = ReadControl(form, kIdBitBtnUpgrade, state.button) && ok;
    ok = ReadControl(form, kIdProgressBar, state.bar) && ok;
    DWORD_PTR position = 0;
    if (ok && SendMessageTimeoutA(GetDlgItem(form, kIdProgressBar), PBM_GETPOS, 0, 0,
                                  SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &position)) {
        state.barPosition = int(position);
    } else {
        ok = false;
    }
    return ok;
}

namespace {

bool ReadSampleOnce(HWND form, Sample& sample) {
    HWND bar = GetDlgItem(form, kIdProgressBar);
    HWND button = GetDlgItem(form, kIdBitBtnUpgrade);
    DWORD_PTR position = 0;
    if (bar == nullptr || button == nullptr ||
        !SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &position)) {
        return false;
    }
    sample.bar = int(position);
    sample.buttonEnabled = IsWindowEnabled(button) != FALSE;
    return ReadText(GetDlgItem(form, kIdLabelPercentage), sample.percentage) &&
           ReadText(GetDlgItem(form, kIdLabelCurProgress), sample.caption) &&
           ReadText(GetDlgItem(form, kIdLabelMessage), sample.message);
}

}  // namespace

bool TakeSample(HWND form, Sample& sample) {
    // The reads are separate messages and a tick may run between them; two equal readings in a
    // row belong to one tick (ticks are 250 ms apart, a reading takes a few).
    Sample previous;
    if (!ReadSampleOnce(form, previous)) {
        return false;
    }
    for (int attempt = 0; attempt < kSampleAttempts; ++attempt) {
        Sample next;
        if (!ReadSampleOnce(form, next)) {
            return false;
        }
        if (next == previous) {
            sample = next;
            return true;
        }
        previous = next;
    }
    return false;
}

bool PressUpgrade(HWND form) {
    return PostClick(GetDlgItem(form, kIdBitBtnUpgrade));
}

std::string ConfirmText(HWND box) {
    std::string text;
    HWND label = GetDlgItem(box, kMessageBoxTextId);
    if (label != nullptr) {
        ReadText(label, text);
    }
    return text;
}

bool AnswerConfirm(HWND box, bool yes) {
    return PostClick(GetDlgItem(box, yes ? IDYES : IDNO));
}

bool CloseMain(HWND form) {
    return PostMessageA(form, WM_CLOSE, 0, 0) != FALSE;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default: out += c;
        }
    }
    return out;
}

std::string FormatSample(uint64_t elapsedMs, const Sample& s) {
    return std::to_string(elapsedMs) + "\t" + std::to_string(s.bar) + "\t" + Escape(s.percentage) +
           "\t" + (s.buttonEnabled ? "1" : "0") + "\t" + Escape(s.caption) + "\t" +
           Escape(s.message);
}

uint64_t EpochMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    const uint64_t t = uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime;
    return (t - kFileTimeTo1970) / kFileTimeUnitsPerMs;
}

}  // namespace vq::testing
