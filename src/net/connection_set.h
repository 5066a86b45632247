#pragma once
// The connections a listener has let in: each one leaves the set when it
// ends (it calls the `finished` it was made with), and the set can close
// them all. On the network thread only.

#include "net/slot_rule.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zz::net {

template <typename Connection>
class ConnectionSet {
public:
    using Finished = std::function<void(Connection *)>;

    // `make(finished)` builds the connection; it is a member until it calls
    // `finished`.
    template <typename Make>
    std::shared_ptr<Connection> add(Make make) {
        auto connection = make(Finished([this](Connection *gone) {
            std::erase_if(members_, [gone](const auto &member) { return member.get() == gone; });
        }));
        members_.push_back(connection);
        return connection;
    }

    // Every member closed with `why`; each leaves as it ends.
    void closeAll(const std::string &why) {
        const auto members = members_;
        for (const auto &member : members) member->close(why);
    }

    std::size_t size() const { return members_.size(); }
    Connection &at(std::size_t index) { return *members_.at(index); }
    // When each member was last heard from, for the slot rule.
    std::vector<SteadyTime> lastHeard() const {
        std::vector<SteadyTime> heard;
        for (const auto &member : members_) heard.push_back(member->lastHeard());
        return heard;
    }

private:
    std::vector<std::shared_ptr<Connection>> members_;
};

}  // namespace zz::net
