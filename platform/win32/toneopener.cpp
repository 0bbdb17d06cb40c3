#include "platform/win32/toneopener.h"

#include <deque>

#include "host/devicepath.h"
#include "platform/win32/pcmsource.h"

namespace ny {

struct ToneOpeners::Done {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<std::shared_ptr<ToneJob>> jobs;
};

// One thread and its queue.
struct ToneOpeners::Opener {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE wake = CONDITION_VARIABLE_INIT;
    std::deque<std::shared_ptr<ToneJob>> queue;
    std::shared_ptr<ToneJob> busy;
    DWORD busySince = 0;
    bool quit = false;
    bool abandoned = false;
    HWND notify = nullptr;
    // What was opened, for the window's thread (shared by every opener).
    std::shared_ptr<Done> done;
};

namespace {

using Opener = ToneOpeners::Opener;

// Busy this long on a cancelled tone, an opener counts as stuck.
constexpr DWORD kStuckMs = 100;
// At most this many stuck openers at once: beyond, requests queue (and a
// sound that must start soon gives up by its timer).
constexpr LONG kMaxStuck = 4;
volatile LONG g_stuckOpeners = 0;

// The first sound of a process would pay for loading the MP3 codec and the
// output's driver (under Wine, the connection to the sound server): 20-100 ms
// more than later ones. Done once, silently, when the pointer first comes
// over 试听 (the click follows a tenth of a second or more later) or an
// alarm's tone is prepared ahead of its minute, not at start: under Wine the
// output's driver costs about 4.5 MB, which an idle program that never plays
// need not hold. Only the codec's driver is kept open, as the first MP3
// would keep it.
void WarmUp() {
    WarmUpMp3Codec();
    WarmUpOutput();
}

void OpenTone(ToneJob& job, HWND notify) {
    if (job.warmUp) {
        WarmUp();
        return;
    }
    // A device name is refused on its name, before anything is opened.
    if (IsDevicePath(job.utf8)) {
        job.problem = ToneProblem::CannotOpen;
        return;
    }
    bool mayTryMci = false;
    if (auto source = OpenSource(job.path, &job.problem, &mayTryMci)) {
        if (job.probeOnly) return;  // its start decoded: it plays
        job.playback = Playback::Open(notify, std::move(source), job.path);
        if (job.playback) return;
        mayTryMci = true;
        job.problem = ToneProblem::NotSound;
    }
    // What the codec cannot decode, MCI may.
    if (mayTryMci && !job.cancelled) job.mci = OpenMci(job.path);
    if (job.mci) job.problem = ToneProblem::None;
    if (job.mci && job.probeOnly) {
        CloseMci(job.mci);
        job.mci = 0;
    }
}

DWORD WINAPI OpenerMain(void* arg) {
    auto* ref = static_cast<std::shared_ptr<Opener>*>(arg);
    const std::shared_ptr<Opener> self = *ref;
    delete ref;
    for (;;) {
        AcquireSRWLockExclusive(&self->lock);
        while (!self->quit && self->queue.empty())
            SleepConditionVariableSRW(&self->wake, &self->lock, INFINITE, 0);
        if (self->quit) {
            ReleaseSRWLockExclusive(&self->lock);
            break;
        }
        std::shared_ptr<ToneJob> job = std::move(self->queue.front());
        self->queue.pop_front();
        self->busy = job;
        self->busySince = GetTickCount();
        ReleaseSRWLockExclusive(&self->lock);

        if (!job->cancelled) OpenTone(*job, self->notify);

        AcquireSRWLockExclusive(&self->lock);
        self->busy.reset();
        ReleaseSRWLockExclusive(&self->lock);
        if (job->cancelled) {
            if (job->mci) CloseMci(job->mci);  // the playback closes itself
            continue;
        }
        AcquireSRWLockExclusive(&self->done->lock);
        self->done->jobs.push_back(std::move(job));
        ReleaseSRWLockExclusive(&self->done->lock);
        PostMessageW(self->notify, WMAPP_TONES_OPENED, 0, 0);
    }
    if (self->abandoned) InterlockedDecrement(&g_stuckOpeners);
    return 0;
}

}  // namespace

void Cancel(std::shared_ptr<ToneJob>& job) {
    if (job) InterlockedExchange(&job->cancelled, 1);
    job.reset();
}

ToneOpeners::ToneOpeners(HWND notify) : notify_(notify), done_(std::make_shared<Done>()) {}

ToneOpeners::~ToneOpeners() {
    if (!current_) return;
    AcquireSRWLockExclusive(&current_->lock);
    current_->quit = true;
    ReleaseSRWLockExclusive(&current_->lock);
    WakeConditionVariable(&current_->wake);
}

void ToneOpeners::submit(const std::shared_ptr<ToneJob>& job) {
    std::shared_ptr<Opener>& cur = current_;
    std::deque<std::shared_ptr<ToneJob>> carried;
    bool fresh = !cur;
    if (cur) {
        AcquireSRWLockExclusive(&cur->lock);
        if (cur->busy && cur->busy->cancelled && GetTickCount() - cur->busySince >= kStuckMs &&
            g_stuckOpeners < kMaxStuck) {
            cur->quit = true;
            cur->abandoned = true;
            carried.swap(cur->queue);
            InterlockedIncrement(&g_stuckOpeners);
            fresh = true;
        }
        ReleaseSRWLockExclusive(&cur->lock);
        if (fresh) WakeConditionVariable(&cur->wake);
    }
    if (fresh) {
        auto o = std::make_shared<Opener>();
        o->notify = notify_;
        o->done = done_;
        o->queue.swap(carried);
        HANDLE t = CreateThread(nullptr, 0, OpenerMain, new std::shared_ptr<Opener>(o), 0, nullptr);
        if (t) CloseHandle(t);
        cur = o;  // without a thread the jobs stay queued: a sound that must be heard gives up
    }
    AcquireSRWLockExclusive(&cur->lock);
    cur->queue.push_back(job);
    ReleaseSRWLockExclusive(&cur->lock);
    WakeConditionVariable(&cur->wake);
}

std::vector<std::shared_ptr<ToneJob>> ToneOpeners::collect() {
    std::vector<std::shared_ptr<ToneJob>> jobs;
    AcquireSRWLockExclusive(&done_->lock);
    jobs.swap(done_->jobs);
    ReleaseSRWLockExclusive(&done_->lock);
    return jobs;
}

}  // namespace ny
