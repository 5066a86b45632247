#include "program/profile_location.h"

#include "link/port_map.h"
#include "profile/profile_file.h"

#include <filesystem>
#include <system_error>

namespace zz::program {

namespace {

// The lowest port number that leads to the same device as `devicePath` now
// (links followed), so that a box named by its device keeps the profile of
// its port; nothing when none does.
std::optional<int> portLeadingTo(const std::string &devicePath) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::path device = fs::canonical(devicePath, error);
    if (error) return std::nullopt;
    for (int port = link::kMinPort; port <= link::kMaxPort; ++port) {
        const fs::path leadsTo = fs::canonical(link::portDevicePath(port), error);
        if (!error && leadsTo == device) return port;
    }
    return std::nullopt;
}

}  // namespace

std::string profilePathFor(const PortRequest &request, const link::SerialControl &control) {
    const std::string folder = link::programConfigDirectory();
    if (!request.device)
        return profile::profilePath(folder, profile::portProfileName(control.port()));
    // A device is named by the path chosen (a bare stable name after it was
    // found), so a stable name keeps its profile across replugging; without
    // a file of its own, the profile of the port that leads to it applies.
    const std::string own =
        profile::profilePath(folder, profile::deviceProfileName(control.devicePath()));
    std::error_code error;
    if (std::filesystem::exists(own, error)) return own;
    if (const auto port = portLeadingTo(control.devicePath()))
        return profile::profilePath(folder, profile::portProfileName(*port));
    return own;
}

}  // namespace zz::program
