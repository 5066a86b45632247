#include "link_box.h"

#include "link/command_record.h"
#include "server_log.h"

namespace zz::scpiserver {

Status LinkBox::send(std::string_view command) {
    const Status status = link::sendCommand(control_, command);
    if (status) {
        sent_ = std::string(command);
    } else {
        logLine("link failed sending " + std::string(command) + ": " + status.text());
    }
    return status;
}

std::optional<std::string> LinkBox::lastCommand() const {
    if (const auto record = link::readCommandRecord(control_.devicePath())) return record->command;
    return sent_;
}

}  // namespace zz::scpiserver
