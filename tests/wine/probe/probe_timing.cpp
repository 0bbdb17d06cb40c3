// How soon the program answers: after one thing done to it, or asked again
// and again while its boxes are closed; how long the platform's own message
// box takes to return; when the program's wake timer is due.

#include "probe_commands.h"
#include "probe_common.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace probe {

namespace {

// OK pressed on the probe's own box from a second thread, and when.
struct BoxCloser {
    DWORD pid;
    Clock::time_point pressed;
};

DWORD WINAPI CloseBoxSoon(void* p) {
    auto* c = static_cast<BoxCloser*>(p);
    std::vector<HWND> b;
    WaitFor(5000, [&] { return !(b = Boxes(c->pid)).empty(); });
    std::this_thread::sleep_for(200ms);
    c->pressed = Clock::now();
    if (!b.empty()) PostMessageW(b.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

}  // namespace

// Does one thing to the program and times it until the main window answers
// again: a button's click (sent, so the handler has run when it returns), a
// menu item chosen (the WM_COMMAND its menu would send) or a key pressed in
// the list. The answer to a WM_NULL sent after it ends the time.
int CmdAnswerAfter(const std::string& how, const std::string& what) {
    HWND main = MainOrDie();
    const ny::ControlDesign* d = DesignByName(what);
    HWND target = nullptr;
    UINT msg = 0;
    WPARAM wp = 0;
    if (how == "click" && d) {
        target = ControlOrDie(what);
        msg = BM_CLICK;
    } else if (how == "menu" && d && d->kind == ny::Kind::MenuItem) {
        target = main;
        msg = WM_COMMAND;
        wp = MAKEWPARAM(UINT(d->id), 0);
    } else if (how == "key" && what == "delete") {
        target = ControlOrDie("超级列表框1");
        msg = WM_KEYDOWN;
        wp = VK_DELETE;
    } else {
        return kBadUsage;
    }
    Out("start_unix=" + UnixNow());
    const auto t0 = Clock::now();
    DWORD_PTR res = 0;
    const bool done = SendMessageTimeoutW(target, msg, wp, 0, SMTO_NORMAL, 600000, &res) &&
                      SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &res);
    const double took = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!done) {
        Out("BAD no answer within 600 s");
        return 1;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "answer_s=%.3f", took);
    Out(buf);
    return 0;
}

// Asks the main window for an answer (every `everyMs` ms) until `ms` have passed, pressing OK on
// every message box of the program as soon as it appears; prints the longest
// time the window took to answer (and when that wait ended), and when each
// box was closed. Stops early once `boxes` boxes were closed and none is left.
int CmdPing(int ms, int boxes, int everyMs) {
    HWND main = MainOrDie();
    const DWORD pid = PidOf(main);
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    double worst = 0;
    double worstBeforeBox = 0;  // what the program did before its first box showed
    int closed = 0;
    std::string worstAt;
    std::vector<HWND> pressed;
    while (Clock::now() < end) {
        // boxes < 0: until the program shows a box, left open for the caller.
        if (boxes < 0 && !Boxes(pid).empty()) break;
        for (HWND b : Boxes(pid)) {
            bool seen = false;
            for (HWND p : pressed) seen |= p == b;
            if (seen && IsWindow(b)) continue;
            pressed.push_back(b);
            PostMessageW(b, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(b, IDOK)));
            ++closed;
            Out("box_unix=" + UnixNow());
        }
        if (boxes && closed >= boxes && Boxes(pid).empty()) break;
        // An answer asked for before any box showed: the one the ring holds
        // up ends only when the box's own loop begins.
        const bool beforeBox = closed == 0;
        const auto t0 = Clock::now();
        DWORD_PTR res = 0;
        if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &res)) {
            Out("BAD the window did not answer within 10 s");
            worst = 10;
        }
        const double took = std::chrono::duration<double>(Clock::now() - t0).count();
        if (took > 0.3) {
            char b[64];
            std::snprintf(b, sizeof b, "slow_answer_s=%.3f end_unix=", took);
            Out(b + UnixNow());
        }
        if (took > worst) {
            worst = took;
            worstAt = UnixNow();
        }
        if (beforeBox) worstBeforeBox = std::max(worstBeforeBox, took);
        std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "worst_answer_s=%.3f", worst);
    Out(buf);
    std::snprintf(buf, sizeof buf, "worst_before_box_s=%.3f", worstBeforeBox);
    Out(buf);
    Out("boxes_closed=" + std::to_string(closed));
    if (!worstAt.empty()) Out("worst_end_unix=" + worstAt);
    return 0;
}

// How long a message box takes to return once OK is pressed, in this
// display: a box of the probe's own, closed from a second thread; "urgent"
// adds the flags of the program's alarm boxes.
int CmdBoxReturn(bool urgent) {
    const UINT type = MB_OK | (urgent ? MB_TOPMOST | MB_SETFOREGROUND : 0);
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    BoxCloser closer{GetCurrentProcessId(), {}};
    HANDLE t = CreateThread(nullptr, 0, CloseBoxSoon, &closer, 0, nullptr);
    MessageBoxW(owner, L"测试", L"probe", type);
    const auto back = Clock::now();
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    char buf[64];
    std::snprintf(buf, sizeof buf, "box_return_s=%.3f",
                  std::chrono::duration<double>(back - closer.pressed).count());
    Out(buf);
    DestroyWindow(owner);
    return 0;
}

// When the program's wake timer is due: it is named after the process.
// NtQueryTimer gives the time left; a timer that is not armed reports none.
int CmdWake() {
    const DWORD pid = PidOf(MainOrDie());
    const std::wstring name = L"Local\\NyClockWake-" + std::to_wstring(pid);
    HANDLE t = OpenWaitableTimerW(0x0001 /* TIMER_QUERY_STATE */, FALSE, name.c_str());
    if (!t) {
        Out("wake=none");
        Out("error=" + std::to_string(GetLastError()));
        return 1;
    }
    struct BasicInfo {
        LARGE_INTEGER remaining;  // 100 ns units
        BOOLEAN signalled;
    } info{};
    using QueryTimer = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryTimer>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryTimer")));
    ULONG len = 0;
    const LONG status = query ? query(t, 0, &info, sizeof info, &len) : -1;
    CloseHandle(t);
    if (status != 0) {
        Out("BAD NtQueryTimer failed: " + std::to_string(status));
        return 1;
    }
    Out("wake=" + std::string(info.remaining.QuadPart > 0 ? "armed" : "idle"));
    Out("remaining_s=" + std::to_string(info.remaining.QuadPart / 10000000.0));
    Out("now_unix=" + UnixNow());
    return 0;
}

}  // namespace probe
