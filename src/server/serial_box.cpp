#include "server/serial_box.h"

#include "link/command_record.h"
#include "net/log.h"

namespace zz::server {

Status SerialBox::send(std::string_view command) {
    const Status status = link::sendCommand(control_, command);
    if (status) {
        sent_ = std::string(command);
    } else {
        net::logLine("link failed sending " + std::string(command) + ": " + status.text());
    }
    return status;
}

std::optional<std::string> SerialBox::lastCommand() const {
    if (const auto record = link::readCommandRecord(control_.devicePath())) return record->command;
    return sent_;
}

}  // namespace zz::server
