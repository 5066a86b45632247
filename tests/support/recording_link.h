#pragma once
// The box behind a SCPI instrument, as the protocol tests see it: every
// command that went out, each with its CR, and the last one as the
// device's record would give it.

#include "scpi/instrument.h"

#include <QByteArray>

#include <optional>
#include <string>
#include <string_view>

namespace zz::test {

class RecordingLink : public scpi::BoxLink {
public:
    QByteArray wire;

    Status send(std::string_view command) override {
        wire += QByteArray(command.data(), qsizetype(command.size())) + '\r';
        last_ = command;
        return {};
    }
    std::optional<std::string> lastCommand() const override { return last_; }

private:
    std::optional<std::string> last_;
};

}  // namespace zz::test
