// The sound requests, one channel: a tone asked for, opened ahead, checked,
// the chime, and stopping. A tone is opened on an opener thread and started
// by the window's thread, which never waits for a file; the answers come as
// the handlers' events, raised through the callback the host gives. The
// hidden window the outputs and the openers report to is this object's.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "host/host.h"
#include "platform/win32/toneopener.h"

namespace ny {

class Sound {
public:
    // `raise` tells the handlers an event of the main window with its code;
    // `mainWindow` is told when an MCI sound ends.
    Sound(HINSTANCE instance, std::function<void(Ev, int)> raise, std::function<HWND()> mainWindow);
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // As Host's requestMp3, prepareMp3, stopAudio, probeTone, toneProblem and playChime.
    int requestMp3(std::string_view path, int64_t giveUpMs);
    void prepareMp3(std::string_view path);
    void stopAudio();
    int probeTone(std::string_view path);
    ToneProblem toneProblem() const { return toneProblem_; }
    void playChime();
    // Whether a sound that reaches its end starts again: only a ringing
    // alarm's tone repeats.
    void setLooping(bool on) { looping_ = on; }
    // Loads the codec and the output's driver ahead of the first sound (the
    // pointer over 试听).
    void warmUpAudio();
    // MM_MCINOTIFY, which comes to the main window.
    void onMciNotify(WPARAM flags, LPARAM device);

private:
    static LRESULT CALLBACK AudioProc(HWND, UINT, WPARAM, LPARAM);
    HWND audioWindow();
    bool startPlayback(PlaybackPtr p);
    void onWaveDone(HWAVEOUT out, WAVEHDR* hdr);
    void silence();  // stops the sound, keeps the request
    void submitTone(const std::shared_ptr<ToneJob>& job);
    void onTonesOpened();
    // Answers the unanswered request; `why` is told with a failure.
    void answerSound(bool started, ToneProblem why = ToneProblem::NotSound);
    void giveUpSound();
    bool playMci(UINT device);

    HINSTANCE instance_;
    std::function<void(Ev, int)> raise_;
    std::function<HWND()> mainWindow_;
    bool looping_ = false;  // a sound at its end starts again
    HWND audioWindow_ = nullptr;
    bool warmedUp_ = false;
    PlaybackPtr playing_;
    PlaybackPtr prepared_;  // opened ahead by prepareMp3
    std::unique_ptr<ToneOpeners> openers_;
    std::shared_ptr<ToneJob> playJob_;     // the requested tone being opened
    std::shared_ptr<ToneJob> prepareJob_;  // the tone being opened ahead
    int soundRequest_ = 0;                 // the request not yet answered
    int lastRequest_ = 0;
    std::shared_ptr<ToneJob> probeJob_;  // the tone being checked (probeTone)
    int lastProbe_ = 0;
    ToneProblem toneProblem_ = ToneProblem::None;  // told with the answer being raised
    UINT mciDevice_ = 0;
    // A device opened ahead by prepareMp3, and the file it holds.
    UINT preparedDevice_ = 0;
    std::wstring preparedPath_;
};

}  // namespace ny
