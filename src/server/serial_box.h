#pragma once
// The box behind the serial link: each command goes out through sendCommand
// (open, write, drain, close), and the value the box holds is the device's
// last-command record, which every program of ours keeps up to date.

#include "link/serial_control.h"
#include "scpi/instrument.h"

namespace zz::server {

class SerialBox : public scpi::BoxLink {
public:
    explicit SerialBox(link::SerialControl &control) : control_(control) {}

    Status send(std::string_view command) override;  // a failure is logged
    std::optional<std::string> lastCommand() const override;

    // Who the commands now going out come from ("SCPI client 127.0.0.1:40000",
    // "page 127.0.0.1:40002"); set on the link's thread before each job.
    void setSender(std::string sender) { sender_ = std::move(sender); }
    const std::string &sender() const { return sender_; }

private:
    link::SerialControl &control_;
    std::optional<std::string> sent_;  // when the record cannot be read
    std::string sender_;
};

}  // namespace zz::server
