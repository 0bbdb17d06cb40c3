// Jobs off the window's thread (Host::startJob): a thread each, one at a
// time. A job's thread is made at once and set going by WMAPP_JOB_GO, posted
// to the window: what the window does before it next waits for messages (a
// ringing alarm's box, made by Wine in 20-30 ms) has the processor first.
// A job's end is posted to the window as WMAPP_JOB_DONE (its id in wParam);
// the window's thread then collects it.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>

namespace ny {

constexpr UINT WMAPP_JOB_DONE = WM_APP + 3;
constexpr UINT WMAPP_JOB_GO = WM_APP + 4;

class Jobs {
public:
    Jobs() = default;
    Jobs(const Jobs&) = delete;
    Jobs& operator=(const Jobs&) = delete;
    ~Jobs() { finishAll(); }

    // Starts `job`, its end to be posted to `notify`; a job still running
    // is waited for first.
    int start(std::function<void()> job, HWND notify);
    // WMAPP_JOB_GO arrived: job `id` runs (nothing when it is not the
    // one waiting, or runs already).
    void go(WPARAM id);
    // Waits for job `id` (nothing when it is not the one running).
    void finish(int id);
    void finishAll();
    // WMAPP_JOB_DONE arrived: true when `id` is the job running and it has
    // ended, now collected (a job finish took already, or a message another
    // program posted, gives false).
    bool collect(WPARAM id);

private:
    struct Running {
        int id;
        HANDLE thread;  // nullptr: it ran on the window's thread
        bool going;     // resumed
    };
    std::optional<Running> running_;
    int next_ = 1;
};

}  // namespace ny
