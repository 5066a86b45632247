#pragma once
// Follows the last-command record of the panel's device: news is a command
// that another program of ours sent to the box since the last look, which
// the digits then show without sending it again.

#include "link/command_record.h"

#include <optional>
#include <string>

namespace zz::frontpanel {

class RecordFollower {
public:
    // The record found now is the starting point, not news.
    void start(const std::string &device);

    // The record another process wrote since the last look; nothing when
    // it is unchanged, when it is our own send, or when the device is
    // another one now (what that one's record says is old news).
    std::optional<link::CommandRecord> news(const std::string &device);

    // The record file watched; empty where the device has none.
    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::optional<link::CommandRecord> last_;
};

}  // namespace zz::frontpanel
