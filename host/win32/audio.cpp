// MP3 playback through MCI's mpegvideo device: one channel, one open device.
#include <windows.h>

#include <mmsystem.h>

#include "host/win32/win32_host.h"
#include "host/win32/wstr.h"

namespace ny {

namespace {

// The path goes in a structure, never into a command string, so no
// character of it can be read as MCI syntax. 0 when it cannot be opened.
UINT OpenMp3(const std::wstring& file) {
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"mpegvideo";
    open.lpstrElementName = file.c_str();
    if (mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                        reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 0;
    return open.wDeviceID;
}

void CloseMp3(UINT device) {
    MCI_GENERIC_PARMS close{};
    mciSendCommandW(device, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
}

}  // namespace

void Win32Host::prepareMp3(std::string_view path) {
    const std::wstring file = ToWstr(path);
    if (preparedDevice_ && preparedPath_ == file) return;
    if (preparedDevice_) CloseMp3(preparedDevice_);
    preparedDevice_ = OpenMp3(file);
    preparedPath_ = preparedDevice_ ? file : std::wstring();
}

bool Win32Host::playMp3(std::string_view path) {
    stopAudio();  // one channel: the new sound replaces the old
    const std::wstring file = ToWstr(path);
    // Opening is most of the delay before a sound is heard: use the device
    // opened ahead for this file when there is one.
    if (preparedDevice_ && preparedPath_ == file) {
        mciDevice_ = preparedDevice_;
        preparedDevice_ = 0;
        preparedPath_.clear();
    } else {
        mciDevice_ = OpenMp3(file);
        if (!mciDevice_) return false;
    }
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    if (HWND main = hwndOf(Ctl::MainWindow)) {
        // Told when the sound has ended, the device is closed again.
        play.dwCallback = reinterpret_cast<DWORD_PTR>(main);
        flags |= MCI_NOTIFY;
    }
    if (mciSendCommandW(mciDevice_, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play)) != 0) {
        stopAudio();
        return false;
    }
    return true;
}

void Win32Host::stopAudio() {
    if (!mciDevice_) return;
    CloseMp3(mciDevice_);
    mciDevice_ = 0;
}
void Win32Host::onMciNotify(WPARAM flags, LPARAM device) {
    if (flags == MCI_NOTIFY_SUCCESSFUL && static_cast<UINT>(device) == mciDevice_) stopAudio();
}

}  // namespace ny
