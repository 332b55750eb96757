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

TEST(Start, WindowAppearsAndClosingEndsWithExitCodeZero) {
    const std::string exe = BesideMe("Vorquint.exe");
    ASSERT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES) << exe;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe + "\"";
    ASSERT_TRUE(CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    HWND form = nullptr;
    for (int i = 0; i < 200 && !form; ++i) {
        Sleep(50);
        form = FindFormOf(pi.dwProcessId);
    }
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

    PostMessageA(form, WM_CLOSE, 0, 0);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
    DWORD code = 1234;
    GetExitCodeProcess(pi.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // Closing without an upgrade leaves nothing behind.
    EXPECT_EQ(GetFileAttributesA(BesideMe("VqPTemp").c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
