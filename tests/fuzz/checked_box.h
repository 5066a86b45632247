#pragma once
// The box behind a fuzzed protocol: only the start command or "ddddd.d" may
// ever reach it. Every `refuseEvery`-th command fails, so that the link's
// failures are exercised too (0: none fails).

#include "fuzz_check.h"
#include "scpi/instrument.h"

#include <optional>
#include <string>
#include <string_view>

class CheckedBox : public zz::scpi::BoxLink {
public:
    explicit CheckedBox(unsigned refuseEvery = 0) : refuseEvery_(refuseEvery) {}

    zz::Status send(std::string_view command) override {
        const bool start = command == "10000";
        bool frame = command.size() == 7 && command[5] == '.';
        for (std::size_t i = 0; frame && i < command.size(); ++i)
            frame = i == 5 || (command[i] >= '0' && command[i] <= '9');
        FUZZ_CHECK(start || frame);
        ++sent;
        if (refuseEvery_ && ++count_ % refuseEvery_ == 0)
            return zz::Status::failure(2, "COM1 (/dev/null): \"refused\"");
        last_ = command;
        return {};
    }
    std::optional<std::string> lastCommand() const override { return last_; }

    unsigned sent = 0;  // commands that reached the box, refused ones too

private:
    unsigned refuseEvery_ = 0;
    unsigned count_ = 0;
    std::optional<std::string> last_;
};
