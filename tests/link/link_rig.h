#pragma once
// A SerialControl on the real POSIX backend, wrapped so that tests can count
// how often the port was opened and closed.

#include "link/posix_serial_backend.h"
#include "link/serial_control.h"

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zz::test {

struct BackendCounts {
    int opens = 0;  // attempts
    int closes = 0;
};

class CountingBackend : public SerialBackend {
public:
    CountingBackend(std::unique_ptr<SerialBackend> inner, std::shared_ptr<BackendCounts> counts)
        : inner_(std::move(inner)), counts_(std::move(counts)) {}
    Status open(int port, const std::string &path) override {
        ++counts_->opens;
        return inner_->open(port, path);
    }
    Status write(std::string_view bytes) override { return inner_->write(bytes); }
    Status close() override {
        ++counts_->closes;
        return inner_->close();
    }
    bool isOpen() const override { return inner_->isOpen(); }

private:
    std::unique_ptr<SerialBackend> inner_;
    std::shared_ptr<BackendCounts> counts_;
};

struct LinkRig {
    std::shared_ptr<BackendCounts> counts = std::make_shared<BackendCounts>();
    std::unique_ptr<SerialControl> control;

    // lockDirectories empty: the system's lock directories.
    explicit LinkRig(int port, std::vector<std::string> lockDirectories = {},
                     std::chrono::milliseconds margin = PosixSerialBackend::kCycleMargin) {
        auto backend = std::make_unique<PosixSerialBackend>();
        if (!lockDirectories.empty()) backend->setLockDirectories(std::move(lockDirectories));
        backend->setCycleMargin(margin);
        control = std::make_unique<SerialControl>(
            std::make_unique<CountingBackend>(std::move(backend), counts));
        control->setPort(port);
    }
};

}  // namespace zz::test
