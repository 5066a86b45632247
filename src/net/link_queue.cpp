#include "net/link_queue.h"

namespace zz::net {

LinkQueue::LinkQueue(boost::asio::io_context &io) : io_(io), thread_([this] { run(); }) {}

LinkQueue::~LinkQueue() {
    stop();
}

bool LinkQueue::push(std::function<void()> job) {
    {
        const std::lock_guard lock(mutex_);
        if (stopping_) return false;
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
    return true;
}

void LinkQueue::stop() {
    std::deque<std::function<void()>> dropped;
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(jobs_);
    }
    wake_.notify_one();
    if (thread_.joinable()) thread_.join();
}

std::size_t LinkQueue::waiting() const {
    const std::lock_guard lock(mutex_);
    return jobs_.size();
}

bool LinkQueue::idle() const {
    const std::lock_guard lock(mutex_);
    return jobs_.empty() && !stopping_;
}

void LinkQueue::run() {
    for (;;) {
        std::function<void()> job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

}  // namespace zz::net
