#include "link/device_ids.h"

#include "link/port_map.h"
#include "link/sysfs_text.h"

#include <charconv>

namespace zz::link {
namespace {

std::optional<std::uint16_t> fourHex(std::string_view id, std::string_view key) {
    const auto at = id.find(key);
    if (at == std::string_view::npos || id.size() < at + key.size() + 4) return std::nullopt;
    return sysfs::hexId(id.substr(at + key.size(), 4));
}

}  // namespace

DeviceIds readDeviceIds(std::string_view id) {
    DeviceIds ids;
    ids.vendorId = fourHex(id, "VID_");
    ids.productId = fourHex(id, "PID_");
    if (!ids.vendorId || !ids.productId) return ids;
    // USB\VID_xxxx&PID_xxxx\SERIAL: the last part is the device's serial,
    // unless it holds '&' (Windows' own id for a device without one).
    if (id.starts_with("USB\\")) {
        const auto last = id.rfind('\\');
        const std::string_view tail = id.substr(last + 1);
        if (last > 4 && tail.find('&') == std::string_view::npos && !tail.empty())
            ids.serial = sysfs::attributeText(tail);
    } else if (const auto plus = id.find('+', id.find("PID_")); plus != std::string_view::npos) {
        // FTDI's own driver: "+SERIAL" then one letter for the port (A, B, ...).
        std::string_view tail = id.substr(plus + 1);
        tail = tail.substr(0, tail.find('\\'));
        if (tail.size() > 1) ids.serial = sysfs::attributeText(tail.substr(0, tail.size() - 1));
    }
    return ids;
}

std::optional<int> comPortNumber(std::string_view name) {
    if (name.size() < 4 || !(name.starts_with("COM") || name.starts_with("com")))
        return std::nullopt;
    int n = 0;
    const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), n);
    if (error != std::errc{} || end != name.data() + name.size() || !isPortNumber(n) ||
        name[3] == '0')
        return std::nullopt;
    return n;
}

}  // namespace zz::link
