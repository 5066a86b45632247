// The scan of the serial ports present: a fake sysfs tree of 32 ports (24
// USB adapters, 4 CDC-ACM boards, 4 UARTs, with their /dev/serial links and
// 8 port map entries) scanned whole, the median and the slowest of the runs;
// beside it the floor, the same attribute files read bare with no judgement,
// and on this machine's own /sys the scan beside pyserial's
// serial.tools.list_ports (Debian's python3-serial), in-process both.
//
//   port_scan_bench [runs]      (default 200)

#include "bench_serial_tree.h"
#include "link/port_scan.h"
#include "link/sysfs_posix.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace std::chrono;
using zz::rig::FakeSerialTree;

namespace {

struct Figures {
    double median = 0, slowest = 0;  // ms
};

Figures time(int runs, const std::function<void()> &work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto start = steady_clock::now();
        work();
        ms.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// Every file the scan reads, read without judging anything.
void bareReads(const std::string &sysfs) {
    using namespace zz::link::sysfs;
    const std::string folder = sysfs + "/class/tty";
    for (const std::string &name : directoryNames(folder, 4096)) {
        const auto device = realPath(folder + "/" + name + "/device");
        if (!device) continue;
        (void)realPath(*device + "/subsystem");
        for (const char *file : {"type", "port"})
            (void)readBounded(folder + "/" + name + "/" + file);
        const std::string usb = parentOf(parentOf(*device));
        for (const char *file : {"idVendor", "idProduct", "manufacturer", "product", "serial"})
            (void)readBounded(usb + "/" + file);
    }
}

}  // namespace

int main(int argc, char **argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
    std::size_t found = 0;
    {
        FakeSerialTree tree;
        zz::rig::PortMapSandbox sandbox;
        if (!tree.ok() || !sandbox.ok()) {
            std::fprintf(stderr, "port_scan_bench: no temporary tree\n");
            return 1;
        }
        zz::bench::addThirtyTwoPorts(tree, sandbox);
        const auto roots = tree.roots();
        const Figures scan = time(runs, [&] { found = zz::link::scanPorts(roots).size(); });
        const Figures bare = time(runs, [&] { bareReads(roots.sysfs); });
        std::printf("Serial port scan, a tree of 32 ports (%zu listed), %d runs:\n", found, runs);
        std::printf("  scanPorts:           median %.2f ms, slowest %.2f ms (target < 20 ms)\n",
                    scan.median, scan.slowest);
        std::printf("  the same files bare: median %.2f ms, slowest %.2f ms\n", bare.median,
                    bare.slowest);
    }
    const Figures own = time(runs, [&] { found = zz::link::scanPorts({}).size(); });
    std::printf("This machine's /sys (%zu ports):\n  scanPorts:           median %.3f ms\n", found,
                own.median);
    const std::string python =
        "/usr/bin/python3 -c 'import timeit, serial.tools.list_ports as l; "
        "t = sorted(timeit.repeat(l.comports, number=1, repeat=" +
        std::to_string(runs) +
        ")); print(\"  pyserial list_ports: median %.3f ms\" % (t[len(t) // 2] * 1000))' "
        "2>/dev/null || echo '  (no python3-serial: no pyserial figure)'";
    std::fflush(stdout);
    return std::system(python.c_str()) == 0 ? 0 : 1;
}
