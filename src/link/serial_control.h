#pragma once
// The serial-port control: the three properties the panel uses.
//   CommPort  - set (refused outside 1..255) and read; 1 as created
//   PortOpen  - set true (open with 9600 8N1, no flow control) / false (drain, close); read
//   Output    - hand a text to the open port, one byte per character

#include "serial_backend.h"
#include "status.h"

#include <memory>
#include <string_view>

namespace zz {

class SerialControl {
public:
    SerialControl();  // the platform backend
    explicit SerialControl(std::unique_ptr<SerialBackend> backend);
    ~SerialControl();  // closes a port that is still open

    SerialControl(const SerialControl &) = delete;
    SerialControl &operator=(const SerialControl &) = delete;

    int commPort() const { return port_; }
    Status setCommPort(int port);

    bool portOpen() const;
    Status setPortOpen(bool open);

    Status setOutput(std::string_view text);

private:
    std::unique_ptr<SerialBackend> backend_;
    int port_ = 1;
};

// Sends one command: opens the port when it is closed, writes the text and
// one carriage return, closes the port. The first failing step ends it and
// its error is returned; the port is closed afterwards in every case but a
// failed open, so the next command opens it afresh.
Status SerialCOM(SerialControl &control, std::string_view command);

}  // namespace zz
