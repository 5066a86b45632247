#pragma once
// Another program on a port, as far as the link can tell: it holds the device
// with flock until released.

#include <string>

namespace zz::rig {

class PortHolder {
public:
    explicit PortHolder(const std::string &path);
    ~PortHolder() { release(); }
    PortHolder(const PortHolder &) = delete;
    PortHolder &operator=(const PortHolder &) = delete;

    bool ok() const { return held_; }
    void release();

private:
    int fd_ = -1;
    bool held_ = false;
};

// Whether another program could take the port now: nobody holds a flock on
// it and exclusive mode is off.
bool portIsFree(const std::string &path);

}  // namespace zz::rig
