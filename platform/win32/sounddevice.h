// The two outputs: waveOut, fed PCM a few buffers ahead and refilled as it
// hands them back (it starts a sound within milliseconds), and MCI's
// mpegvideo device for the MP3 files the codec cannot decode.
#pragma once

#include <windows.h>

#include <mmsystem.h>

#include <memory>
#include <string>
#include <vector>

#include "host/pcm.h"

namespace ny {

// A sound on an open waveOut device, which tells a hidden window of ours
// (MM_WOM_DONE) when a buffer has played: the refill runs on the window's
// thread, between events, like everything else. Closing it is silent at once.
class Playback {
public:
    // The device opened for `source` and the buffers made, nothing written
    // yet; nullptr when no device opens. `path` is the file, empty for the
    // chime: ringing until stopped opens it again.
    static std::unique_ptr<Playback> Open(HWND notify, std::unique_ptr<PcmSource> source, std::wstring path);
    ~Playback();
    Playback(const Playback&) = delete;
    Playback& operator=(const Playback&) = delete;

    const std::wstring& path() const { return path_; }
    // Hands the first buffers to the device; false when the sound holds none.
    bool start();
    // MM_WOM_DONE for this device: the buffer is refilled, from the sound's
    // start again when `loop`, so that no gap comes between the two.
    // False for another device's buffer (one already closed).
    bool bufferDone(HWAVEOUT out, WAVEHDR* hdr, bool loop);
    // Played to its end: the device and the buffers may go.
    bool over() const { return queued_ == 0; }

private:
    static constexpr UINT kBuffers = 4;
    static constexpr int kBufferMs = 200;
    Playback() = default;
    bool feed(UINT i);
    bool rewind();

    std::wstring path_;
    std::unique_ptr<PcmSource> source_;
    HWAVEOUT out_ = nullptr;
    WAVEHDR hdrs_[kBuffers] = {};
    std::vector<char> data_[kBuffers];
    UINT queued_ = 0;  // buffers with the device
};
using PlaybackPtr = std::unique_ptr<Playback>;

// Opens the output once and closes it: its driver (under Wine, the
// connection to the sound server) is then loaded for the first sound.
void WarmUpOutput();

// An mpegvideo device holding the file; 0 when it cannot be opened or holds
// no sound (the device opens some files it cannot play).
UINT OpenMci(const std::wstring& file);
void CloseMci(UINT device);
// Plays it (from its start with `fromStart`); MM_MCINOTIFY goes to `notify`
// at its end when there is one.
bool PlayMci(UINT device, HWND notify, bool fromStart);

}  // namespace ny
