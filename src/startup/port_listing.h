#pragma once
// What the port box lists beside its numbers "1".."20": the device each
// number leads to now ("3   FT232R USB UART — ttyUSB0"), and the devices
// present that no number leads to, offered under the numbers that lead
// nowhere. Read afresh on request (the drop-down opening, a device coming or
// going); the faces only show it.

#include "common/status.h"
#include "link/port_scan.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zz::startup {

struct PortEntry {
    int number = 0;
    // "3   FT232R USB UART — ttyUSB0", "3   /dev/pts/4" for a map entry that
    // leads to something the scan does not list, or "3" when it leads nowhere.
    std::string text;
    // The port present this number leads to, or is offered for.
    std::optional<link::PresentPort> device;
    // The device has no number yet: confirming this number maps it here.
    bool offered = false;
};

using PortScan = std::function<std::vector<link::PresentPort>()>;

class PortListing {
public:
    // Reads the ports at once: the list as the dialog opens with it.
    explicit PortListing(PortScan scan = [] { return link::scanPorts(); });

    // Reads them again; a device offered before keeps its number while it is
    // present and the number still leads nowhere, so the list does not shift
    // under the operator's eyes.
    void refresh();

    // Called after each refresh, so that a face shows the entries again.
    void onRefresh(std::function<void()> shown) { shown_ = std::move(shown); }

    const std::vector<PortEntry> &entries() const { return entries_; }

    // The listed entry of a port number, or none beyond the list.
    const PortEntry *entry(int number) const;

private:
    PortScan scan_;
    std::vector<PortEntry> entries_;
    std::function<void()> shown_;
};

// The port box's tooltip for its text: where the number leads and, for a
// port present, what it is and why it cannot be opened (the group to join,
// the program that holds it); for an offered device, what confirming does.
std::string portTip(const PortListing &listing, const std::string &boxText);

// The folders whose changes mean that a serial port came or went: /dev and
// the stable names in /dev/serial ($ZZ_DEV_ROOT moves them for tests).
std::vector<std::string> deviceFolders();

// Before the confirm steps: when the box's number is offered for a device,
// that number's map entry is written with the device's stable name (its
// path when it has none). A failure says why; the listing is read again
// either way.
Status mapOfferedDevice(PortListing &listing, const std::string &boxText);

}  // namespace zz::startup
