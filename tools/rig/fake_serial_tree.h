#pragma once
// A sysfs tree and a /dev of serial ports in a temporary folder, shaped as
// the kernel and udev lay them out, with $ZZ_SYSFS_ROOT and $ZZ_DEV_ROOT
// pointing at them while the tree lives.
//
//   zz::rig::FakeSerialTree tree;
//   tree.addUsb({.tty = "ttyUSB0", .vendor = "0403", .product = "6001", ...});

#include "link/port_scan.h"
#include "rig/environment.h"

#include <memory>
#include <string>

namespace zz::rig {

struct FakeUsbPort {
    std::string tty;      // "ttyUSB0" (usb-serial) or "ttyACM0" (CDC-ACM)
    std::string usbPath;  // "1-2": the USB device's place, also in by-path
    std::string vendor, productId;
    std::string manufacturer, product, serial;  // empty: no such file
    int interface = 0;
    std::string byId;  // the by-id link's name, empty: none
};

class FakeSerialTree {
public:
    FakeSerialTree();  // check ok()
    ~FakeSerialTree();
    FakeSerialTree(const FakeSerialTree &) = delete;
    FakeSerialTree &operator=(const FakeSerialTree &) = delete;

    bool ok() const { return !root_.empty(); }
    const std::string &root() const { return root_; }
    std::string sysfs() const { return root_ + "/sys"; }
    std::string dev() const { return root_ + "/dev"; }
    link::ScanRoots roots() const { return {sysfs(), dev()}; }

    // A USB adapter: usb-serial for ttyUSB*, CDC-ACM (subsystem usb) otherwise.
    void addUsb(const FakeUsbPort &port);
    // A UART of the serial core under a pnp, platform or pci device;
    // `serialBase` hangs it below a serial-base port device (Linux 6.5 on).
    void addUart(const std::string &tty, const std::string &subsystem, const std::string &type,
                 const std::string &port, bool serialBase = false);
    // The tty's folder, for a test to spoil.
    std::string ttyFolder(const std::string &tty) const;
    void remove(const std::string &tty);

    // Helpers for the spoiling: a file with these bytes, a symbolic link.
    static void write(const std::string &path, const std::string &bytes);
    static void symlink(const std::string &target, const std::string &path);

private:
    void addTty(const std::string &tty, const std::string &folder, const std::string &device);
    std::string root_;
    std::unique_ptr<EnvOverride> sysfsRoot_, devRoot_;
};

}  // namespace zz::rig
