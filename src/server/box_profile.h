#pragma once
// The box's profile as the server keeps it: read at start, read again when
// its file changes (looked at on the link's thread, server/link_poll.h), each
// reading logged in one line and handed to whoever applies it (the SCPI
// instrument, the page's model, the identity the server shows). A table past
// its due date is warned of once a run.

#include "profile/profile_watch.h"

#include <functional>
#include <string>

namespace zz::server {

class BoxProfile {
public:
    using Changed = std::function<void(const profile::BoxRules &rules)>;

    // Reads the file and logs what it found.
    explicit BoxProfile(std::string path);

    const profile::BoxRules &rules() const { return watch_.rules(); }
    const std::string &path() const { return watch_.path(); }

    // Called on the link's thread after each change; set before the first look.
    void onChange(Changed changed) { changed_ = std::move(changed); }
    // One look at the file (on the link's thread).
    void poll();

private:
    void report();

    profile::ProfileWatch watch_;
    Changed changed_;
    bool warnedOverdue_ = false;
};

// The log line of a reading: "profile /x/com3.toml read: Bench 3, serial
// A12345, limits 10.0–2000.0 Ω, table due 2027-01-10", the refusal, or that
// there is none.
std::string describeProfile(const std::string &path, const profile::BoxRules &rules);

}  // namespace zz::server
