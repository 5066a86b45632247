#pragma once
// The serial link's own thread: every job (one client's line, one page's
// action, one look at the last-command record) runs there whole, in the order
// it arrived, so network I/O never waits for the line and two senders never
// interleave their frames.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace zz::scpiserver {

class LinkQueue {
public:
    LinkQueue();
    ~LinkQueue();  // stop()

    LinkQueue(const LinkQueue &) = delete;
    LinkQueue &operator=(const LinkQueue &) = delete;

    // False once stopped: the job is dropped.
    bool push(std::function<void()> job);
    // Lets the job in progress finish, drops the waiting ones, joins.
    void stop();
    std::size_t waiting() const;
    // No job waits and the queue runs: a job may go on with more of its own.
    bool idle() const;

private:
    void run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zz::scpiserver
