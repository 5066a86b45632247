#include "startup/port_listing.h"

#include "common/number_text.h"
#include "link/port_map.h"
#include "startup/port_choice.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

namespace zz::startup {

namespace {

// Between the number and what it leads to: non-breaking spaces, at which the
// box's reading of a number stops ("3   16550A UART" is port 3, where plain
// blanks, which the reading skips, would make it port 316550).
constexpr std::string_view kAfterNumber = "\u00a0\u00a0\u00a0";

std::string comName(int number) {
    return "COM" + common::wholeNumberText(number);
}

bool hasMapEntry(int number) {
    const std::string entry = link::portMapEntry(number);
    return !entry.empty() && link::portDevicePath(number) == entry;
}

// What a map entry leads to now, when it leads to something.
std::optional<std::string> mapTarget(int number) {
    std::error_code error;
    const auto real = std::filesystem::canonical(link::portMapEntry(number), error);
    if (error) return std::nullopt;
    return real.string();
}

std::string deviceName(const std::string &device) {
    const auto slash = device.rfind('/');
    return slash == std::string::npos ? device : device.substr(slash + 1);
}

std::string entryText(int number, const std::string &leadsTo) {
    const std::string text = common::wholeNumberText(number);
    return leadsTo.empty() ? text : text + std::string(kAfterNumber) + leadsTo;
}

std::string entryText(int number, const link::PresentPort &port) {
    const std::string name = deviceName(port.device);
    return entryText(number,
                     port.description.empty() ? name : port.description + " \u2014 " + name);
}

bool listed(const link::PresentPort &port, int number) {
    return std::find(port.ports.begin(), port.ports.end(), number) != port.ports.end();
}

// The map entry's target for a device: its stable name, else its path.
std::string mapTargetFor(const link::PresentPort &port) {
    return port.stableName.empty() ? port.device : port.stableName;
}

}  // namespace

PortListing::PortListing(PortScan scan) : scan_(std::move(scan)) {
    refresh();
}

void PortListing::refresh() {
    const std::vector<link::PresentPort> present = scan_();
    std::map<std::string, int> offeredBefore;
    for (const PortEntry &e : entries_)
        if (e.offered) offeredBefore[e.device->device] = e.number;

    std::vector<PortEntry> entries;
    std::vector<bool> free;
    const std::vector<std::string> numbers = listedPorts();
    for (int n = 1; n <= int(numbers.size()); ++n) {
        PortEntry e{n, numbers[std::size_t(n - 1)], std::nullopt, false};
        const auto found = std::find_if(present.begin(), present.end(),
                                        [n](const link::PresentPort &p) { return listed(p, n); });
        const bool mapped = found == present.end() && hasMapEntry(n);
        if (found != present.end()) {
            e.text = entryText(n, *found);
            e.device = *found;
        } else if (mapped) {
            e.text = entryText(n, mapTarget(n).value_or(""));
        }
        free.push_back(found == present.end() && !mapped);
        entries.push_back(std::move(e));
    }

    const auto offer = [&](const link::PresentPort &port, int n) {
        entries[std::size_t(n - 1)] = {n, entryText(n, port), port, true};
        free[std::size_t(n - 1)] = false;
    };
    std::vector<const link::PresentPort *> unmapped;
    for (const link::PresentPort &port : present)
        if (port.ports.empty()) unmapped.push_back(&port);
    // First the devices that had a number, then the new ones in device order.
    for (const link::PresentPort *&port : unmapped) {
        const auto before = offeredBefore.find(port->device);
        if (before == offeredBefore.end() || !free[std::size_t(before->second - 1)]) continue;
        offer(*port, before->second);
        port = nullptr;
    }
    for (const link::PresentPort *port : unmapped) {
        if (!port) continue;
        const auto next = std::find(free.begin(), free.end(), true);
        if (next == free.end()) break;
        offer(*port, int(next - free.begin()) + 1);
    }
    entries_ = std::move(entries);
    if (shown_) shown_();
}

const PortEntry *PortListing::entry(int number) const {
    if (number < 1 || number > int(entries_.size())) return nullptr;
    return &entries_[std::size_t(number - 1)];
}

std::string portTip(const PortListing &listing, const std::string &boxText) {
    const auto number = portNumber(boxText);
    if (!number || !link::isPortNumber(*number)) return "not a port number";
    const PortEntry *e = listing.entry(*number);
    if (!e || !e->device) return link::describePort(*number);
    const link::PresentPort &port = *e->device;
    std::string tip = e->offered ? comName(*number) + " leads nowhere yet: OK maps it to " +
                                       port.description + ", " + mapTargetFor(port)
                                 : link::describePort(*number) + "\n" + port.description;
    if (!port.mayOpen) tip += "\n" + port.accessProblem;
    if (port.busy) tip += "\nin use by " + (port.holder.empty() ? "another program" : port.holder);
    return tip;
}

std::vector<std::string> deviceFolders() {
    const std::string dev = link::ScanRoots::fromEnvironment().dev;
    return {dev, dev + "/serial", dev + "/serial/by-id", dev + "/serial/by-path"};
}

Status mapOfferedDevice(PortListing &listing, const std::string &boxText) {
    const auto number = portNumber(boxText);
    const PortEntry *e = number ? listing.entry(*number) : nullptr;
    if (!e || !e->offered) return {};
    const link::PresentPort port = *e->device;
    const std::string target = mapTargetFor(port);
    Status status;
    if (!link::devicePathPresent(target))
        status = Status::failure(Status::kFailed,
                                 port.description + " (" + target + ") is not present any more");
    else if (hasMapEntry(*number))
        status = Status::failure(Status::kFailed,
                                 comName(*number) + " was mapped meanwhile: choose again");
    else
        status = link::mapPort(*number, target, false);
    listing.refresh();
    return status;
}

}  // namespace zz::startup
