#pragma once
// A real serial backend with the test looking on: it counts the opens,
// writes and closes it is asked for and can run a step as each write starts.
//
//   auto watch = std::make_shared<zz::test::BackendWatch>();
//   zz::link::SerialControl serial(std::make_unique<zz::test::WatchedBackend>(watch));
//   ...
//   QCOMPARE(watch->opens, 1);

#include "link/serial_backend.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zz::test {

// Kept apart from the backend so that it can still be read once the serial
// control that owns the backend is gone.
struct BackendWatch {
    int opens = 0;  // attempts
    int writes = 0;
    int closes = 0;
    std::function<void()> beforeWrite;  // runs as each write starts
};

class WatchedBackend : public link::SerialBackend {
public:
    // `inner` does the work: the platform's backend unless another is given.
    explicit WatchedBackend(
        std::shared_ptr<BackendWatch> watch,
        std::unique_ptr<link::SerialBackend> inner = link::makePlatformSerialBackend());

    Status open(int port, const std::string &devicePath) override;
    Status write(std::string_view bytes) override;
    Status close() override;
    bool isOpen() const override;

private:
    std::shared_ptr<BackendWatch> watch_;
    std::unique_ptr<link::SerialBackend> inner_;
};

}  // namespace zz::test
