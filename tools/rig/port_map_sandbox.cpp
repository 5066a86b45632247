#include "rig/port_map_sandbox.h"

#include "link/port_map.h"

#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

namespace zz::rig {

namespace fs = std::filesystem;

PortMapSandbox::PortMapSandbox() {
    dir_ = std::make_unique<QTemporaryDir>();
    if (!dir_->isValid()) return;
    root_ = dir_->path().toStdString();
    configHome_ = std::make_unique<EnvOverride>("XDG_CONFIG_HOME", root_.c_str());
    std::error_code ec;
    fs::create_directories(mapDirectory(), ec);
    // The last-command records too: a pseudo-terminal's number is soon used
    // again, and an older test's record must not meet a newer one.
    const std::string runtime = runtimeDirectory();
    fs::create_directory(runtime, ec);
    fs::permissions(runtime, fs::perms::owner_all, ec);
    runtimeDir_ = std::make_unique<EnvOverride>("XDG_RUNTIME_DIR", runtime.c_str());
}

PortMapSandbox::~PortMapSandbox() = default;

std::string PortMapSandbox::runtimeDirectory() const {
    return root_.empty() ? std::string() : root_ + "/runtime";
}

std::string PortMapSandbox::mapDirectory() const {
    return root_.empty() ? std::string()
                         : link::portMapDirectory();  // under the $XDG_CONFIG_HOME set here
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

}  // namespace zz::rig
