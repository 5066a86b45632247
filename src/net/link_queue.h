#pragma once
// The serial link's own thread, and the one hop between it and the network
// thread (see docs/threads.md). Every job (one client's line, one VXI-11
// call, one page's action, one look at the last-command record) runs on the
// link's thread whole, in the order it arrived, so network I/O never waits
// for the line and two senders never interleave their frames. What a job
// finds goes back to the network thread, the one that runs the io_context,
// through toNetwork(); only there are sockets and sessions' outboxes touched.

#include <boost/asio/io_context.hpp>
#include <boost/asio/post.hpp>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace zz::net {

class LinkQueue {
public:
    explicit LinkQueue(boost::asio::io_context &io);
    ~LinkQueue();  // stop()

    LinkQueue(const LinkQueue &) = delete;
    LinkQueue &operator=(const LinkQueue &) = delete;

    // False once stopped: the job is dropped.
    bool push(std::function<void()> job);

    // `job` on the link's thread, then `answer(result)` on the network
    // thread. False once stopped: neither runs.
    template <typename Job, typename Answer>
    bool hop(Job job, Answer answer) {
        return push([this, job = std::move(job), answer = std::move(answer)]() mutable {
            toNetwork([answer, result = job()]() mutable { answer(std::move(result)); });
        });
    }
    // From a job: `work` runs later on the network thread.
    template <typename Work>
    void toNetwork(Work work) {
        boost::asio::post(io_, std::move(work));
    }

    // Lets the job in progress finish, drops the waiting ones, joins.
    void stop();
    std::size_t waiting() const;
    // No job waits and the queue runs: a job may go on with more of its own.
    bool idle() const;

private:
    void run();

    boost::asio::io_context &io_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> jobs_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace zz::net
