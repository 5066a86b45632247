#include "frontpanel/record_follower.h"

namespace zz::frontpanel {

void RecordFollower::start(const std::string &device) {
    path_ = link::commandRecordPath(device);
    last_.reset();
    if (!path_.empty()) last_ = link::readCommandRecord(device);
}

std::optional<link::CommandRecord> RecordFollower::news(const std::string &device) {
    const std::string path = link::commandRecordPath(device);
    std::optional<link::CommandRecord> record = link::readCommandRecord(device);
    if (path != path_) {
        path_ = path;
        last_ = std::move(record);
        return std::nullopt;
    }
    if (!record || record == last_) return std::nullopt;
    last_ = record;
    if (record->pid == link::currentProcessId()) return std::nullopt;  // our own send
    return record;
}

}  // namespace zz::frontpanel
