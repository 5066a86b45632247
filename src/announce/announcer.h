#pragma once
// Announces the services over DNS-SD for as long as it lives: on Linux
// through avahi-daemon (Avahi's client library, one entry group), on
// Windows through DnsServiceRegister, looked up at run time. A name taken by
// another instance gives way to the system's alternative name. The daemon
// missing or going away is one log line; the services are announced again
// when it comes back. The log may be called from the announcer's own thread.

#include "announce/lxi_records.h"
#include "common/status.h"

#include <functional>
#include <memory>
#include <string>

namespace zz::announce {

using Log = std::function<void(const std::string &line)>;

class Announcer {
public:
    Announcer(Announcement announcement, Log log);
    ~Announcer();
    Announcer(const Announcer &) = delete;
    Announcer &operator=(const Announcer &) = delete;

    // Starts announcing; why not when this system cannot. What becomes of
    // it later (announced, a name taken, the daemon gone) goes to the log.
    Status start();
    // The instance name in use (the alternative one after a collision).
    std::string name() const;

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace zz::announce
