#include "vxi11/scpi_session_host.h"

#include "scpi/quick_line.h"
#include "scpi/session.h"

namespace zz::vxi11 {

namespace {

class ScpiInstrumentSession : public InstrumentSession {
public:
    explicit ScpiInstrumentSession(scpi::Instrument &instrument) : session_(instrument) {}

    std::string execute(std::string_view line) override { return session_.execute(line); }
    bool needsTheBox(std::string_view line) const override {
        return !scpi::answeredWithoutTheBox(line);
    }
    void inputOverrun() override { session_.inputOverrun(); }
    std::uint8_t statusByte(bool messageAvailable) override {
        return session_.status().statusByte(session_.errors().count() > 0, messageAvailable);
    }
    // A device clear empties the buffers, stops a slew or a program and
    // drops a line waiting for it; the status registers and the error queue
    // stay, as IEEE 488.2 has it.
    void deviceClear() override {
        session_.instrument().stopRun();
        session_.dropHeld();
    }
    bool waiting() const override { return session_.held(); }
    std::optional<std::string> goOn() override {
        if (!session_.held() || session_.instrument().running()) return std::nullopt;
        std::string answers = session_.resume();
        if (session_.held()) return std::nullopt;
        return answers;
    }

private:
    scpi::Session session_;
};

}  // namespace

std::unique_ptr<InstrumentSession> ScpiSessionHost::open() {
    return std::make_unique<ScpiInstrumentSession>(instrument_);
}

}  // namespace zz::vxi11
