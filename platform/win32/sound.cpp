// Sound, one channel. An MP3 is decoded by the system's ACM MP3 codec a
// second at a time and played as 16-bit PCM through waveOut: no media
// framework between the file and the speaker, so it starts at once and
// works wherever Windows (or Wine) has its MP3 codec. A WAV is read the same
// way. MP3 files the codec cannot take go to MCI's mpegvideo device.
#include "platform/win32/sound.h"

#include <mmsystem.h>

#include <utility>

#include "host/pcm.h"
#include "platform/win32/wstr.h"

namespace ny {

namespace {

// A request served at once is answered through the hidden window, after
// requestMp3 has returned its id.
constexpr UINT WMAPP_SOUND_ANSWER = WM_APP + 11;
// The timer of a sound that must start soon (requestMp3's giveUpMs).
constexpr UINT_PTR kGiveUpTimer = 1;

}  // namespace

Sound::Sound(HINSTANCE instance, std::function<void(Ev, int)> raise, std::function<HWND()> mainWindow)
    : instance_(instance), raise_(std::move(raise)), mainWindow_(std::move(mainWindow)) {}

LRESULT CALLBACK Sound::AudioProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* sound = reinterpret_cast<Sound*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!sound) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
        case MM_WOM_DONE:
            sound->onWaveDone(reinterpret_cast<HWAVEOUT>(wp), reinterpret_cast<WAVEHDR*>(lp));
            return 0;
        case WMAPP_TONES_OPENED: sound->onTonesOpened(); return 0;
        case WMAPP_SOUND_ANSWER:
            if (static_cast<int>(wp) == sound->soundRequest_) sound->answerSound(lp != 0);
            return 0;
        case WM_TIMER:
            if (wp == kGiveUpTimer) sound->giveUpSound();
            return 0;
        default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void Sound::submitTone(const std::shared_ptr<ToneJob>& job) {
    if (!openers_) openers_ = std::make_unique<ToneOpeners>(audioWindow());
    openers_->submit(job);
}

void Sound::warmUpAudio() {
    if (warmedUp_) return;
    warmedUp_ = true;
    submitTone(std::make_shared<ToneJob>(std::wstring(), std::string(), ToneJob::WarmUp));
}

HWND Sound::audioWindow() {
    if (audioWindow_) return audioWindow_;
    WNDCLASSW wc{};
    wc.lpfnWndProc = AudioProc;
    wc.hInstance = instance_;
    wc.lpszClassName = L"NyAudio";
    RegisterClassW(&wc);
    audioWindow_ = CreateWindowExW(0, L"NyAudio", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance_, nullptr);
    if (audioWindow_) SetWindowLongPtrW(audioWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return audioWindow_;
}

bool Sound::startPlayback(PlaybackPtr p) {
    silence();  // one channel: the new sound replaces the old
    if (!p->start()) return false;
    playing_ = std::move(p);
    return true;
}

void Sound::onWaveDone(HWAVEOUT out, WAVEHDR* hdr) {
    // Not for a device already stopped.
    if (!playing_ || !playing_->bufferDone(out, hdr, looping_)) return;
    // Played to its end: free the device and the buffers.
    if (playing_->over()) playing_.reset();
}

void Sound::prepareMp3(std::string_view path) {
    // A sound is coming: should this tone fail, its fallback finds the
    // output ready within the time it has.
    warmUpAudio();
    const std::wstring file = ToWstr(path);
    if ((prepared_ && prepared_->path() == file) || (preparedDevice_ && preparedPath_ == file) ||
        (prepareJob_ && prepareJob_->path == file) || (playJob_ && playJob_->path == file))
        return;
    prepared_.reset();
    if (preparedDevice_) CloseMci(preparedDevice_);
    preparedDevice_ = 0;
    preparedPath_.clear();
    Cancel(prepareJob_);
    prepareJob_ = std::make_shared<ToneJob>(file, std::string(path));
    submitTone(prepareJob_);
}

int Sound::requestMp3(std::string_view path, int64_t giveUpMs) {
    const std::wstring file = ToWstr(path);
    stopAudio();  // one channel: the new sound replaces the old, and the older request
    const int id = ++lastRequest_;
    soundRequest_ = id;
    HWND notify = audioWindow();
    if (giveUpMs > 0) SetTimer(notify, kGiveUpTimer, static_cast<UINT>(giveUpMs), nullptr);
    // Opening and decoding the first second is most of the delay before a
    // sound is heard: what was opened ahead for this file starts now.
    if (prepared_ && prepared_->path() == file) {
        const bool ok = startPlayback(std::move(prepared_));
        PostMessageW(notify, WMAPP_SOUND_ANSWER, static_cast<WPARAM>(id), ok);
    } else if (preparedDevice_ && preparedPath_ == file) {
        const UINT device = preparedDevice_;
        preparedDevice_ = 0;
        preparedPath_.clear();
        PostMessageW(notify, WMAPP_SOUND_ANSWER, static_cast<WPARAM>(id), playMci(device));
    } else if (prepareJob_ && prepareJob_->path == file) {
        playJob_ = std::move(prepareJob_);  // being opened ahead: played once it is
    } else {
        // Another tone than the one opened ahead rings: that one waits no more.
        Cancel(prepareJob_);
        playJob_ = std::make_shared<ToneJob>(file, std::string(path));
        submitTone(playJob_);
    }
    return id;
}

void Sound::onTonesOpened() {
    if (!openers_) return;
    for (auto& job : openers_->collect()) {
        if (job == playJob_) {
            playJob_.reset();
            bool ok = job->playback && startPlayback(std::move(job->playback));
            if (!ok && job->mci) {
                ok = playMci(job->mci);
                job->mci = 0;
            }
            answerSound(ok, job->problem == ToneProblem::None ? ToneProblem::NotSound : job->problem);
        } else if (job == probeJob_) {
            probeJob_.reset();
            toneProblem_ = job->problem;
            raise_(Ev::ToneProbed, lastProbe_);
            toneProblem_ = ToneProblem::None;
        } else if (job == prepareJob_) {
            prepareJob_.reset();
            prepared_ = std::move(job->playback);
            if (job->mci) {
                preparedDevice_ = job->mci;
                preparedPath_ = job->path;
                job->mci = 0;
            }
        }
        if (job->mci) CloseMci(job->mci);  // cancelled meanwhile
    }
}

void Sound::answerSound(bool started, ToneProblem why) {
    const int id = soundRequest_;
    soundRequest_ = 0;
    if (audioWindow_) KillTimer(audioWindow_, kGiveUpTimer);
    if (!id) return;
    toneProblem_ = started ? ToneProblem::None : why;
    raise_(started ? Ev::SoundStarted : Ev::SoundFailed, id);
    toneProblem_ = ToneProblem::None;
}

int Sound::probeTone(std::string_view path) {
    Cancel(probeJob_);  // a newer choice: the older one is never answered
    probeJob_ = std::make_shared<ToneJob>(ToWstr(path), std::string(path), ToneJob::Probe);
    submitTone(probeJob_);
    return lastProbe_ = lastProbe_ % 0x7FFFFFFF + 1;
}

void Sound::giveUpSound() {
    if (audioWindow_) KillTimer(audioWindow_, kGiveUpTimer);
    if (!soundRequest_) return;
    // Dropped for good: it must not start late on top of what comes next.
    Cancel(playJob_);
    answerSound(false, ToneProblem::NotInTime);
}

bool Sound::playMci(UINT device) {
    silence();
    mciDevice_ = device;
    // Told when the sound has ended, the device is closed again.
    if (!PlayMci(mciDevice_, mainWindow_(), false)) {
        silence();
        return false;
    }
    return true;
}

void Sound::playChime() {
    stopAudio();
    if (PlaybackPtr p = Playback::Open(audioWindow(), MakeChime(), std::wstring()))
        startPlayback(std::move(p));
}

void Sound::stopAudio() {
    // The request not yet answered goes too: it is never heard, never answered.
    soundRequest_ = 0;
    if (audioWindow_) KillTimer(audioWindow_, kGiveUpTimer);
    Cancel(playJob_);
    silence();
}

void Sound::silence() {
    playing_.reset();  // silent at once; buffers and device freed
    if (!mciDevice_) return;
    CloseMci(mciDevice_);
    mciDevice_ = 0;
}

void Sound::onMciNotify(WPARAM flags, LPARAM device) {
    // Only the device playing now, never another's (or a message posted
    // by another program naming device 0 while none plays).
    if (flags != MCI_NOTIFY_SUCCESSFUL || mciDevice_ == 0 || static_cast<UINT>(device) != mciDevice_)
        return;
    // Ringing until stopped: from its start, told at its end again.
    if (HWND main = mainWindow_(); looping_ && main && PlayMci(mciDevice_, main, true)) return;
    silence();
}

}  // namespace ny
