// The built program started as a user starts it: its window appears, and closing it ends it.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/WorkDir.h"
#include "ui/ControlIds.h"

namespace {

std::string BesideMe(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    return vq::ExeDirOf(self) + name;
}

struct Find {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchForm(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char caption[64] = {};
    GetWindowTextA(hwnd, caption, sizeof caption);
    if (owner == f->pid && std::string(caption) == vq::kFormCaption && IsWindowVisible(hwnd)) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindFormOf(DWORD pid) {
    Find f{pid, nullptr};
    EnumWindows(&MatchForm, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

std::string TextOf(HWND hwnd) {
    char buf[512] = {};
    SendMessageA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// The program started as a user starts it; null when it showed no window in time.
struct Started {
    PROCESS_INFORMATION pi{};
    HWND form = nullptr;
};

Started Launch(const std::string& exe) {
    Started s;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &s.pi)) {
        return s;
    }
    for (int i = 0; i < 200 && !s.form; ++i) {
        Sleep(50);
        s.form = FindFormOf(s.pi.dwProcessId);
    }
    return s;
}

// Closes the window as the close box does; the program's exit code, or -1 when it stays.
long CloseAndWait(Started& s) {
    if (s.form) PostMessageA(s.form, WM_CLOSE, 0, 0);
    DWORD code = 1234;
    const bool ended = WaitForSingleObject(s.pi.hProcess, 10000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(s.pi.hProcess, 1);
    GetExitCodeProcess(s.pi.hProcess, &code);
    CloseHandle(s.pi.hThread);
    CloseHandle(s.pi.hProcess);
    return ended ? long(code) : -1;
}

TEST(Start, WindowAppearsAndClosingEndsWithExitCodeZero) {
    const std::string exe = BesideMe("Vorquint.exe");
    ASSERT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES) << exe;
    Started s = Launch(exe);
    ASSERT_NE(s.pi.hProcess, nullptr);
    HWND form = s.form;
    if (!form) CloseAndWait(s);
    ASSERT_NE(form, nullptr) << "no window captioned " << vq::kFormCaption;
    EXPECT_EQ(TextOf(GetDlgItem(form, vq::kIdLabelDesc)),
              "Upgrade your Sugarbay platform to support Ivybridge processors\n"
              "Disclaimer: Do Not abort the upgrade after starting it");
    // The timer keeps running: within a few ticks the stage caption reads "Stopped".
    std::string caption;
    for (int i = 0; i < 40 && caption != "Stopped"; ++i) {
        Sleep(50);
        caption = TextOf(GetDlgItem(form, vq::kIdLabelCurProgress));
    }
    EXPECT_EQ(caption, "Stopped");
    // No upgrade runs: a logoff may go ahead.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutA(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                    5000, &answer));
    EXPECT_EQ(answer, DWORD_PTR(TRUE));

    EXPECT_EQ(CloseAndWait(s), 0);
    // Closing without an upgrade leaves nothing behind.
    EXPECT_EQ(GetFileAttributesA(BesideMe("VqPTemp").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
