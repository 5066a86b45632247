#pragma once
// The machine the serial port figures are taken on: a fake sysfs tree of 32
// ports (24 USB adapters, 4 CDC-ACM boards, 4 UARTs) with their /dev/serial
// links, and 8 of them mapped as ports 1 to 8.

#include "rig/fake_serial_tree.h"
#include "rig/port_map_sandbox.h"

#include <string>

namespace zz::bench {

inline void addThirtyTwoPorts(rig::FakeSerialTree &tree, rig::PortMapSandbox &sandbox) {
    for (int i = 0; i < 24; ++i) {
        const std::string n = std::to_string(i);
        tree.addUsb({"ttyUSB" + n, "1-" + std::to_string(i + 1), "0403", "6001", "FTDI",
                     "FT232R USB UART", "A600" + n, 0,
                     "usb-FTDI_FT232R_USB_UART_A600" + n + "-if00-port0"});
    }
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        tree.addUsb({"ttyACM" + n, "2-" + std::to_string(i + 1), "2341", "0043", "Arduino",
                     "Arduino Uno", "8573632383835" + n, 0, "usb-Arduino_Uno_" + n + "-if00"});
        tree.addUart("ttyS" + n, "pnp", "4", "0x03F8");
    }
    for (int port = 1; port <= 8; ++port)
        sandbox.map(port, tree.dev() + "/ttyUSB" + std::to_string(port - 1));
}

}  // namespace zz::bench
