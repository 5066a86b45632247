#pragma once
// The serial ports present on this machine now, each named as people know
// it: its device, a stable name that survives replugging, what it is ("FT232R
// USB UART"), which port numbers lead to it, and whether this user may open
// it and another program holds it. Nothing is opened.
//
// Linux reads sysfs (/sys/class/tty) and the links in /dev/serial; Windows
// reads SetupAPI's Ports class and HARDWARE\DEVICEMAP\SERIALCOMM.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zz::link {

struct PresentPort {
    std::string device;                    // "/dev/ttyUSB0", "COM3"
    std::string stableName;                // the best of stableNames, or empty
    std::vector<std::string> stableNames;  // by-id links first, then by-path
    std::string description;               // "FT232R USB UART", "16550A UART"
    std::string manufacturer;              // where the device says
    std::string kind;                      // "usb-serial", "usb", "pnp", "pci", "platform", ...
    std::optional<std::uint16_t> vendorId, productId;
    std::string serial;
    std::vector<int> ports;  // the port numbers that lead to it now
    bool mayOpen = true;
    std::string accessProblem;  // why not, with the fix
    bool busy = false;
    std::string holder;  // who holds it: "minicom (pid 1234)", or empty when unknown
};

// Where the scan looks; tests move both ($ZZ_SYSFS_ROOT, $ZZ_DEV_ROOT).
struct ScanRoots {
    std::string sysfs = "/sys";
    std::string dev = "/dev";
    static ScanRoots fromEnvironment();
};

// Every port present, in the order of their device names (ttyS2 before
// ttyS10). An entry that cannot be read whole, or vanishes while it is read,
// is left out: the list gets shorter, the scan never fails.
std::vector<PresentPort> scanPorts(const ScanRoots &roots);
std::vector<PresentPort> scanPorts();

// The device path of a stable name: "usb-FTDI_..._A6008isP-if00-port0" in
// /dev/serial/by-id or "pci-0000:00:14.0-usb-0:2:1.0-port0" in by-path, or
// nothing when it names no link there. Windows: nothing.
std::optional<std::string> stableNamePath(const std::string &name, const ScanRoots &roots);

}  // namespace zz::link
