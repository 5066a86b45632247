#include "server/port_description.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace zz::server {

namespace {

// The device a path leads to: the port map's and /dev/serial's links
// followed; "COM3" for "\\.\COM3".
std::string deviceOf(const std::string &path) {
    std::error_code error;
    const auto real = std::filesystem::canonical(path, error);
    std::string text = error ? path : real.string();
    if (text.rfind("\\\\.\\", 0) == 0) text = text.substr(4);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}

std::string hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

}  // namespace

std::string portDescription(const std::string &devicePath,
                            const std::vector<link::PresentPort> &present) {
    const std::string wanted = deviceOf(devicePath);
    for (const auto &port : present) {
        if (deviceOf(port.device) != wanted) continue;
        std::string details = port.device;
        if (port.vendorId && port.productId)
            details += ", " + hex4(*port.vendorId) + ":" + hex4(*port.productId);
        if (!port.serial.empty()) details += ", serial " + port.serial;
        return (port.description.empty() ? std::string("serial port") : port.description) + " (" +
               details + ")";
    }
    return {};
}

std::string portDescription(const std::string &devicePath) {
    return portDescription(devicePath, link::scanPorts());
}

}  // namespace zz::server
