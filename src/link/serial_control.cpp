#include "serial_control.h"

#include "port_map.h"
#include "serial_errors.h"

#include <string>
#include <utility>

namespace zz {

SerialControl::SerialControl() : SerialControl(makePlatformSerialBackend()) {}

SerialControl::SerialControl(std::unique_ptr<SerialBackend> backend)
    : backend_(std::move(backend)) {}

SerialControl::~SerialControl() {
    if (portOpen()) backend_->close();
}

Status SerialControl::setCommPort(int port) {
    if (port < kMinPort || port > kMaxPort)
        return Status::failure(serial_error::InvalidPortNumber, "Invalid port number");
    if (portOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    port_ = port;
    return {};
}

bool SerialControl::portOpen() const {
    return backend_->isOpen();
}

Status SerialControl::setPortOpen(bool open) {
    if (!open) return portOpen() ? backend_->close() : Status{};
    if (portOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    return backend_->open(port_, portDevicePath(port_));
}

Status SerialControl::setOutput(std::string_view text) {
    if (!portOpen()) return Status::failure(serial_error::PortNotOpen, "Port not open");
    return backend_->write(text);
}

Status SerialCOM(SerialControl &control, std::string_view command) {
    if (!control.portOpen()) {
        if (Status opened = control.setPortOpen(true); !opened) return opened;
    }
    std::string line(command);
    line += '\r';
    // A failed write has released the port already (see SerialBackend).
    if (Status written = control.setOutput(line); !written) return written;
    return control.setPortOpen(false);
}

}  // namespace zz
