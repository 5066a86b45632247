#include "ports_command.h"

#include "link/port_map.h"
#include "link/port_scan.h"
#include "ports_report.h"
#include "program/port_selection.h"
#include "session.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zz::ctl {
namespace {

int fail(int status, const std::string &text) {
    std::fprintf(stderr, "6175ZIZ-ctl: %s\n", text.c_str());
    return status;
}

#ifndef _WIN32
std::string realOrSelf(const std::string &path) {
    char *real = ::realpath(path.c_str(), nullptr);
    if (!real) return path;
    std::string text = real;
    std::free(real);
    return text;
}

// What the map entry should hold for DEVICE: the stable name of the port
// present that DEVICE names (its device, one of its stable names, or the
// last part of either: "ttyUSB0"), else DEVICE itself when it is a path that exists.
Outcome<std::string> mapTarget(const std::string &device,
                               const std::vector<link::PresentPort> &ports) {
    const std::string real = realOrSelf(device);
    for (const auto &port : ports) {
        bool names = port.device == device || realOrSelf(port.device) == real ||
                     port.device.substr(port.device.rfind('/') + 1) == device;
        for (const auto &stable : port.stableNames)
            names = names || stable == device || stable.substr(stable.rfind('/') + 1) == device;
        if (names) return port.stableName.empty() ? port.device : port.stableName;
    }
    if (const auto stable = link::stableNamePath(device, link::ScanRoots::fromEnvironment()))
        return *stable;
    if (device.starts_with("/") && link::devicePathPresent(device)) return device;
    return Outcome<std::string>::failure("no device \"" + device +
                                         "\" present; 6175ZIZ-ctl ports lists those that are");
}
#endif

int mapPort(const Options &options, const std::vector<link::PresentPort> &ports) {
    const auto port = program::readPortNumber(*options.map);
    if (!port)
        return fail(kExitUsage,
                    "--map: \"" + *options.map + "\" is not a port number from 1 to 255");
    if (options.operands.size() != 1)
        return fail(kExitUsage, "ports --map N DEVICE: give one device");
#ifdef _WIN32
    (void)ports;
    return fail(kExitUsage, link::mapPort(*port, options.operands[0], options.force).text());
#else
    const auto target = mapTarget(options.operands[0], ports);
    if (!target) return fail(kExitUsage, target.error());
    if (const Status written = link::mapPort(*port, target.value(), options.force); !written)
        return fail(written.number() > 0 ? kExitLinkFailed : kExitUsage, written.text());
    std::printf("%s\n", link::describePort(*port).c_str());
    return kExitSent;
#endif
}

}  // namespace

int runPorts(const Options &options) {
    if (options.port || options.device)
        return fail(kExitUsage, "ports takes no --port or --device: it lists them all");
    // Options of the other commands would be ignored here, which hides a mistake.
    const Options &o = options;
    if (o.step || o.perDecade || o.dwell || o.repeat || o.type || o.rtd || o.ntc || o.r25 ||
        o.beta || o.steinhart || o.finalValue || o.logPath || o.dryRun || o.realtime || o.quiet)
        return fail(kExitUsage, "ports takes only --json, --map and --force");
    if (o.force && !o.map) return fail(kExitUsage, "--force is for ports --map");
    const std::vector<link::PresentPort> ports = link::scanPorts();
    if (options.map) return mapPort(options, ports);
    if (!options.operands.empty())
        return fail(kExitUsage, "ports: unexpected \"" + options.operands[0] + "\"");
    const std::string text = options.json ? portsJson(ports) : portsTable(ports);
    std::fputs(text.c_str(), stdout);
    return kExitSent;
}

}  // namespace zz::ctl
