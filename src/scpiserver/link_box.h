#pragma once
// The box behind the serial link: each command goes out through sendCommand
// (open, write, drain, close), and the value the box holds is the device's
// last-command record, which every program of ours keeps up to date.

#include "link/serial_control.h"
#include "scpi/instrument.h"

namespace zz::scpiserver {

class LinkBox : public scpi::BoxLink {
public:
    explicit LinkBox(link::SerialControl &control) : control_(control) {}

    Status send(std::string_view command) override;  // a failure is logged
    std::optional<std::string> lastCommand() const override;

private:
    link::SerialControl &control_;
    std::optional<std::string> sent_;  // when the record cannot be read
};

}  // namespace zz::scpiserver
