#pragma once
// The serial port of the instrument: which port (1 as created, refused
// outside 1..255), opening it with 9600 8N1 and no flow control, writing a
// text one byte per character, and closing it once every byte has left.

#include "common/status.h"
#include "link/serial_backend.h"

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

    int port() const { return port_; }
    Status setPort(int port);

    bool isOpen() const;
    Status open();   // refused when already open
    Status close();  // drains, then releases; nothing to do when closed

    Status write(std::string_view text);

private:
    std::unique_ptr<SerialBackend> backend_;
    int port_ = 1;
};

// Sends one command: opens the port when it is closed, writes the text and
// one carriage return, closes the port. The first failing step ends it and
// its error is returned; the port is closed afterwards in every case but a
// failed open, so the next command opens it afresh.
Status sendCommand(SerialControl &control, std::string_view command);

}  // namespace zz
