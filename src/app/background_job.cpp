#include "app/background_job.h"

#include <utility>

namespace sonkrate::app {

BackgroundJob::~BackgroundJob() { stop(); }

void BackgroundJob::start(std::function<void(BackgroundJob&)> work, std::function<void()> finish) {
    stop();
    cancel_.store(false);
    done_.store(false);
    finish_ = std::move(finish);
    setProgress(0, 0);
    thread_ = std::thread([this, work = std::move(work)] {
        work(*this);
        done_.store(true);
    });
}

void BackgroundJob::setProgress(std::uint64_t done, std::uint64_t total) {
    std::lock_guard<std::mutex> lock(mutex_);
    progress_ = {done, total};
}

BackgroundJob::Progress BackgroundJob::progress() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return progress_;
}

bool BackgroundJob::poll() {
    if (!thread_.joinable() || !done_.load()) return false;
    thread_.join();
    std::function<void()> finish = std::move(finish_);
    finish_ = nullptr;
    if (finish) finish();
    return true;
}

void BackgroundJob::stop() {
    if (!thread_.joinable()) return;
    cancel_.store(true);
    thread_.join();
    finish_ = nullptr;
}

}  // namespace sonkrate::app
