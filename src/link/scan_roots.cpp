#include "link/port_scan.h"

#include <cstdlib>

namespace zz::link {

ScanRoots ScanRoots::fromEnvironment() {
    ScanRoots roots;
    // Only absolute roots count: a relative one would depend on the current folder.
    if (const char *sysfs = std::getenv("ZZ_SYSFS_ROOT"); sysfs && sysfs[0] == '/')
        roots.sysfs = sysfs;
    if (const char *dev = std::getenv("ZZ_DEV_ROOT"); dev && dev[0] == '/') roots.dev = dev;
    return roots;
}

std::vector<PresentPort> scanPorts() {
    return scanPorts(ScanRoots::fromEnvironment());
}

}  // namespace zz::link
