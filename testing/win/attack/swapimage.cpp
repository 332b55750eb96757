// Attacker for the end-to-end tests: starts the program, and once its window waits for input
// tries what malware running as the user would, through Windows calls so that Windows' sharing
// rules apply: rename the running executable away and put another in its place.
//   vqswap EXE AWAY REPLACEMENT
// Prints "pid N", then "rename ok" or "rename refused E" (E the Win32 error), then, after a
// rename, "replaced" or "replace failed E". Exit 0 once the program runs, 1 when it did not start.
#include <windows.h>

#include <stdio.h>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        fputs("usage: vqswap EXE AWAY REPLACEMENT\n", stderr);
        return 2;
    }
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(argv[1], nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        fprintf(stderr, "vqswap: cannot start the program: %lu\n", GetLastError());
        return 1;
    }
    WaitForInputIdle(pi.hProcess, 30000);
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
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}
