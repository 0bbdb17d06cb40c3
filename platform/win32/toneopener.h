// Opening a tone (the file, the probe, the codec, the first second decoded,
// the output device) happens on a thread of its own: a path may name
// something that blocks a read for minutes, and the window must answer
// meanwhile. The window's thread collects what was opened.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "host/host.h"
#include "platform/win32/sounddevice.h"

namespace ny {

// Posted to the openers' window when opened tones wait to be collected.
constexpr UINT WMAPP_TONES_OPENED = WM_APP + 10;

struct ToneJob {
    enum Kind { Play, Probe, WarmUp };
    ToneJob(std::wstring w, std::string u, Kind k = Play)
        : path(std::move(w)), utf8(std::move(u)), probeOnly(k == Probe), warmUp(k == WarmUp) {}
    const std::wstring path;
    const std::string utf8;
    // Only checked (Host::probeTone): opened and decoded a little, never played.
    const bool probeOnly;
    // No tone: the codec and the output made ready for the first one.
    const bool warmUp;
    volatile LONG cancelled = 0;  // set by the window's thread
    // Filled by the opener: a sound ready to start, or an MCI device, and
    // why there is neither.
    PlaybackPtr playback;
    UINT mci = 0;
    ToneProblem problem = ToneProblem::None;
};

// The job is never collected: what its opener opens is closed there.
void Cancel(std::shared_ptr<ToneJob>& job);

// One opener thread at a time, in the order the jobs came. A thread stuck on
// a tone nobody waits for any more is left to finish on its own while a new
// one takes the queue.
class ToneOpeners {
public:
    // `notify` is told WMAPP_TONES_OPENED, and is the window the opened
    // playbacks report their buffers to.
    explicit ToneOpeners(HWND notify);
    ~ToneOpeners();  // the thread ends after the job in hand
    ToneOpeners(const ToneOpeners&) = delete;
    ToneOpeners& operator=(const ToneOpeners&) = delete;

    void submit(const std::shared_ptr<ToneJob>& job);
    // The jobs opened since the last call, cancelled ones left out.
    std::vector<std::shared_ptr<ToneJob>> collect();

    struct Opener;
    struct Done;

private:
    HWND notify_;
    std::shared_ptr<Opener> current_;
    std::shared_ptr<Done> done_;  // shared by every opener
};

}  // namespace ny
