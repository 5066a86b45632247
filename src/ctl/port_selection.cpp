#include "ctl/port_selection.h"

#include "link/port_map.h"
#include "startup/settings/stored_port.h"

#include <charconv>

namespace zz {

namespace {

constexpr int kUsage = 2;

Status usage(std::string text) {
    return Status::failure(kUsage, std::move(text));
}

}  // namespace

Status selectPort(const PortRequest &o, SerialControl &control) {
    if (o.port && o.device) return usage("give --port or --device, not both");
    if (o.device) {
        if (o.device->empty()) return usage("--device: no path given");
        return control.setDevicePath(*o.device);
    }
    if (o.port) {
        int port = 0;
        const std::string &text = *o.port;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
        if (error != std::errc{} || end != text.data() + text.size() || port < kMinPort ||
            port > kMaxPort)
            return usage("--port: \"" + text + "\" is not a port number from 1 to 255");
        return control.setPort(port);
    }
    // Only an existing settings file is read: the panel creates a missing
    // one, a script run in some directory should not.
    const SettingsFileCheck check = checkSettingsFile();
    if (check.exists) {
        const StoredPort stored = readStoredPort();
        if (!stored.status) return usage(stored.status.text());
        if (stored.port >= kMinPort && stored.port <= kMaxPort) return control.setPort(stored.port);
        if (stored.port != 0)
            return usage(settingsPath() + ": port " + std::to_string(stored.port) +
                         " is not a port number from 1 to 255");
    }
    return usage("no port given: use --port N");
}

std::string describeSelection(const PortRequest &o, const SerialControl &control) {
    if (o.device) return control.devicePath();
    return describePort(control.port());
}

}  // namespace zz
