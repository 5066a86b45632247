#pragma once
// What every end-to-end test of the real program sets up: a private X
// server, a pseudo-terminal mapped as port 1, a scratch working directory,
// and the steps most cases share.

#include "rig/panel_run.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"
#include "rig/x_session.h"
#include "support/bytes.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zz::test {

// Generous: a loaded machine must not fail a test.
inline constexpr std::chrono::seconds kE2eWait{15};

class EndToEndFixture : public QObject {
    Q_OBJECT

protected:
    std::unique_ptr<zz::rig::XSession> x_;
    std::unique_ptr<zz::rig::PtyPair> pty_;
    std::unique_ptr<zz::rig::PortMapSandbox> ports_;
    std::unique_ptr<zz::rig::PanelRun> run_;

    bool ended() { return !run_->running(); }
    std::function<bool()> whenEnded() {
        return [this] { return ended(); };
    }
    QString context();
    // Reads n bytes from the far end while keeping track of the windows, so
    // that none that comes and goes meanwhile is missed.
    QByteArray receive(std::size_t n);
    // Everything the far end receives until it has been quiet for `quiet`.
    QByteArray sentSoFar(std::chrono::milliseconds quiet = std::chrono::milliseconds(300));

    // Each step below records a test failure and returns; callers leave
    // the test with CHECK_STEP.
    void startProgram(const std::vector<std::string> &arguments = {});
    void press(const zz::rig::TopWindow &window, const std::string &keys);
    void expectExit(int expected);
    // The panel is up and exactly one start command ("10000" CR) has arrived.
    void expectPanelWithStartCommand();

private slots:
    void init();
    void cleanup();
};

}  // namespace zz::test

// Runs a checking step and leaves the test when one of its checks failed.
#define CHECK_STEP(step)                        \
    do {                                        \
        step;                                   \
        if (QTest::currentTestFailed()) return; \
    } while (false)
