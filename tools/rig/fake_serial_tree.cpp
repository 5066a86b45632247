#include "rig/fake_serial_tree.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace zz::rig {
namespace {

constexpr const char *kUsbController = "/devices/pci0000:00/0000:00:14.0/usb1";

void makeSubsystem(const std::string &sysfs, const std::string &folder, const std::string &name) {
    fs::create_directories(sysfs + "/bus/" + name);
    FakeSerialTree::symlink(sysfs + "/bus/" + name, folder + "/subsystem");
}

}  // namespace

FakeSerialTree::FakeSerialTree() {
    std::string pattern = (fs::temp_directory_path() / "zz-serial-tree-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) return;
    root_ = pattern;
    fs::create_directories(sysfs() + "/class/tty");
    fs::create_directories(dev() + "/serial/by-id");
    fs::create_directories(dev() + "/serial/by-path");
    sysfsRoot_ = std::make_unique<EnvOverride>("ZZ_SYSFS_ROOT", sysfs().c_str());
    devRoot_ = std::make_unique<EnvOverride>("ZZ_DEV_ROOT", dev().c_str());
}

FakeSerialTree::~FakeSerialTree() {
    sysfsRoot_.reset();
    devRoot_.reset();
    std::error_code ignored;
    if (!root_.empty()) fs::remove_all(root_, ignored);
}

void FakeSerialTree::write(const std::string &path, const std::string &bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

void FakeSerialTree::symlink(const std::string &target, const std::string &path) {
    std::error_code ignored;
    fs::remove(path, ignored);
    fs::create_symlink(target, path, ignored);
}

std::string FakeSerialTree::ttyFolder(const std::string &tty) const {
    std::error_code ignored;
    return fs::read_symlink(sysfs() + "/class/tty/" + tty, ignored).string();
}

void FakeSerialTree::addTty(const std::string &tty, const std::string &folder,
                            const std::string &device) {
    fs::create_directories(folder);
    symlink(device, folder + "/device");
    write(folder + "/dev", "188:0\n");
    symlink(folder, sysfs() + "/class/tty/" + tty);
    write(dev() + "/" + tty, "");
    ::chmod((dev() + "/" + tty).c_str(), 0660);
}

void FakeSerialTree::addUsb(const FakeUsbPort &p) {
    const std::string device = sysfs() + kUsbController + "/" + p.usbPath;
    const std::string interface = device + "/" + p.usbPath + ":1." + std::to_string(p.interface);
    fs::create_directories(interface);
    makeSubsystem(sysfs(), device, "usb");
    makeSubsystem(sysfs(), interface, "usb");
    write(device + "/idVendor", p.vendor + "\n");
    write(device + "/idProduct", p.productId + "\n");
    if (!p.manufacturer.empty()) write(device + "/manufacturer", p.manufacturer + "\n");
    if (!p.product.empty()) write(device + "/product", p.product + "\n");
    if (!p.serial.empty()) write(device + "/serial", p.serial + "\n");
    write(interface + "/bInterfaceNumber", "0" + std::to_string(p.interface) + "\n");
    if (p.tty.starts_with("ttyUSB")) {
        const std::string port = interface + "/" + p.tty;
        fs::create_directories(port);
        makeSubsystem(sysfs(), port, "usb-serial");
        addTty(p.tty, port + "/tty/" + p.tty, port);
    } else {
        addTty(p.tty, interface + "/tty/" + p.tty, interface);
    }
    if (!p.byId.empty()) symlink("../../" + p.tty, dev() + "/serial/by-id/" + p.byId);
    const std::string port = p.tty.starts_with("ttyUSB") ? "-port0" : "";
    symlink("../../" + p.tty, dev() + "/serial/by-path/pci-0000:00:14.0-usb-0:" +
                                  p.usbPath.substr(2) + ":1." + std::to_string(p.interface) + port);
}

void FakeSerialTree::addUart(const std::string &tty, const std::string &subsystem,
                             const std::string &type, const std::string &port, bool serialBase) {
    const std::string controller = subsystem == "platform"
                                       ? sysfs() + "/devices/platform/serial8250"
                                       : sysfs() + "/devices/pnp0/00:0" + tty.substr(4);
    fs::create_directories(controller);
    makeSubsystem(sysfs(), controller, subsystem);
    std::string device = controller;
    if (serialBase) {
        device = controller + "/" + fs::path(controller).filename().string() + ":0/" +
                 fs::path(controller).filename().string() + ":0.0";
        fs::create_directories(device);
        makeSubsystem(sysfs(), device, "serial-base");
        makeSubsystem(sysfs(), fs::path(device).parent_path().string(), "serial-base");
    }
    const std::string folder = device + "/tty/" + tty;
    addTty(tty, folder, device);
    write(folder + "/type", type + "\n");
    write(folder + "/port", port + "\n");
    write(folder + "/iomem_base", "0x0\n");
    write(folder + "/irq", "4\n");
}

void FakeSerialTree::remove(const std::string &tty) {
    std::error_code ignored;
    const std::string folder = ttyFolder(tty);
    fs::remove(sysfs() + "/class/tty/" + tty, ignored);
    if (!folder.empty()) fs::remove_all(folder, ignored);
    fs::remove(dev() + "/" + tty, ignored);
}

}  // namespace zz::rig
