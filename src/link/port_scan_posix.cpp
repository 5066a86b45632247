// The ports present on Linux, from sysfs: each /sys/class/tty entry with a
// `device` link, judged by the subsystem of that device.
#include "link/known_adapters.h"
#include "link/port_access_posix.h"
#include "link/port_map.h"
#include "link/port_scan.h"
#include "link/sysfs_posix.h"
#include "link/sysfs_text.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <map>

namespace zz::link {
namespace {

using namespace sysfs;

// Bounds against hostile trees; real machines have a few dozen ttys.
constexpr std::size_t kMaxTtys = 4096;
constexpr std::size_t kMaxLinks = 1024;
constexpr std::size_t kMaxMapEntries = 1024;
constexpr int kMaxSerialBaseHops = 4;

std::string attribute(const std::string &folder, const char *name) {
    return readAttribute(folder + "/" + name).value_or("");
}

// The serial core's names for the UART kinds it detects (`type`).
std::string uartName(unsigned long type) {
    switch (type) {
        case 1:
            return "8250 UART";
        case 2:
            return "16450 UART";
        case 3:
            return "16550 UART";
        case 4:
            return "16550A UART";
        case 11:
            return "NS16550A UART";
        default:
            return "UART";
    }
}

// A UART on the serial core is real when the driver found a chip there:
// `type` 0 is PORT_UNKNOWN, which is what the phantom ttyS1..ttyS31 that
// serial8250 registers for absent legacy ports show (with `port` 0 too).
std::optional<std::string> realUart(const std::string &ttyFolder) {
    const auto type = number(attribute(ttyFolder, "type"));
    if (!type || *type == 0) return std::nullopt;
    std::string text = uartName(*type);
    const std::string port = attribute(ttyFolder, "port");
    const std::string iomem = attribute(ttyFolder, "iomem_base");
    if (const auto io = number(port); io && *io != 0)
        text += " at " + port;
    else if (const auto mem = number(iomem); mem && *mem != 0)
        text += " at " + iomem;
    return text;
}

void readUsbDevice(const std::string &usbDevice, PresentPort &port) {
    port.vendorId = hexId(attribute(usbDevice, "idVendor"));
    port.productId = hexId(attribute(usbDevice, "idProduct"));
    port.manufacturer = attribute(usbDevice, "manufacturer");
    port.serial = attribute(usbDevice, "serial");
    port.description = attribute(usbDevice, "product");
    if (port.description.empty() && port.vendorId && port.productId)
        port.description = knownAdapterName(*port.vendorId, *port.productId);
    if (port.description.empty())
        port.description =
            port.manufacturer.empty() ? "USB serial port" : port.manufacturer + " USB serial port";
}

void addInterface(const std::string &interface, PresentPort &port) {
    // A second port of a dual adapter says which one it is.
    if (const auto n = number(attribute(interface, "bInterfaceNumber")); n && *n != 0)
        port.description += " (interface " + std::to_string(*n) + ")";
}

// Fills what the device folder says; false when the entry is left out.
bool describe(const std::string &ttyFolder, PresentPort &port) {
    auto device = realPath(ttyFolder + "/device");
    if (!device) return false;
    std::string subsystem = subsystemOf(*device);
    // Since Linux 6.5 a UART's tty hangs off a serial-base port device below
    // its controller (pnp, platform, pci).
    for (int hop = 0; subsystem.starts_with("serial-base") && hop < kMaxSerialBaseHops; ++hop) {
        *device = parentOf(*device);
        subsystem = subsystemOf(*device);
    }
    port.kind = subsystem;
    if (subsystem == "usb-serial") {
        const std::string interface = parentOf(*device);
        readUsbDevice(parentOf(interface), port);
        addInterface(interface, port);
        return true;
    }
    if (subsystem == "usb") {  // CDC-ACM: the tty's device is the interface
        readUsbDevice(parentOf(*device), port);
        addInterface(*device, port);
        return true;
    }
    if (subsystem == "pnp" || subsystem == "pci" || subsystem == "platform" ||
        subsystem == "acpi") {
        const auto uart = realUart(ttyFolder);
        if (!uart) return false;
        port.description = *uart;
        return true;
    }
    if (subsystem.empty()) return false;
    port.description = subsystem + " serial port";
    return true;
}

// ttyS2 before ttyS10: the name's letters, then its number.
bool naturalLess(const std::string &a, const std::string &b) {
    const auto split = [](const std::string &s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
        unsigned long n = 0;
        std::from_chars(s.data() + digits, s.data() + s.size(), n);
        return std::pair(s.substr(0, digits), n);
    };
    const auto pa = split(a), pb = split(b);
    return pa != pb ? pa < pb : a < b;
}

// Each real device with the links in /dev/serial that lead to it.
std::map<std::string, std::vector<std::string>> stableLinks(const ScanRoots &roots) {
    std::map<std::string, std::vector<std::string>> links;
    for (const char *kind : {"by-id", "by-path"}) {
        const std::string folder = roots.dev + "/serial/" + kind;
        std::vector<std::string> names = directoryNames(folder, kMaxLinks);
        std::sort(names.begin(), names.end());
        for (const std::string &name : names)
            if (const auto real = realPath(folder + "/" + name))
                links[*real].push_back(folder + "/" + name);
    }
    return links;
}

// Each real device with the port numbers that lead to it, and every number
// that has an entry (a dangling one too: the port opens through it).
struct PortMapView {
    std::map<std::string, std::vector<int>> byDevice;
    std::vector<int> numbers;
};

PortMapView readPortMap() {
    PortMapView view;
    const std::string folder = portMapDirectory();
    for (const std::string &name : directoryNames(folder, kMaxMapEntries)) {
        int n = 0;
        if (!name.starts_with("com")) continue;
        const auto [end, error] = std::from_chars(name.data() + 3, name.data() + name.size(), n);
        if (error != std::errc{} || end != name.data() + name.size() || !isPortNumber(n) ||
            name != "com" + std::to_string(n))
            continue;
        view.numbers.push_back(n);
        if (const auto real = realPath(folder + "/" + name)) view.byDevice[*real].push_back(n);
    }
    return view;
}

// Port n without a map entry is /dev/ttyS<n-1>.
std::optional<int> defaultPort(const std::string &ttyName) {
    if (!ttyName.starts_with("ttyS")) return std::nullopt;
    int k = -1;
    const auto [end, error] =
        std::from_chars(ttyName.data() + 4, ttyName.data() + ttyName.size(), k);
    if (error != std::errc{} || end != ttyName.data() + ttyName.size() || !isPortNumber(k + 1) ||
        ttyName != "ttyS" + std::to_string(k))
        return std::nullopt;
    return k + 1;
}

bool plainName(const std::string &name) {
    return !name.empty() && name[0] != '.' && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.';
    });
}

}  // namespace

std::vector<PresentPort> scanPorts(const ScanRoots &roots) {
    const std::string classFolder = roots.sysfs + "/class/tty";
    std::vector<std::string> names = directoryNames(classFolder, kMaxTtys);
    std::sort(names.begin(), names.end(), naturalLess);
    const auto links = stableLinks(roots);
    const PortMapView map = readPortMap();

    std::vector<PresentPort> ports;
    for (const std::string &name : names) {
        // A device name is shown and used as a path: nothing odd in it.
        if (!plainName(name)) continue;
        PresentPort port;
        const std::string ttyFolder = classFolder + "/" + name;
        if (!describe(ttyFolder, port)) continue;
        // Gone while it was read: leave it out rather than show half of it.
        if (::access((ttyFolder + "/device").c_str(), F_OK) != 0) continue;
        port.device = roots.dev + "/" + name;
        const std::string real = realPath(port.device).value_or(port.device);
        if (const auto found = links.find(real); found != links.end()) {
            port.stableNames = found->second;
            port.stableName = port.stableNames.front();
        }
        if (const auto found = map.byDevice.find(real); found != map.byDevice.end())
            port.ports = found->second;
        if (const auto n = defaultPort(name);
            n && std::find(map.numbers.begin(), map.numbers.end(), *n) == map.numbers.end())
            port.ports.push_back(*n);
        std::sort(port.ports.begin(), port.ports.end());
        ports.push_back(std::move(port));
    }
    checkAccess(ports);
    return ports;
}

std::optional<std::string> stableNamePath(const std::string &name, const ScanRoots &roots) {
    // One name inside the folders, never a path that leads out of them.
    if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return std::nullopt;
    for (const char *kind : {"by-id", "by-path"}) {
        const std::string path = roots.dev + "/serial/" + kind + "/" + name;
        if (realPath(path)) return path;
    }
    return std::nullopt;
}

}  // namespace zz::link
