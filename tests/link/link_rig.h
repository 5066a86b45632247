#pragma once
// The link on a pseudo-terminal: a SerialControl on the real POSIX backend,
// watched so that tests can count how often the port was opened and closed,
// and the fixture that gives each test function a fresh terminal and port map.

#include "link/serial_backend_posix.h"
#include "link/serial_control.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "support/watched_backend.h"

#include <QObject>
#include <QTest>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace zz::test {

struct LinkRig {
    std::shared_ptr<BackendWatch> watch = std::make_shared<BackendWatch>();
    std::unique_ptr<link::SerialControl> control;

    // lockDirectories empty: the system's lock directories.
    explicit LinkRig(int port, std::vector<std::string> lockDirectories = {},
                     std::chrono::milliseconds margin = link::kCycleMargin) {
        auto backend = std::make_unique<link::PosixSerialBackend>();
        if (!lockDirectories.empty()) backend->setLockDirectories(std::move(lockDirectories));
        backend->setCycleMargin(margin);
        control = std::make_unique<link::SerialControl>(
            std::make_unique<WatchedBackend>(watch, std::move(backend)));
        control->setPort(port);
    }
};

// A pseudo-terminal and an empty private port map, made afresh for each
// test function; with `mappedPort` the map leads that port to the terminal.
class PtyLinkFixture : public QObject {
    Q_OBJECT

public:
    explicit PtyLinkFixture(int mappedPort = 0) : mappedPort_(mappedPort) {}

protected:
    std::unique_ptr<zz::rig::PtyPair> pty_;
    std::unique_ptr<zz::rig::PortMapSandbox> sandbox_;

protected slots:
    void init() {
        pty_ = std::make_unique<zz::rig::PtyPair>();
        sandbox_ = std::make_unique<zz::rig::PortMapSandbox>();
        QVERIFY(pty_->ok());
        QVERIFY(sandbox_->ok());
        if (mappedPort_) QVERIFY(sandbox_->map(mappedPort_, pty_->slavePath()));
    }
    void cleanup() {
        sandbox_.reset();
        pty_.reset();
    }

private:
    int mappedPort_;
};

}  // namespace zz::test
