// Closing the window once an upgrade has started ends the process with 0, even when a worker
// was stopped while it held a lock that the ordinary way out of a program waits for.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/Vorquint_form.h"
#include "res/ResourceIds.h"
#include "ui/Application.h"

namespace {

// Set in the copy of this test program that plays the closing program.
constexpr const char* kChildVariable = "VQ_TEST_CLOSE_CHILD";
constexpr DWORD kEndWaitMs = 15000;
constexpr DWORD kSettleMs = 500;  // the window shown and painted before the lock is taken

using LockLoaderFn = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);

// A worker caught inside the loader lock (suspended during its thread start, for example). It
// takes the lock once the window stands, then has the window closed as the close box does.
DWORD WINAPI WorkerInTheLoaderLock(LPVOID) {
    const auto lock = reinterpret_cast<LockLoaderFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll"), "LdrLockLoaderLock")));
    while (!IsWindowVisible(Form1->Handle())) Sleep(10);
    Sleep(kSettleMs);
    ULONG_PTR cookie = 0;
    lock(0, nullptr, &cookie);
    PostMessageA(Form1->Handle(), WM_CLOSE, 0, 0);
    Sleep(INFINITE);
    return 0;
}

void RunTheClosingProgram() {
    vq::ui::TApplication application;
    application.Initialize(vq::kIdiMain);
    application.CreateForm(Form1);
    ExtractThreadHandle = CreateThread(nullptr, 0, WorkerInTheLoaderLock, nullptr, 0, nullptr);
    application.Run();
}

TEST(Close, EndsWithZeroWhileASuspendedWorkerHoldsTheLoaderLock) {
    if (GetEnvironmentVariableA(kChildVariable, nullptr, 0) != 0) {
        RunTheClosingProgram();
        return;  // from here on, the process's exit waits on the lock for ever
    }
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"").append(self).append("\" --gtest_filter=Close.*");
    SetEnvironmentVariableA(kChildVariable, "1");
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const bool started =
        CreateProcessA(self, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kChildVariable, nullptr);
    ASSERT_TRUE(started);

    const DWORD waited = WaitForSingleObject(pi.hProcess, kEndWaitMs);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    DWORD code = 1234;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the closed program never ended";
    EXPECT_EQ(code, 0u);
}

}  // namespace
