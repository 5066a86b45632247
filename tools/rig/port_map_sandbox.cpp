#include "rig/port_map_sandbox.h"

#include "link/port_map.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace zz::test {

namespace fs = std::filesystem;

PortMapSandbox::PortMapSandbox() {
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid()) return;
    root_ = dir_->path().toStdString();
    if (const char *old = std::getenv("XDG_CONFIG_HOME")) {
        hadOld_ = true;
        old_ = old;
    }
    ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1);
    std::error_code ec;
    fs::create_directories(mapDirectory(), ec);
}

PortMapSandbox::~PortMapSandbox() {
    if (root_.empty()) return;
    if (hadOld_)
        ::setenv("XDG_CONFIG_HOME", old_.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

std::string PortMapSandbox::mapDirectory() const {
    return root_.empty() ? std::string()
                         : portMapDirectory();  // under the $XDG_CONFIG_HOME set here
}

bool PortMapSandbox::map(int port, const std::string &target) {
    unmap(port);
    std::error_code ec;
    fs::create_symlink(target, mapDirectory() + "/com" + std::to_string(port), ec);
    return !ec;
}

void PortMapSandbox::unmap(int port) {
    std::error_code ec;
    fs::remove(mapDirectory() + "/com" + std::to_string(port), ec);
}

}  // namespace zz::test
