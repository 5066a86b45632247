// Any bytes from the network through the line splitter and one connection's
// session, as the server carries them out: no crash, no undefined behaviour,
// and the promises clients and the box rely on. The first byte chooses the
// size of the pieces the bytes arrive in and how often the rest is repeated,
// so that lines past the 64 KiB bound are reached from short inputs.

#include "checked_box.h"
#include "fuzz_check.h"
#include "scpi/line_splitter.h"
#include "scpi/session.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t piece = 1 + data[0] % 64;
    const int repeats = 1 + data[0] / 8;
    const std::string_view bytes(reinterpret_cast<const char *>(data + 1), size - 1);

    CheckedBox link(3);  // every third command refused
    zz::scpi::Instrument instrument(link);
    // Slews and programs move on a clock of 10 ms a look.
    zz::scpi::Instrument::Clock::time_point now{};
    instrument.clock = [&now] { return now += std::chrono::milliseconds(10); };
    zz::scpi::Session session(instrument);
    zz::scpi::LineSplitter splitter;
    for (int r = 0; r < repeats; ++r) {
        for (std::size_t at = 0; at < bytes.size(); at += piece) {
            for (const auto &line : splitter.feed(bytes.substr(at, piece))) {
                FUZZ_CHECK(line.text.size() <= zz::scpi::kMaxLine);
                FUZZ_CHECK(line.text.find('\n') == std::string::npos);
                if (line.overrun) {
                    session.inputOverrun();
                    continue;
                }
                // One answer line at most, whole, printable but for its LF; a
                // line held at *OPC? goes on once the run is stopped.
                std::string answer = session.execute(line.text);
                instrument.advance();
                if (session.held()) {
                    instrument.stopRun();
                    answer = session.resume();
                    FUZZ_CHECK(!session.held());
                }
                FUZZ_CHECK(answer.empty() || answer.find('\n') == answer.size() - 1);
                for (const char c : answer) FUZZ_CHECK(c == '\n' || (c >= ' ' && c <= '~'));
                FUZZ_CHECK(session.errors().count() <= zz::scpi::ErrorQueue::kCapacity);
            }
            FUZZ_CHECK(splitter.pending() <= zz::scpi::kMaxLine + 1);
        }
    }
    const auto ohms = instrument.lastOhms();
    FUZZ_CHECK(!ohms || (*ohms >= 0.0 && *ohms <= 99999.9));
    return 0;
}
