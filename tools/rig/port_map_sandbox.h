#pragma once
// A private port map for a test: a temporary configuration directory that
// $XDG_CONFIG_HOME points at while the sandbox lives, and in it a private
// $XDG_RUNTIME_DIR for the last-command records (the old values are put back
// afterwards), with "com<n>" links made on request.
//
//   zz::rig::PtyPair pty;
//   zz::rig::PortMapSandbox sandbox;
//   sandbox.map(3, pty.slavePath());   // port 3 is now the pseudo-terminal

#include "rig/environment.h"

#include <memory>
#include <string>

class QTemporaryDir;

namespace zz::rig {

class PortMapSandbox {
public:
    PortMapSandbox();   // check ok()
    ~PortMapSandbox();  // restores $XDG_CONFIG_HOME, removes the directory
    PortMapSandbox(const PortMapSandbox &) = delete;
    PortMapSandbox &operator=(const PortMapSandbox &) = delete;

    bool ok() const { return !root_.empty(); }
    // The temporary directory ($XDG_CONFIG_HOME); free for other test files.
    const std::string &root() const { return root_; }
    // Where the "com<n>" entries live.
    std::string mapDirectory() const;
    // What $XDG_RUNTIME_DIR points at.
    std::string runtimeDirectory() const;

    // Makes "com<port>" a symbolic link to target (replacing an older entry).
    // The target need not exist.
    bool map(int port, const std::string &target);
    void unmap(int port);

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::string root_;
    // Put back when the sandbox goes.
    std::unique_ptr<EnvOverride> configHome_, runtimeDir_;
};

}  // namespace zz::rig
