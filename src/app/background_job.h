// Long work of the archive window on its own thread: the work never touches
// the platform; the window's thread polls the job on its timer, takes the
// progress it reports and runs the job's finish once the work is done.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace sonkrate::app {

class BackgroundJob {
public:
    BackgroundJob() = default;
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;
    // Cancels the work and waits for it; its finish does not run.
    ~BackgroundJob();

    // Runs work on a new thread; finish runs on the window's thread in the
    // poll that finds the work done. A job that is still running is
    // cancelled and waited for first.
    void start(std::function<void(BackgroundJob&)> work, std::function<void()> finish);
    bool running() const { return thread_.joinable(); }
    // Asks the work to stop; it looks at cancelled() when it can.
    void cancel() { cancel_.store(true); }
    bool cancelled() const { return cancel_.load(); }
    const std::atomic<bool>& cancelFlag() const { return cancel_; }

    // From the work: how far it has come.
    void setProgress(std::uint64_t done, std::uint64_t total);
    struct Progress {
        std::uint64_t done = 0;
        std::uint64_t total = 0;
    };
    Progress progress() const;

    // On the window's thread: when the work is done, joins it and runs its
    // finish; returns whether it did.
    bool poll();
    // Waits for the work (cancelled first) without running its finish.
    void stop();

private:
    std::thread thread_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> done_{false};
    std::function<void()> finish_;
    mutable std::mutex mutex_;
    Progress progress_;
};

}  // namespace sonkrate::app
