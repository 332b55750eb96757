// vqdriver: lets a shell script run Vorquint like a user and prints what the window showed, when.
//
//   vqdriver run (--launch EXE | --pid N) [--answer yes|no] [--until-stage TEXT [--until-bar N]]
//                [--linger MS] [--close-at-stage TEXT [--close-delay MS]] [--second-click MS]
//                [--keep-open] [--close-at-confirm] [--query-end-session]
//                [--timeout S] [--interval MS]
//   vqdriver snapshot [--pid N] [--timeout S]
//   vqdriver attrib PATH
//
// "run" prints "# <event> <elapsed ms> ..." lines and, whenever something changed, a sample:
// elapsed ms, bar, percentage, button enabled (1/0), stage caption, message; tab-separated,
// line feeds shown as "\n". Elapsed time counts from the "# start <epoch ms>" line, on the
// system clock the doubles' records use. With --query-end-session the window is asked
// WM_QUERYENDSESSION (a logoff) at every sample, and "# endsession <ms> allowed|refused" says whenever its answer changes.
// Exit codes: 0 done, 2 usage, 3 timed out, 4 the program ended by itself, 5 no confirmation box.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "testing/uidriver/UiDriver.h"

namespace {

using namespace vq::testing;

constexpr int kExitOk = 0;
constexpr int kExitUsage = 2;
constexpr int kExitTimeout = 3;
constexpr int kExitProgramEnded = 4;
constexpr int kExitNoConfirmBox = 5;

constexpr DWORD kDefaultIntervalMs = 50;
constexpr DWORD kDefaultTimeoutS = 60;
constexpr DWORD kConfirmWaitMs = 10000;
constexpr uint64_t kFirstStageWaitMs = 3000;  // the first tick comes 250 ms after the window
constexpr uint64_t kReadingMs = 500;          // how long the window is looked at before pressing
constexpr DWORD kExitWaitMs = 10000;

struct Options {
    std::string command;
    std::string launch;
    DWORD pid = 0;
    std::string answer;  // "", "yes", "no"
    std::string untilStage;
    int untilBar = -1;  // with untilStage: reached only once the bar shows this too
    DWORD lingerMs = 0;
    std::string closeAtStage;
    DWORD closeDelayMs = 0;
    DWORD secondClickMs = 0;
    bool secondClick = false;
    bool keepOpen = false;
    bool closeAtConfirm = false;  // close the window while the box asks, then answer
    bool queryEndSession = false;
    DWORD timeoutMs = kDefaultTimeoutS * 1000;
    DWORD intervalMs = kDefaultIntervalMs;
    std::string path;
};

int Usage() {
    fprintf(stderr,
            "usage: vqdriver run (--launch EXE | --pid N) [--answer yes|no] [--until-stage TEXT]\n"
            "                    [--until-bar N] [--linger MS] [--close-at-stage TEXT [--close-delay MS]]\n"
            "                    [--second-click MS] [--keep-open] [--close-at-confirm]\n"
            "                    [--query-end-session]\n"
            "                    [--timeout S] [--interval MS]\n"
            "       vqdriver snapshot [--pid N] [--timeout S]\n"
            "       vqdriver attrib PATH\n");
    return kExitUsage;
}

bool ParseNumber(const char* text, DWORD& value) {
    char* end = nullptr;
    const unsigned long v = strtoul(text, &end, 10);
    if (end == text || *end != '\0') {
        return false;
    }
    value = DWORD(v);
    return true;
}

bool Parse(int argc, char** argv, Options& o) {
    if (argc < 2) {
        return false;
    }
    o.command = argv[1];
    if (o.command == "attrib") {
        if (argc != 3) {
            return false;
        }
        o.path = argv[2];
        return true;
    }
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--keep-open") {
            o.keepOpen = true;
            continue;
        }
        if (arg == "--close-at-confirm") {
            o.closeAtConfirm = true;
            continue;
        }
        if (arg == "--query-end-session") {
            o.queryEndSession = true;
            continue;
        }
        if (i + 1 >= argc) {
            return false;
        }
        const char* value = argv[++i];
        DWORD n = 0;
        if (arg == "--launch") {
            o.launch = value;
        } else if (arg == "--answer") {
            o.answer = value;
            if (o.answer != "yes" && o.answer != "no") {
                return false;
            }
        } else if (arg == "--until-stage") {
            o.untilStage = value;
        } else if (arg == "--close-at-stage") {
            o.closeAtStage = value;
        } else if (!ParseNumber(value, n)) {
            return false;
        } else if (arg == "--pid") {
            o.pid = n;
        } else if (arg == "--until-bar") {
            o.untilBar = int(n);
        } else if (arg == "--linger") {
            o.lingerMs = n;
        } else if (arg == "--close-delay") {
            o.closeDelayMs = n;
        } else if (arg == "--second-click") {
            o.secondClick = true;
            o.secondClickMs = n;
        } else if (arg == "--timeout") {
            o.timeoutMs = n * 1000;
        } else if (arg == "--interval") {
            o.intervalMs = n == 0 ? 1 : n;
        } else {
            return false;
        }
    }
    return o.command == "snapshot" || (o.command == "run" && (!o.launch.empty() || o.pid != 0));
}

// A Unix path (as a shell script has it) becomes the Z: path Wine maps to it.
std::string WindowsPath(std::string path) {
    if (!path.empty() && path[0] == '/') {
        path = "Z:" + path;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    return path;
}

std::wstring Widen(const std::string& text) {
    const int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(n > 0 ? size_t(n) : 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), n);
    wide.resize(wide.size() - 1);
    return wide;
}

// The timeline's milliseconds: on the doubles' clock, so that a time the window showed and a
// time a double recorded can be subtracted.
class Clock {
public:
    Clock() : startEpoch_(EpochMs()) {}
    uint64_t Elapsed() const { return EpochMs() - startEpoch_; }
    uint64_t StartEpoch() const { return startEpoch_; }

private:
    uint64_t startEpoch_;
};

void Event(const Clock& clock, const char* name, const std::string& detail = std::string()) {
    printf("#\t%s\t%llu%s%s\n", name, static_cast<unsigned long long>(clock.Elapsed()),
           detail.empty() ? "" : "\t", detail.c_str());
    fflush(stdout);
}

HWND WaitForWindow(DWORD pid, HANDLE process, DWORD timeoutMs, DWORD intervalMs) {
    const uint64_t end = GetTickCount64() + timeoutMs;
    for (;;) {
        HWND form = FindMainWindow(pid);
        if (form != nullptr || GetTickCount64() >= end) {
            return form;
        }
        if (process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            return nullptr;
        }
        Sleep(intervalMs);
    }
}

// Clicks the button, waits for the confirmation box and answers it.
// Answers an open confirmation box and waits for it to go, so a later box is known to be new.
void Answer(const Clock& clock, HWND box, const std::string& answer) {
    Event(clock, "confirm", Escape(ConfirmText(box)));
    AnswerConfirm(box, answer == "yes");
    Event(clock, "answer", answer);
    const uint64_t end = GetTickCount64() + kConfirmWaitMs;
    while (IsWindow(box) && GetTickCount64() < end) {
        Sleep(10);
    }
}

// Clicks the button, waits for the confirmation box and answers it.
bool ClickAndAnswer(const Clock& clock, HWND form, DWORD pid, const std::string& answer,
                    bool closeFirst) {
    PressUpgrade(form);
    Event(clock, "click");
    const uint64_t end = GetTickCount64() + kConfirmWaitMs;
    HWND box = nullptr;
    while ((box = FindConfirmBox(pid)) == nullptr && GetTickCount64() < end) {
        Sleep(10);
    }
    if (box == nullptr) {
        Event(clock, "no-confirm");
        return false;
    }
    if (closeFirst) {
        CloseMain(form);
        Event(clock, "close");
        Sleep(300);
        if (!IsWindow(box)) {
            Event(clock, "confirm-gone");
            return true;
        }
    }
    Answer(clock, box, answer);
    return true;
}

// Asks the window whether the session may end, as Windows does before a logoff; -1: no answer.
int QueryEndSession(HWND form) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG, 1000,
                             &answer)) {
        return -1;
    }
    return answer != 0 ? 1 : 0;
}

int Finish(const Clock& clock, HANDLE process, HWND form, bool close) {
    if (close) {
        CloseMain(form);
        Event(clock, "close");
    }
    if (process != nullptr && close) {
        DWORD code = 255;
        if (WaitForSingleObject(process, kExitWaitMs) == WAIT_OBJECT_0 &&
            GetExitCodeProcess(process, &code)) {
            Event(clock, "exit", std::to_string(code));
        } else {
            Event(clock, "still-running");
            return kExitTimeout;
        }
    }
    return kExitOk;
}

int Run(const Options& o) {
    Clock clock;
    printf("#\tstart\t0\t%llu\n", static_cast<unsigned long long>(clock.StartEpoch()));
    DWORD pid = o.pid;
    HANDLE process = nullptr;
    if (!o.launch.empty()) {
        const std::string exe = WindowsPath(o.launch);
        const std::string dir = exe.substr(0, exe.rfind('\\') + 1);
        // Wide: the ANSI call takes no program path past MAX_PATH, and a scenario starts one
        // there. Such a folder cannot be a current directory; the program then starts elsewhere.
        const std::wstring exeW = Widen(exe), dirW = Widen(dir);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        const bool dirFits = !dir.empty() && dir.size() < MAX_PATH;
        if (!CreateProcessW(exeW.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                            dirFits ? dirW.c_str() : nullptr, &si, &pi)) {
            Event(clock, "launch-failed", std::to_string(GetLastError()));
            return kExitProgramEnded;
        }
        CloseHandle(pi.hThread);
        process = pi.hProcess;
        pid = pi.dwProcessId;
    } else {
        process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    }
    Event(clock, "pid", std::to_string(pid));
    HWND form = WaitForWindow(pid, process, o.timeoutMs, o.intervalMs);
    if (form == nullptr) {
        Event(clock, "no-window");
        return kExitTimeout;
    }
    Event(clock, "window");

    Sample last;
    bool haveLast = false;
    bool answered = o.answer.empty();
    bool secondClickDone = !o.secondClick;
    uint64_t answeredAt = 0;
    uint64_t reachedAt = 0;
    bool reached = false;
    uint64_t firstStageAt = 0;
    uint64_t closeAt = 0;
    bool closeArmed = false;
    int endSession = -1;
    const uint64_t deadline = o.timeoutMs;

    for (;;) {
        if (process != nullptr && WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
            DWORD code = 255;
            GetExitCodeProcess(process, &code);
            Event(clock, "ended", std::to_string(code));
            return closeArmed ? kExitOk : kExitProgramEnded;
        }
        Sample now;
        if (TakeSample(form, now) && (!haveLast || !(now == last))) {
            printf("%s\n", FormatSample(clock.Elapsed(), now).c_str());
            fflush(stdout);
            last = now;
            haveLast = true;
        }
        if (o.queryEndSession) {
            const int answer = QueryEndSession(form);
            if (answer != -1 && answer != endSession) {
                Event(clock, "endsession", answer ? "allowed" : "refused");
                endSession = answer;
            }
        }
        // Like a user, press the button once the window has shown its first stage for a moment
        // (the first tick fills the caption FormCreate left empty); a window that never does is
        // pressed anyway.
        if (haveLast && !last.caption.empty() && firstStageAt == 0) firstStageAt = clock.Elapsed();
        const bool shown = (firstStageAt != 0 && clock.Elapsed() >= firstStageAt + kReadingMs) ||
                           clock.Elapsed() > kFirstStageWaitMs;
        if (!answered && haveLast && shown) {
            closeArmed = closeArmed || o.closeAtConfirm;
            if (!ClickAndAnswer(clock, form, pid, o.answer, o.closeAtConfirm)) {
                Finish(clock, process, form, !o.keepOpen);
                return kExitNoConfirmBox;
            }
            answered = true;
            answeredAt = clock.Elapsed();
        }
        if (answered && !secondClickDone && clock.Elapsed() >= answeredAt + o.secondClickMs) {
            // A second start must be refused by the program, not by the button's looks.
            PressUpgrade(form);
            Event(clock, "second-click");
            secondClickDone = true;
        }
        if (o.secondClick && secondClickDone) {
            // Answered like the first: a program that asks again would start a second upgrade.
            if (HWND box = FindConfirmBox(pid)) {
                Answer(clock, box, o.answer);
            }
        }
        if (!closeArmed && !o.closeAtStage.empty() && haveLast && last.caption == o.closeAtStage) {
            closeArmed = true;
            closeAt = clock.Elapsed() + o.closeDelayMs;
            Event(clock, "close-armed", o.closeAtStage);
        }
        if (closeArmed && closeAt != 0 && clock.Elapsed() >= closeAt) {
            closeAt = 0;
            CloseMain(form);
            Event(clock, "close");
        }
        if (!reached && !o.untilStage.empty() && haveLast && last.caption == o.untilStage &&
            (o.untilBar < 0 || last.bar == o.untilBar)) {
            reached = true;
            reachedAt = clock.Elapsed();
            Event(clock, "reached", o.untilStage);
        }
        if (reached && clock.Elapsed() >= reachedAt + o.lingerMs) {
            return Finish(clock, process, form, !o.keepOpen);
        }
        if (clock.Elapsed() >= deadline) {
            Event(clock, "timeout");
            if (closeArmed) {
                return kExitTimeout;
            }
            const bool untilNothing = o.untilStage.empty();
            const int rc = Finish(clock, process, form, !o.keepOpen);
            return untilNothing ? rc : kExitTimeout;
        }
        Sleep(o.intervalMs);
    }
}

void PrintControl(const char* name, const ControlState& c) {
    printf("%s\t%ld\t%ld\t%ld\t%ld\t%d\t%d\t%s\n", name, c.rect.left, c.rect.top,
           c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, c.enabled ? 1 : 0,
           c.visible ? 1 : 0, Escape(c.text).c_str());
}

int Snapshot(const Options& o) {
    HWND form = WaitForWindow(o.pid, nullptr, o.timeoutMs, kDefaultIntervalMs);
    WindowState s;
    if (form == nullptr || !ReadWindow(form, s)) {
        fprintf(stderr, "vqdriver: no main window\n");
        return kExitTimeout;
    }
    printf("# control\tleft\ttop\twidth\theight\tenabled\tvisible\ttext\n");
    printf("window\t0\t0\t%ld\t%ld\t1\t1\t%s\n", s.client.cx, s.client.cy, Escape(s.caption).c_str());
    PrintControl("Label_Title", s.title);
    PrintControl("Label_Desc", s.desc);
    PrintControl("Label_Percentage", s.percentage);
    PrintControl("Label_Message", s.message);
    PrintControl("Label_CurProgress", s.curProgress);
    PrintControl("Bevel_Separator", s.bevel);
    PrintControl("BitBtn_Upgrade", s.button);
    PrintControl("ProgressBar", s.bar);
    printf("position\t%d\n", s.barPosition);
    return kExitOk;
}

int Attrib(const Options& o) {
    const DWORD attributes = GetFileAttributesA(WindowsPath(o.path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        printf("missing\n");
        return kExitTimeout;
    }
    printf("0x%08lx%s%s\n", attributes, attributes & FILE_ATTRIBUTE_DIRECTORY ? " directory" : "",
           attributes & FILE_ATTRIBUTE_HIDDEN ? " hidden" : "");
    return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, o)) {
        return Usage();
    }
    if (o.command == "run") {
        return Run(o);
    }
    if (o.command == "snapshot") {
        return Snapshot(o);
    }
    return Attrib(o);
}
