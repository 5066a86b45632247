#pragma once
// Pseudo-terminals for tests that need a serial port: the program under test
// opens slavePath() (usually through a PortMapSandbox entry) and the test
// reads the exact bytes from the master side.

#include <termios.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace zz::rig {

class PtyPair {
public:
    // Opens a pair; check ok(). The slave stays open for the pair's lifetime so
    // that the master never sees a hang-up when the program closes its side.
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool ok() const { return master_ >= 0 && slave_ >= 0; }
    const std::string &slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }  // non-blocking
    int slaveFd() const { return slave_; }

    // Reads n bytes from the master; fewer when the timeout passes first.
    std::string readExactly(std::size_t n,
                            std::chrono::milliseconds timeout = std::chrono::seconds(5));
    // Reads until nothing arrives for `quiet`, at most for `timeout` in all.
    std::string readAll(std::chrono::milliseconds timeout = std::chrono::seconds(2),
                        std::chrono::milliseconds quiet = std::chrono::milliseconds(100));

    // A far end that stopped taking data: the queue towards the master is
    // filled and output is suspended (tcflow), so nothing more goes out until
    // resume(), even after the queue has been discarded. Returns the number
    // of filler bytes ('x') queued.
    std::size_t stall();
    void resume();
    // Closes the master: the device hangs up and its /dev/pts entry goes.
    void hangUp();

    // The terminal settings as they are now (while the program holds the port
    // open, the ones it set).
    std::optional<termios> slaveAttributes() const;
    bool setSlaveAttributes(const termios &attributes);

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Reads the master side on its own thread, `chunk` bytes at a time with a
// pause after each read, like a device that takes its time.
class SlowReader {
public:
    SlowReader(PtyPair &pty, std::size_t chunk, std::chrono::microseconds pause);
    ~SlowReader();  // stops reading
    SlowReader(const SlowReader &) = delete;
    SlowReader &operator=(const SlowReader &) = delete;

    // Waits until `bytes` have arrived in all (or the timeout), stops reading
    // and returns everything read.
    std::string finish(std::size_t bytes, std::chrono::milliseconds timeout);

private:
    void run(std::size_t chunk, std::chrono::microseconds pause);

    int fd_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::string data_;
    std::thread thread_;
};

}  // namespace zz::rig
