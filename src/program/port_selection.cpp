#include "program/port_selection.h"

#include "link/port_map.h"
#include "link/port_scan.h"
#include "program/stored_port.h"

#include <charconv>

namespace zz::program {

namespace {

constexpr int kUsage = 2;

Status usage(std::string text) {
    return Status::failure(kUsage, std::move(text));
}

}  // namespace

Status selectPort(const PortRequest &o, link::SerialControl &control) {
    if (o.port && o.device) return usage("give --port or --device, not both");
    if (o.device) {
        if (o.device->empty()) return usage("--device: no path given");
        // A bare name may be a stable name from /dev/serial/by-id or by-path.
        if (const auto stable = link::stableNamePath(*o.device, link::ScanRoots::fromEnvironment()))
            return control.setDevicePath(*stable);
        return control.setDevicePath(*o.device);
    }
    if (o.port) {
        const std::optional<int> port = readPortNumber(*o.port);
        if (!port) return usage("--port: \"" + *o.port + "\" is not a port number from 1 to 255");
        return control.setPort(*port);
    }
    // Only an existing settings file is read: the panel creates a missing
    // one, a script run in some directory should not.
    const SettingsFileCheck check = checkSettingsFile();
    if (check.exists) {
        const StoredPort stored = readStoredPort();
        if (!stored.status) return usage(stored.status.text());
        if (link::isPortNumber(stored.port)) return control.setPort(stored.port);
        if (stored.port != 0)
            return usage(settingsPath() + ": port " + std::to_string(stored.port) +
                         " is not a port number from 1 to 255");
    }
    return usage("no port given: use --port N");
}

std::optional<int> readPortNumber(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc{} || end != text.data() + text.size() || !link::isPortNumber(port))
        return std::nullopt;
    return port;
}

std::string describeSelection(const PortRequest &o, const link::SerialControl &control) {
    if (o.device) return control.devicePath();
    return link::describePort(control.port());
}

}  // namespace zz::program
