#include "platform/win32/jobs.h"

#include "platform/win32/win32_host.h"

#include <memory>
#include <utility>

namespace ny {
namespace {

struct Start {
    std::function<void()> job;
    HWND notify;
    int id;
};

DWORD WINAPI JobMain(LPVOID p) {
    std::unique_ptr<Start> s(static_cast<Start*>(p));
    // Nothing may escape a thread: a job that throws has ended unfinished,
    // and what it was to fill says so.
    try {
        s->job();
    } catch (...) {
    }
    PostMessageW(s->notify, WMAPP_JOB_DONE, static_cast<WPARAM>(s->id), 0);
    return 0;
}

}  // namespace

int Jobs::start(std::function<void()> job, HWND notify) {
    finishAll();
    const int id = next_++;
    auto s = std::make_unique<Start>(Start{std::move(job), notify, id});
    HANDLE thread = CreateThread(nullptr, 0, JobMain, s.get(), CREATE_SUSPENDED, nullptr);
    if (thread) {
        s.release();  // the thread owns it now
        // Behind the window and the ringing sound when the processor is
        // short: the job has no one waiting for it.
        SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL);
    } else {
        // No thread to be had: done here, late rather than never.
        JobMain(s.release());
    }
    running_ = Running{id, thread, thread == nullptr};
    // A message that cannot be posted (a full queue) must not leave the job
    // waiting for the next one.
    if (thread && (!notify || !PostMessageW(notify, WMAPP_JOB_GO, static_cast<WPARAM>(id), 0)))
        go(static_cast<WPARAM>(id));
    return id;
}

void Jobs::go(WPARAM id) {
    if (!running_ || static_cast<WPARAM>(running_->id) != id || running_->going) return;
    running_->going = true;
    ResumeThread(running_->thread);
}

void Jobs::finish(int id) {
    if (!running_ || running_->id != id) return;
    go(static_cast<WPARAM>(id));  // waited for before it was set going
    if (running_->thread) {
        WaitForSingleObject(running_->thread, INFINITE);
        CloseHandle(running_->thread);
    }
    running_.reset();
}

void Jobs::finishAll() {
    if (running_) finish(running_->id);
}

bool Jobs::collect(WPARAM id) {
    if (!running_ || static_cast<WPARAM>(running_->id) != id) return false;
    if (running_->thread && WaitForSingleObject(running_->thread, 0) != WAIT_OBJECT_0) return false;
    finish(running_->id);
    return true;
}

// ---- Host -------------------------------------------------------------------

int Win32Host::startJob(std::function<void()> job) {
    return jobs_.start(std::move(job), hwndOf(Ctl::MainWindow));
}

void Win32Host::finishJob(int id) { jobs_.finish(id); }

}  // namespace ny
