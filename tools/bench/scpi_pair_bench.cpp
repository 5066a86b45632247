// Two builds of the network server side by side, both running at once, their
// samples taken in turns so that whatever else loads the machine falls on
// both alike: a command to its frame's last byte, one sample at a time, then
// commands per second with 1 and with 8 clients, one burst at a time. Prints
// the samples as JSON for server_bench.py's side-by-side table:
//   {"baseline": {"scpi": [ms...], "one client": [per s...],
//                 "eight clients": [per s...]}, "this build": {...}}
//
//   scpi_pair_bench BASELINE_SERVER THIS_SERVER commands rounds

#include "scpi_rig.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Every pair of samples in the other order from the one before (baseline,
// this build, this build, baseline, ...): neither always follows the other's
// leftover work.
std::array<int, 2> turn(int i) {
    return i % 2 == 0 ? std::array<int, 2>{0, 1} : std::array<int, 2>{1, 0};
}

struct Samples {
    std::vector<double> latencyMs, one, eight;
};

void printList(const char *name, const std::vector<double> &values, bool last) {
    std::printf("\"%s\": [", name);
    for (std::size_t i = 0; i < values.size(); ++i) std::printf("%s%.6g", i ? ", " : "", values[i]);
    std::printf("]%s", last ? "" : ", ");
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 5) {
        std::fprintf(stderr,
                     "usage: scpi_pair_bench BASELINE_SERVER THIS_SERVER commands rounds\n");
        return 2;
    }
    const int commands = std::max(10, std::atoi(argv[3]));
    const int rounds = std::max(1, std::atoi(argv[4]));
    std::array<zz::bench::ScpiRig, 2> rigs;
    for (int b = 0; b < 2; ++b)
        if (!rigs[b].start(argv[1 + b])) return 1;

    std::array<Samples, 2> samples;
    int lost = 0;
    for (int i = 0; i < commands + 50; ++i) {
        for (const int b : turn(i)) {
            const auto took = rigs[b].commandToLastByte(10000 + i % 1000);
            lost += took < 0ns ? 1 : 0;
            if (i >= 50)  // the first 50 warm up
                samples[b].latencyMs.push_back(
                    std::chrono::duration<double, std::milli>(took).count());
        }
    }
    // A burst of a round's share of the commands each turn.
    const int burst = std::max(8, commands / rounds);
    for (int r = 0; r < rounds; ++r) {
        for (const int b : turn(r)) {
            samples[b].one.push_back(rigs[b].commandsPerSecond(1, burst));
            samples[b].eight.push_back(rigs[b].commandsPerSecond(8, burst / 8));
        }
    }
    bool ended = true;
    for (auto &rig : rigs) ended = rig.stop() && ended;
    const auto failedBurst = [](const Samples &s) {
        return std::count(s.one.begin(), s.one.end(), 0.0) +
               std::count(s.eight.begin(), s.eight.end(), 0.0);
    };
    if (lost || failedBurst(samples[0]) || failedBurst(samples[1]) || !ended) {
        std::fprintf(stderr, "scpi_pair_bench: %d frames lost, %ld bursts failed\n", lost,
                     long(failedBurst(samples[0]) + failedBurst(samples[1])));
        return 1;
    }

    std::printf("{");
    const char *names[] = {"baseline", "this build"};
    for (int b = 0; b < 2; ++b) {
        std::printf("\"%s\": {", names[b]);
        printList("scpi", samples[b].latencyMs, false);
        printList("one client", samples[b].one, false);
        printList("eight clients", samples[b].eight, true);
        std::printf("}%s", b ? "" : ", ");
    }
    std::printf("}\n");
    return 0;
}
