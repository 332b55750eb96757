// The built program started as a user starts it: its window appears, and closing it ends it.
#include <gtest/gtest.h>

#include <windows.h>
#include <sddl.h>

#include <stdint.h>

#include <string>

#include "app/SingleInstance.h"
#include "base/Product.h"
#include "testing/win/tests/DoubleRunner.h"
#include "ui/FormIds.h"

namespace {

std::string BesideMe(const char* name) { return vq::testing::BinDir() + "\\" + name; }

// A visible top-level window of process `pid` with the given caption, or of the given class.
struct Find {
    DWORD pid;
    const char* caption;
    const char* cls;
    HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lp) {
    auto* f = reinterpret_cast<Find*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    char text[64] = {};
    if (f->caption) {
        GetWindowTextA(hwnd, text, sizeof text);
    } else {
        GetClassNameA(hwnd, text, sizeof text);
    }
    if (owner == f->pid && std::string(text) == (f->caption ? f->caption : f->cls) &&
        IsWindowVisible(hwnd)) {
        f->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindWindowOf(DWORD pid, const char* caption, const char* cls) {
    Find f{pid, caption, cls};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&f));
    return f.found;
}

HWND FindFormOf(DWORD pid) { return FindWindowOf(pid, vq::kFormCaption, nullptr); }

std::string TextOf(HWND hwnd) {
    char buf[512] = {};
    SendMessageA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    return buf;
}

// Starts the built program.
bool Start(PROCESS_INFORMATION& pi) {
    const std::string exe = BesideMe("Vorquint.exe");
    EXPECT_NE(GetFileAttributesA(exe.c_str()), INVALID_FILE_ATTRIBUTES) << exe;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        ADD_FAILURE() << "cannot start " << exe;
        return false;
    }
    return true;
}

// Starts the built program and waits for its window.
HWND Launch(PROCESS_INFORMATION& pi) {
    if (!Start(pi)) {
        return nullptr;
    }
    HWND form = nullptr;
    for (int i = 0; i < 200 && !form; ++i) {
        Sleep(50);
        form = FindFormOf(pi.dwProcessId);
    }
    EXPECT_NE(form, nullptr) << "no window captioned " << vq::kFormCaption;
    return form;
}

DWORD EndedWith(const PROCESS_INFORMATION& pi) {
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the program did not end";
        TerminateProcess(pi.hProcess, 99);
    }
    DWORD code = 1234;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Start, WindowAppearsAndClosingEndsWithExitCodeZero) {
    PROCESS_INFORMATION pi{};
    HWND form = Launch(pi);
    ASSERT_NE(form, nullptr);
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

    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(EndedWith(pi), 0u);
    // Closing without an upgrade leaves nothing behind.
    EXPECT_EQ(GetFileAttributesA(BesideMe("VqPTemp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A fault in any of the program's threads (here one that jumps to nowhere, started from
// outside): the error box, and after it exit code 0 rather than a crash.
TEST(Start, AFaultShowsTheErrorBoxAndEndsWithExitCodeZero) {
    PROCESS_INFORMATION pi{};
    HWND form = Launch(pi);
    ASSERT_NE(form, nullptr);
    const auto nowhere = reinterpret_cast<LPTHREAD_START_ROUTINE>(uintptr_t{0x10});
    HANDLE faulting = CreateRemoteThread(pi.hProcess, nullptr, 0, nowhere, nullptr, 0, nullptr);
    EXPECT_NE(faulting, nullptr);
    if (faulting) CloseHandle(faulting);

    HWND box = nullptr;
    for (int i = 0; i < 200 && !box; ++i) {
        Sleep(50);
        box = FindWindowOf(pi.dwProcessId, nullptr, "#32770");  // the message box's class
    }
    if (!box) TerminateProcess(pi.hProcess, 99);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(TextOf(box), vq::kProductName);
    char text[128] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text).rfind("Exception C0000005 at address ", 0), 0u) << text;
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(EndedWith(pi), 0u);
}

// One upgrade at a time: a second start, in any session, brings the running window forward
// (restored from the taskbar) and ends with 0; once the first has ended, a start runs again.
TEST(Start, ASecondStartBringsTheRunningWindowForwardAndEndsWithZero) {
    PROCESS_INFORMATION first{};
    HWND form = Launch(first);
    ASSERT_NE(form, nullptr);
    PostMessageA(form, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    for (int i = 0; i < 100 && IsWindowVisible(form); ++i) Sleep(20);
    EXPECT_FALSE(IsWindowVisible(form)) << "not minimised";

    PROCESS_INFORMATION second{};
    ASSERT_TRUE(Start(second));
    const DWORD secondPid = second.dwProcessId;
    EXPECT_EQ(EndedWith(second), 0u);
    EXPECT_EQ(FindFormOf(secondPid), nullptr);
    EXPECT_TRUE(IsWindowVisible(form)) << "the running window stayed minimised";
    EXPECT_EQ(GetForegroundWindow(), form);

    PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(EndedWith(first), 0u);
    PROCESS_INFORMATION third{};
    HWND again = Launch(third);
    ASSERT_NE(again, nullptr) << "the ended instance's mark still blocks";
    PostMessageA(again, WM_CLOSE, 0, 0);
    EXPECT_EQ(EndedWith(third), 0u);
}

// A mutex of the mark's name made first by someone else, who could be any standard user: held,
// or shutting administrators out, it must not keep the program from running.
TEST(Start, AMarkSomeoneElseMadeDoesNotBlock) {
    for (const char* squatter : {"O:WDD:(A;;GA;;;WD)", "O:WDD:"}) {
        PSECURITY_DESCRIPTOR sd = nullptr;
        ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(squatter, SDDL_REVISION_1,
                                                                         &sd, nullptr));
        SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
        HANDLE mark = CreateMutexA(&sa, TRUE, vq::kOneInstanceName);
        LocalFree(sd);
        ASSERT_NE(mark, nullptr) << squatter;
        PROCESS_INFORMATION pi{};
        HWND form = Launch(pi);
        if (form) {
            PostMessageA(form, WM_CLOSE, 0, 0);
        }
        EXPECT_NE(form, nullptr) << "blocked by " << squatter;
        EXPECT_EQ(EndedWith(pi), 0u);
        ReleaseMutex(mark);
        CloseHandle(mark);
    }
}

// The mark squatted where a standard user could: on the global name (which earlier versions
// used, and the program falls back to without private namespaces), and in a namespace of the
// same name whose boundary holds Everyone. Neither switches the guard off: a second start still
// ends at once. Wine 8 has no private namespaces (CreateBoundaryDescriptorW answers null and
// CreatePrivateNamespaceW ends the caller): there the guard is the global name's, and this skips.
TEST(Start, ASquatterDoesNotSwitchTheGuardOff) {
    HANDLE boundary = CreateBoundaryDescriptorW(vq::kMarkNamespace, 0);
    if (boundary == nullptr) GTEST_SKIP() << "no private namespaces on this system";
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("O:WDD:(A;;GA;;;WD)", SDDL_REVISION_1, &sd,
                                                                     nullptr));
    SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof everyone;
    ASSERT_TRUE(CreateWellKnownSid(WinWorldSid, nullptr, everyone, &size));
    ASSERT_TRUE(AddSIDToBoundaryDescriptor(&boundary, everyone));
    HANDLE space = CreatePrivateNamespaceW(&sa, boundary, vq::kMarkNamespace);
    ASSERT_NE(space, nullptr);
    HANDLE inSpace = CreateMutexW(&sa, TRUE, vq::kNamespacedMarkName);
    HANDLE global = CreateMutexA(&sa, TRUE, vq::kOneInstanceName);
    LocalFree(sd);
    EXPECT_NE(inSpace, nullptr);
    EXPECT_NE(global, nullptr);

    PROCESS_INFORMATION first{};
    HWND form = Launch(first);
    EXPECT_NE(form, nullptr) << "a squatter blocked the program";
    PROCESS_INFORMATION second{};
    if (form && Start(second)) {
        const DWORD secondPid = second.dwProcessId;
        Sleep(2000);
        EXPECT_EQ(FindFormOf(secondPid), nullptr) << "two upgrades at once";
        PostMessageA(FindFormOf(secondPid), WM_CLOSE, 0, 0);
        EXPECT_EQ(EndedWith(second), 0u);
    }
    if (form) PostMessageA(form, WM_CLOSE, 0, 0);
    EXPECT_EQ(EndedWith(first), 0u);
    CloseHandle(global);
    CloseHandle(inSpace);
    ClosePrivateNamespace(space, 0);
    DeleteBoundaryDescriptor(boundary);
}

}  // namespace
