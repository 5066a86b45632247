#pragma once
// The links' sessions on the SCPI instrument: each link gets a session of
// its own (parser, error queue, status registers) on the one instrument all
// clients share, whose link carries the commands to the box.

#include "scpi/instrument.h"
#include "vxi11/link_session.h"

namespace zz::vxi11 {

class ScpiLinkHost : public LinkHost {
public:
    explicit ScpiLinkHost(scpi::Instrument &instrument) : instrument_(instrument) {}
    std::unique_ptr<LinkSession> open() override;

private:
    scpi::Instrument &instrument_;
};

}  // namespace zz::vxi11
