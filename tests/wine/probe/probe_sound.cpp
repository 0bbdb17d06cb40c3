// Sound as the program plays it: an MP3 through MCI, timed, for the
// platform's share of a ring's latency; and the end-of-sound notice posted
// as a device would send it.

#include "probe_commands.h"
#include "probe_common.h"

#include <mmsystem.h>

#include <cstdio>
#include <string>
#include <thread>

namespace probe {

// Plays an MP3 the way the program does (MCI mpegvideo) and prints when the
// request was made: the platform's share of a ring's latency, to compare the
// program's with. `preopen`: the device is opened half a second ahead, and
// the request is the play command alone.
int CmdPlay(const std::string& path, int ms, bool preopen, bool notify) {
    const std::wstring file = W(path);
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"mpegvideo";
    open.lpstrElementName = file.c_str();
    if (!preopen) Out("request_unix=" + UnixNow());
    const auto t0 = Clock::now();
    if (MCIERROR e = mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&open))) {
        Out("BAD MCI open failed: " + std::to_string(e));
        return 1;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "open_s=%.3f",
                  std::chrono::duration<double>(Clock::now() - t0).count());
    Out(buf);
    if (preopen) {
        std::this_thread::sleep_for(500ms);
        Out("request_unix=" + UnixNow());
    }
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    if (notify) {  // as the program asks to be told when the sound ends
        play.dwCallback = reinterpret_cast<DWORD_PTR>(
            CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        flags |= MCI_NOTIFY;
    }
    MCIERROR e =
        mciSendCommandW(open.wDeviceID, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play));
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    MCI_GENERIC_PARMS close{};
    const auto t2 = Clock::now();
    mciSendCommandW(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    std::snprintf(buf, sizeof buf, "close_s=%.3f",
                  std::chrono::duration<double>(Clock::now() - t2).count());
    Out(buf);
    return e ? 1 : 0;
}

// Posts what the MCI device `device` would send the main window when its
// sound has played to its end.
int CmdMciNotify(int device) {
    PostMessageW(MainOrDie(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, device);
    Out("posted MM_MCINOTIFY for device " + std::to_string(device));
    return 0;
}

}  // namespace probe
