#include "platform/win32/sounddevice.h"

#include "host/host.h"
#include "platform/win32/pcmsource.h"
#include "platform/win32/syslibs.h"

namespace ny {

std::unique_ptr<Playback> Playback::Open(HWND notify, std::unique_ptr<PcmSource> source, std::wstring path) {
    std::unique_ptr<Playback> p(new Playback);
    p->path_ = std::move(path);
    p->source_ = ToOutputFormat(std::move(source));
    const WAVEFORMATEX f = ToWaveFormat(p->source_->format());
    if (!notify || Winmm().waveOutOpen(&p->out_, WAVE_MAPPER, &f, reinterpret_cast<DWORD_PTR>(notify), 0,
                                       CALLBACK_WINDOW) != MMSYSERR_NOERROR) {
        p->out_ = nullptr;
        return nullptr;
    }
    const size_t bytes = p->source_->format().bytesFor(kBufferMs);
    for (auto& d : p->data_) d.resize(bytes);
    return p;
}

Playback::~Playback() {
    if (!out_) return;
    Winmm().waveOutReset(out_);  // silence now, every buffer returned
    for (WAVEHDR& h : hdrs_)
        if (h.dwFlags & WHDR_PREPARED) Winmm().waveOutUnprepareHeader(out_, &h, sizeof h);
    Winmm().waveOutClose(out_);
}

bool Playback::start() {
    for (UINT i = 0; i < kBuffers; ++i)
        if (!feed(i)) break;
    return queued_ > 0;
}

bool Playback::bufferDone(HWAVEOUT out, WAVEHDR* hdr, bool loop) {
    if (out != out_) return false;
    for (UINT i = 0; i < kBuffers; ++i) {
        if (&hdrs_[i] != hdr || !(hdr->dwFlags & WHDR_DONE) || queued_ == 0) continue;
        --queued_;
        if (!feed(i) && loop && rewind()) feed(i);
        return true;
    }
    return true;
}

// Fills buffer i from the source and hands it to the device; false at the end.
bool Playback::feed(UINT i) {
    WAVEHDR& h = hdrs_[i];
    if (h.dwFlags & WHDR_PREPARED) Winmm().waveOutUnprepareHeader(out_, &h, sizeof h);
    const size_t n = source_->read(data_[i].data(), data_[i].size());
    if (n == 0) return false;
    h = WAVEHDR{};
    h.lpData = data_[i].data();
    h.dwBufferLength = static_cast<DWORD>(n);
    if (Winmm().waveOutPrepareHeader(out_, &h, sizeof h) != MMSYSERR_NOERROR) return false;
    if (Winmm().waveOutWrite(out_, &h, sizeof h) != MMSYSERR_NOERROR) {
        Winmm().waveOutUnprepareHeader(out_, &h, sizeof h);
        return false;
    }
    ++queued_;
    return true;
}

// The same sound again from its start, on the same device.
bool Playback::rewind() {
    std::unique_ptr<PcmSource> s;
    if (path_.empty()) {
        s = MakeChime();
    } else {
        bool mayTryMci = false;
        ToneProblem why;
        s = OpenSource(path_, &why, &mayTryMci);
    }
    if (!s) return false;
    source_ = ToOutputFormat(std::move(s));
    return true;
}

void WarmUpOutput() {
    const WAVEFORMATEX out = ToWaveFormat(kOutputFormat);
    HWAVEOUT h = nullptr;
    if (Winmm().waveOutOpen(&h, WAVE_MAPPER, &out, 0, 0, CALLBACK_NULL) == MMSYSERR_NOERROR)
        Winmm().waveOutClose(h);
}

// The path goes in a structure, never into a command string, so no
// character of it can be read as MCI syntax.
UINT OpenMci(const std::wstring& file) {
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"mpegvideo";
    open.lpstrElementName = file.c_str();
    if (Winmm().mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                                reinterpret_cast<DWORD_PTR>(&open)) != 0)
        return 0;
    MCI_STATUS_PARMS length{};
    length.dwItem = MCI_STATUS_LENGTH;
    if (Winmm().mciSendCommandW(open.wDeviceID, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT,
                                reinterpret_cast<DWORD_PTR>(&length)) != 0 ||
        length.dwReturn == 0) {
        CloseMci(open.wDeviceID);
        return 0;
    }
    return open.wDeviceID;
}

void CloseMci(UINT device) {
    MCI_GENERIC_PARMS close{};
    Winmm().mciSendCommandW(device, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
}

bool PlayMci(UINT device, HWND notify, bool fromStart) {
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    if (fromStart) flags |= MCI_FROM;  // dwFrom 0
    if (notify) {
        play.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
        flags |= MCI_NOTIFY;
    }
    return Winmm().mciSendCommandW(device, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play)) == 0;
}

}  // namespace ny
