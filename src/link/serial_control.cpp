#include "link/serial_control.h"

#include "link/port_map.h"
#include "link/serial_errors.h"

#include <string>
#include <utility>

namespace zz {

SerialControl::SerialControl() : SerialControl(makePlatformSerialBackend()) {}

SerialControl::SerialControl(std::unique_ptr<SerialBackend> backend)
    : backend_(std::move(backend)) {}

SerialControl::~SerialControl() {
    if (isOpen()) backend_->close();
}

Status SerialControl::setPort(int port) {
    if (port < kMinPort || port > kMaxPort)
        return Status::failure(serial_error::InvalidPortNumber, "Invalid port number");
    if (isOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    port_ = port;
    return {};
}

bool SerialControl::isOpen() const {
    return backend_->isOpen();
}

Status SerialControl::open() {
    if (isOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    return backend_->open(port_, portDevicePath(port_));
}

Status SerialControl::close() {
    return isOpen() ? backend_->close() : Status{};
}

Status SerialControl::write(std::string_view text) {
    if (!isOpen()) return Status::failure(serial_error::PortNotOpen, "Port not open");
    return backend_->write(text);
}

Status sendCommand(SerialControl &control, std::string_view command) {
    if (!control.isOpen()) {
        if (Status opened = control.open(); !opened) return opened;
    }
    std::string line(command);
    line += '\r';
    // A failed write has released the port already (see SerialBackend).
    if (Status written = control.write(line); !written) return written;
    return control.close();
}

}  // namespace zz
