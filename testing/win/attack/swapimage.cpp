// Attacker for the end-to-end tests: starts the program and tries what malware running as the
// user would, through Windows calls so that Windows' sharing rules apply: rename the running
// executable away and put another in its place. By default once its window waits for input;
// with --at-start the moment its process exists, before its first instruction.
//   vqswap [--at-start] EXE AWAY REPLACEMENT
// Prints "pid N", then "rename ok" or "rename refused E" (E the Win32 error), then, after a
// rename, "replaced" or "replace failed E". Exit 0 once the program runs, 1 when it did not start.
#include <windows.h>

#include <stdio.h>
#include <wchar.h>

int wmain(int argc, wchar_t** argv) {
    const bool atStart = argc == 5 && wcscmp(argv[1], L"--at-start") == 0;
    if (atStart) ++argv, --argc;
    if (argc != 4) {
        fputs("usage: vqswap [--at-start] EXE AWAY REPLACEMENT\n", stderr);
        return 2;
    }
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(argv[1], nullptr, nullptr, nullptr, FALSE, atStart ? CREATE_SUSPENDED : 0, nullptr,
                        nullptr, &si, &pi)) {
        fprintf(stderr, "vqswap: cannot start the program: %lu\n", GetLastError());
        return 1;
    }
    if (!atStart) WaitForInputIdle(pi.hProcess, 30000);
    printf("pid %lu\n", pi.dwProcessId);
    if (!MoveFileExW(argv[1], argv[2], 0)) {
        printf("rename refused %lu\n", GetLastError());
    } else {
        printf("rename ok\n");
        if (CopyFileW(argv[3], argv[1], TRUE))
            printf("replaced\n");
        else
            printf("replace failed %lu\n", GetLastError());
    }
    if (atStart) ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
