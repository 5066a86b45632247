#include "link/serial_control.h"

#include "link/command_record.h"
#include "link/port_map.h"
#include "link/serial_errors.h"

#include <chrono>
#include <string>
#include <utility>

namespace zz::link {

SerialControl::SerialControl() : SerialControl(makePlatformSerialBackend()) {}

SerialControl::SerialControl(std::unique_ptr<SerialBackend> backend)
    : backend_(std::move(backend)) {}

SerialControl::~SerialControl() {
    if (isOpen()) backend_->close();
}

Status SerialControl::setPort(int port) {
    if (!isPortNumber(port))
        return Status::failure(serial_error::InvalidPortNumber, "Invalid port number");
    if (isOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    port_ = port;
    return {};
}

std::string SerialControl::devicePath() const {
    return devicePath_.empty() ? portDevicePath(port_) : devicePath_;
}

Status SerialControl::setDevicePath(std::string path) {
    if (isOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    devicePath_ = std::move(path);
    return {};
}

bool SerialControl::devicePresent() const {
    return devicePathPresent(devicePath());
}

bool SerialControl::isOpen() const {
    return backend_->isOpen();
}

Status SerialControl::open() {
    if (isOpen()) return Status::failure(serial_error::PortAlreadyOpen, "Port already open");
    return backend_->open(port_, devicePath());
}

Status SerialControl::close() {
    return isOpen() ? backend_->close() : Status{};
}

Status SerialControl::write(std::string_view text) {
    if (!isOpen()) return Status::failure(serial_error::PortNotOpen, "Port not open");
    return backend_->write(text);
}

namespace {

Status sendLine(SerialControl &control, std::string_view command) {
    if (!control.isOpen()) {
        if (Status opened = control.open(); !opened) return opened;
    }
    std::string line(command);
    line += '\r';
    // A failed write has released the port already (see SerialBackend).
    if (Status written = control.write(line); !written) return written;
    return control.close();
}

}  // namespace

Status sendCommand(SerialControl &control, std::string_view command) {
    Status status = sendLine(control, command);
    if (status) {
        using namespace std::chrono;
        const auto now = duration_cast<milliseconds>(system_clock::now().time_since_epoch());
        writeCommandRecord(control.devicePath(),
                           {std::string(command), now.count(), senderName(), currentProcessId()});
    }
    if (control.observer_) control.observer_(std::string(command), status);
    return status;
}

}  // namespace zz::link
