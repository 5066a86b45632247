#pragma once
// 6175ZIZ-ctl as its tests run it: the real program in a folder of its own,
// port 3 a pseudo-terminal behind a private port map and configuration
// folder, what it printed kept in a file.

#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>

namespace zz::test {

class CtlRig {
public:
    CtlRig();
    bool ok() const { return ok_; }

    // Starts the program; "{pty}" in an argument is the pseudo-terminal's path.
    bool start(const QStringList &args);
    // Its exit status once it has ended (within 30 s).
    std::optional<int> finish();
    std::optional<int> run(const QStringList &args) {
        return start(args) ? finish() : std::nullopt;
    }
    // What it printed, both streams, since the rig was made.
    QString output() const;
    // Whether it printed every one of the "|"-separated pieces.
    bool printedAll(const QString &pieces) const;
    // The bytes on the line since the last look, read for at most `within`.
    QByteArray sent(std::chrono::milliseconds within = std::chrono::milliseconds(300));

    // A file in the configuration folder's boxes/ ("com3.toml"), or in the
    // program's working folder.
    bool writeBox(const QString &name, const QByteArray &text);
    bool writeHere(const QString &name, const QByteArray &text);
    QString herePath(const QString &name) const { return cwd_.filePath(name); }
    const rig::PtyPair &pty() const { return pty_; }
    rig::PortMapSandbox &sandbox() { return sandbox_; }

private:
    rig::PtyPair pty_;
    rig::PortMapSandbox sandbox_;
    QTemporaryDir cwd_;
    std::unique_ptr<rig::ChildProcess> child_;  // first to go: killed if it still runs
    bool ok_ = false;
};

}  // namespace zz::test
