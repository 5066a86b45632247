#pragma once
// The serial port of the instrument: which port (1 as created, refused
// outside 1..255), opening it with 9600 8N1 and no flow control, writing a
// text one byte per character, and closing it once every byte has left.

#include "common/status.h"
#include "link/serial_backend.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zz::link {

class SerialControl {
public:
    SerialControl();  // the platform backend
    explicit SerialControl(std::unique_ptr<SerialBackend> backend);
    ~SerialControl();  // closes a port that is still open

    SerialControl(const SerialControl &) = delete;
    SerialControl &operator=(const SerialControl &) = delete;

    int port() const { return port_; }
    Status setPort(int port);

    // The device the port is opened through: the port map's choice, unless a
    // device was named directly (a serial device given on a command line).
    std::string devicePath() const;
    Status setDevicePath(std::string path);  // empty: back to the port map
    // Whether that device exists now; looked at, never opened.
    bool devicePresent() const;

    bool isOpen() const;
    Status open();   // refused when already open
    Status close();  // drains, then releases; nothing to do when closed

    Status write(std::string_view text);

    // Told the outcome of every command sendCommand sends through this port,
    // whoever asked for it; the panel's link lamp listens here.
    using CommandObserver = std::function<void(const std::string &command, const Status &)>;
    void setCommandObserver(CommandObserver observer) { observer_ = std::move(observer); }

private:
    friend Status sendCommand(SerialControl &, std::string_view);

    std::unique_ptr<SerialBackend> backend_;
    int port_ = 1;
    std::string devicePath_;  // named directly; empty: the port map
    CommandObserver observer_;
};

// Sends one command: opens the port when it is closed, writes the text and
// one carriage return, closes the port. The first failing step ends it and
// its error is returned; the port is closed afterwards in every case but a
// failed open, so the next command opens it afresh. A command that went out
// whole replaces the device's last-command record.
Status sendCommand(SerialControl &control, std::string_view command);

}  // namespace zz::link
