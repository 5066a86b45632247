#include "rig/port_holder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace zz::rig {

PortHolder::PortHolder(const std::string &path)
    : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {
    held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) == 0;
}

void PortHolder::release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    held_ = false;
}

bool portIsFree(const std::string &path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    int exclusive = 1;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
                      ::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive == 0;
    ::close(fd);
    return free;
}

}  // namespace zz::rig
