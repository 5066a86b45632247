#pragma once
// The network server as the SCPI benchmarks run it, and their client's side:
// the real 6175ZIZ-scpi as a process on a pseudo-terminal of its own, with
// private directories and only its SCPI socket (port 111 and 8080 may be
// another program's), and a client that times one command to the frame's
// last byte or counts commands per second.

#include "rig/child_process.h"
#include "rig/port_map_sandbox.h"
#include "rig/pty_pair.h"

#include <chrono>
#include <string>

namespace zz::bench {

class ScpiRig {
public:
    // Starts the server at `path`; false, with a line on standard error,
    // when it does not come up listening.
    bool start(const std::string &path);
    // SIGTERM; true when the server ended with status 0.
    bool stop();

    // One command from a fresh line to its frame's eighth byte on the far
    // side; a negative duration when the frame did not come whole.
    std::chrono::steady_clock::duration commandToLastByte(int value);
    // Commands per second with `clients` connections, each sending `count`
    // commands as fast as the server takes them, then *OPC? to know they
    // are done; 0 when a client failed. The far side is drained meanwhile.
    double commandsPerSecond(int clients, int count);

    rig::PtyPair pty;
    int port = -1;

private:
    rig::PortMapSandbox sandbox_;
    rig::ChildProcess server_;
    int fd_ = -1;  // the latency client's connection
    std::string log_;
};

}  // namespace zz::bench
