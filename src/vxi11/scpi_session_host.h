#pragma once
// The sessions of the VXI-11 links on the SCPI instrument: each link gets a
// session of its own (parser, error queue, status registers) on the one
// instrument all clients share, whose serial link carries the commands to
// the box.

#include "scpi/instrument.h"
#include "vxi11/instrument_session.h"

namespace zz::vxi11 {

class ScpiSessionHost : public SessionHost {
public:
    explicit ScpiSessionHost(scpi::Instrument &instrument) : instrument_(instrument) {}
    std::unique_ptr<InstrumentSession> open() override;

private:
    scpi::Instrument &instrument_;
};

}  // namespace zz::vxi11
