#include "scpi/command_table.h"

#include "automation/burnout.h"
#include "automation/program_text.h"

#include "box/identity.h"
#include "box/ohms_command.h"
#include "box/range.h"
#include "box/sensor.h"
#include "box/sensor_catalogue.h"
#include "common/decimal_text.h"
#include "scpi/program_data.h"
#include "scpi/session.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sstream>

namespace zz::scpi {

namespace {

using Kind = Numeric::Kind;

// SCPI's answer for a value that is not known.
constexpr std::string_view kNotANumber = "9.91E+37";

struct Limits {
    double min, max, def;
};
constexpr Limits kR25{1.0, 100e6, kDefaultR25};
constexpr Limits kBeta{1.0, 100000.0, kDefaultBeta};

// Fewer parameters than `min`: -109; more than `max`: -108.
bool counted(Session &s, const Params &p, std::size_t min, std::size_t max) {
    if (p.size() < min) s.fail(error::kMissingParameter);
    if (p.size() > max) s.fail(error::kParameterNotAllowed);
    return p.size() >= min && p.size() <= max;
}

std::optional<Numeric> numeric(Session &s, std::string_view param) {
    NumericRead read = readNumeric(param);
    if (read.error) {
        s.fail(read.error);
        return std::nullopt;
    }
    return read.numeric;
}

std::optional<std::string> word(Session &s, std::string_view param) {
    WordRead read = readWord(param);
    if (read.error) {
        s.fail(read.error);
        return std::nullopt;
    }
    return read.word;
}

// A number or MIN/MAX/DEF in ohms ("1.2 KOHM", "1.2E3"); -131 for another
// suffix, -222 outside the limits.
std::optional<double> ohmsParam(Session &s, std::string_view param, const Limits &limits) {
    const auto n = numeric(s, param);
    if (!n) return std::nullopt;
    double factor = 1.0;
    if (n->suffix == "KOHM") {
        factor = 1e3;
    } else if (n->suffix == "MOHM") {  // mega-ohm in SCPI, not milli
        factor = 1e6;
    } else if (!n->suffix.empty() && n->suffix != "OHM") {
        s.fail(error::kInvalidSuffix);
        return std::nullopt;
    }
    switch (n->kind) {
        case Kind::Min:
            return limits.min;
        case Kind::Max:
            return limits.max;
        case Kind::Def:
            return limits.def;
        case Kind::Value:
            break;
    }
    return n->value * factor;
}

std::optional<double> inLimits(Session &s, std::optional<double> value, const Limits &limits) {
    if (value && !(*value >= limits.min && *value <= limits.max)) {
        s.fail(error::kDataOutOfRange);
        return std::nullopt;
    }
    return value;
}

// The optional MIN|MAX|DEF of a query; Kind::Value when none was given.
std::optional<Kind> limitParam(Session &s, const Params &p, bool withDefault) {
    if (!counted(s, p, 0, 1)) return std::nullopt;
    if (p.empty()) return Kind::Value;
    const auto n = numeric(s, p[0]);
    if (!n) return std::nullopt;
    if (n->kind == Kind::Value || (n->kind == Kind::Def && !withDefault)) {
        s.fail(n->kind == Kind::Value ? error::kDataType : error::kIllegalParameterValue);
        return std::nullopt;
    }
    return n->kind;
}

// A refusal's or the link's failure: its number is the SCPI error.
void fail(Session &s, const Status &status) {
    if (!status) s.fail(status.number(), status.text());
}

// The lowest and highest value the box's profile lets one set.
Limits ohmsLimits(Session &s) {
    const profile::BoxRules &rules = s.instrument().rules();
    return {rules.minOhms(), rules.maxOhms(), box::kStartOhms};
}

std::string ohmsText(double ohms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", ohms);
    return text;
}

std::string limitText(Kind kind, const Limits &limits, double value) {
    return common::decimalText(kind == Kind::Min   ? limits.min
                               : kind == Kind::Max ? limits.max
                                                   : value,
                               6);
}

// ---- SOURce:RESistance

// A value whose digits are meant as they are (MIN and MAX, a fault): in
// true mode the target is what those digits present by the table, so the
// search comes back to them rather than to neighbours past a limit.
double digitsTarget(const Instrument &instrument, double ohms) {
    if (instrument.mode != profile::SetMode::True) return ohms;
    const auto command = box::ohmsCommand(ohms);
    if (!command) return ohms;
    return instrument.rules().trueOhms(command.value()).value_or(ohms);
}

void setResistance(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto n = numeric(s, p[0]);
    if (!n) return;
    auto ohms = ohmsParam(s, p[0], ohmsLimits(s));
    if (!ohms) return;
    if (n->kind == Kind::Min || n->kind == Kind::Max) ohms = digitsTarget(s.instrument(), *ohms);
    fail(s, s.instrument().setResistance(*ohms));
}

// In true mode the value is what the box presents by its table.
void queryResistance(Session &s, const Params &p) {
    const auto kind = limitParam(s, p, true);
    if (!kind) return;
    const Instrument &instrument = s.instrument();
    if (*kind == Kind::Value) {
        if (instrument.mode == profile::SetMode::True) {
            const auto ohms = instrument.lastTrueOhms();
            s.respond(ohms ? common::decimalText(*ohms, 4, 1) : std::string(kNotANumber));
            return;
        }
        const auto ohms = instrument.lastOhms();
        s.respond(ohms ? ohmsText(*ohms) : std::string(kNotANumber));
        return;
    }
    const Limits limits = ohmsLimits(s);
    s.respond(ohmsText(*kind == Kind::Min   ? limits.min
                       : *kind == Kind::Max ? limits.max
                                            : limits.def));
}

// RESistance:MODE NOMinal|TRUE: the digits as given, or those whose measured
// sum by the profile's table comes nearest (refused without a table).
void setMode(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto name = word(s, p[0]);
    if (!name) return;
    Instrument &instrument = s.instrument();
    if (*name == "NOM" || *name == "NOMINAL") {
        instrument.mode = profile::SetMode::Nominal;
    } else if (*name == "TRUE") {
        if (const Status usable = instrument.rules().usable(); !usable)
            return s.fail(error::kExecution, usable.text());
        if (!instrument.rules().hasTable())
            return s.fail(error::kSettingsConflict,
                          "TRUE needs a correction table ([table]) in the box's profile");
        instrument.mode = profile::SetMode::True;
    } else {
        s.fail(error::kIllegalParameterValue);
    }
}

// The faults a test engineer gives an input: a short (00000.0) and the
// nearest the box comes to an open circuit, its highest value (99999.9).
void setFault(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto name = word(s, p[0]);
    if (!name) return;
    Instrument &instrument = s.instrument();
    if (*name == "SHOR" || *name == "SHORT")
        return fail(s, instrument.set(digitsTarget(instrument, box::kMinOhms)));
    if (*name == "OPEN") return fail(s, instrument.set(digitsTarget(instrument, box::kMaxOhms)));
    s.fail(error::kIllegalParameterValue);
}

// The sensor's failed value on the low or high side (automation/burnout.h).
void setBurnout(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto name = word(s, p[0]);
    if (!name) return;
    if (*name != "LOW" && *name != "HIGH") return s.fail(error::kIllegalParameterValue);
    const auto side = *name == "LOW" ? automation::Burnout::Low : automation::Burnout::High;
    if (const Status usable = s.instrument().sensorUsable(); !usable) return fail(s, usable);
    const auto point = automation::burnoutSetpoint(s.instrument().sensor(), side);
    if (!point) return s.fail(error::kDataOutOfRange, point.error());
    // A failed sensor's value is the sensor's: the leads add to it as well.
    fail(s, s.instrument().set(point.value().ohms, std::nullopt, true));
}

void queryMode(Session &s, const Params &p) {
    if (counted(s, p, 0, 0))
        s.respond(s.instrument().mode == profile::SetMode::True ? "TRUE" : "NOM");
}

// ---- SOURce:TEMPerature

std::optional<box::TemperatureUnit> unitNamed(std::string_view name) {
    if (name == "C" || name == "CEL") return box::TemperatureUnit::Celsius;
    if (name == "F" || name == "FAR") return box::TemperatureUnit::Fahrenheit;
    if (name == "K") return box::TemperatureUnit::Kelvin;
    return std::nullopt;
}

void setTemperature(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto n = numeric(s, p[0]);
    if (!n) return;
    Instrument &instrument = s.instrument();
    double celsius = 0.0;
    if (n->kind == Kind::Min) {
        celsius = instrument.minCelsius();
    } else if (n->kind == Kind::Max) {
        celsius = instrument.maxCelsius();
    } else if (n->kind == Kind::Def) {
        s.fail(error::kIllegalParameterValue);
        return;
    } else {
        const auto unit = n->suffix.empty() ? instrument.unit : unitNamed(n->suffix);
        if (!unit) {
            s.fail(error::kInvalidSuffix);
            return;
        }
        celsius = box::toCelsius(n->value, *unit);
    }
    // The thermistor model gives a resistance even at infinity; MIN and MAX
    // are NaN when no temperature lies inside the profile's limits.
    if (!std::isfinite(celsius)) {
        s.fail(error::kDataOutOfRange);
        return;
    }
    fail(s, instrument.setTemperature(celsius));
}

void queryTemperature(Session &s, const Params &p) {
    const auto kind = limitParam(s, p, false);
    if (!kind) return;
    const Instrument &instrument = s.instrument();
    std::optional<double> celsius = instrument.lastCelsius();
    if (*kind != Kind::Value)
        celsius = *kind == Kind::Min ? instrument.minCelsius() : instrument.maxCelsius();
    s.respond(celsius && std::isfinite(*celsius)
                  ? common::decimalText(box::fromCelsius(*celsius, instrument.unit), 4)
                  : std::string(kNotANumber));
}

// TEMP:SENS takes the catalogue's names in capitals, and NTC for the
// thermistor of TEMP:NTC:R25 and TEMP:NTC:BETA.
constexpr std::string_view kThermistorName = "NTC";

std::string upper(std::string_view text) {
    std::string out(text);
    for (char &c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

void setSensor(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto name = word(s, p[0]);
    if (!name) return;
    Instrument &instrument = s.instrument();
    // The box's own sensors first: a user may have named one after a curve.
    if (auto user = instrument.userSensorNamed(*name)) {
        instrument.chooseUserSensor(std::move(user));
        return;
    }
    if (*name == kThermistorName) {
        instrument.chooseUserSensor(std::nullopt);
        instrument.curve = nullptr;
        return;
    }
    for (const box::SensorType &type : box::sensorTypes()) {
        if (*name != upper(type.name)) continue;
        instrument.chooseUserSensor(std::nullopt);
        instrument.curve = &type;
        return;
    }
    // The names offered, as a client's author would look them up.
    const auto &profile = instrument.rules().profile();
    std::vector<std::string> names = box::sensorNames({});
    names.emplace_back(kThermistorName);
    if (profile)
        for (const auto &user : profile->sensors) names.push_back(box::userSensorName(user));
    std::string offered;
    for (const std::string &each : names) offered += (offered.empty() ? "" : ", ") + upper(each);
    s.fail(error::kIllegalParameterValue, "no sensor " + *name + "; offered: " + offered);
}

void querySensor(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    const Instrument &instrument = s.instrument();
    if (instrument.userSensor) {
        s.respond(upper(box::userSensorName(*instrument.userSensor)));
        return;
    }
    const box::SensorType *curve = instrument.curve;
    s.respond(curve ? upper(curve->name) : std::string(kThermistorName));
}

void setR25(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    if (const auto r25 = inLimits(s, ohmsParam(s, p[0], kR25), kR25)) s.instrument().r25 = *r25;
}

void queryR25(Session &s, const Params &p) {
    if (const auto kind = limitParam(s, p, true))
        s.respond(limitText(*kind, kR25, *kind == Kind::Def ? kR25.def : s.instrument().r25));
}

void setBeta(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto n = numeric(s, p[0]);
    if (!n) return;
    if (!n->suffix.empty() && n->suffix != "K") {
        s.fail(error::kInvalidSuffix);
        return;
    }
    const double value = n->kind == Kind::Min   ? kBeta.min
                         : n->kind == Kind::Max ? kBeta.max
                         : n->kind == Kind::Def ? kBeta.def
                                                : n->value;
    if (const auto beta = inLimits(s, value, kBeta)) s.instrument().beta = *beta;
}

void queryBeta(Session &s, const Params &p) {
    if (const auto kind = limitParam(s, p, true))
        s.respond(limitText(*kind, kBeta, *kind == Kind::Def ? kBeta.def : s.instrument().beta));
}

// ---- slews and programs

// SCPI's infinity, which a slew rate of INFinity answers.
constexpr std::string_view kInfinity = "9.9E+37";
constexpr double kInfinityValue = 9.9e37;

// A rate above zero, or INFinity (also DEF, or 9.9E37 as clients send it):
// nothing inside, the setting goes at once. Nothing outside on an error.
std::optional<std::optional<double>> rateParam(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return std::nullopt;
    if (const WordRead w = readWord(p[0]); !w.error && (w.word == "INF" || w.word == "INFINITY"))
        return std::optional<double>{};
    const auto n = numeric(s, p[0]);
    if (!n) return std::nullopt;
    if (n->kind == Kind::Def || (n->kind == Kind::Value && n->value >= kInfinityValue))
        return std::optional<double>{};
    if (n->kind != Kind::Value) {
        s.fail(error::kIllegalParameterValue);
        return std::nullopt;
    }
    if (!n->suffix.empty()) {
        s.fail(error::kInvalidSuffix);
        return std::nullopt;
    }
    if (!(n->value > 0.0)) {
        s.fail(error::kDataOutOfRange, "a rate above zero, or INF");
        return std::nullopt;
    }
    return std::optional<double>{n->value};
}

// TEMP:SLEW is in the temperature unit's degrees a minute; a Fahrenheit
// degree is 5/9 of a kelvin.
double degreeSize(box::TemperatureUnit unit) {
    return unit == box::TemperatureUnit::Fahrenheit ? 5.0 / 9.0 : 1.0;
}

void setTemperatureSlew(Session &s, const Params &p) {
    const auto rate = rateParam(s, p);
    if (!rate) return;
    Instrument &instrument = s.instrument();
    instrument.temperatureSlew.reset();
    if (*rate) instrument.temperatureSlew = **rate * degreeSize(instrument.unit) / 60.0;
}

void queryTemperatureSlew(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    const Instrument &instrument = s.instrument();
    const auto slew = instrument.temperatureSlew;
    s.respond(slew ? common::decimalText(*slew * 60.0 / degreeSize(instrument.unit), 6)
                   : std::string(kInfinity));
}

void setResistanceSlew(Session &s, const Params &p) {
    if (const auto rate = rateParam(s, p)) s.instrument().resistanceSlew = *rate;
}

void queryResistanceSlew(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    const auto slew = s.instrument().resistanceSlew;
    s.respond(slew ? common::decimalText(*slew, 6) : std::string(kInfinity));
}

// RAMP while a slew or a program moves the box, SETT once it holds still.
void querySlewState(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond(s.instrument().running() ? "RAMP" : "SETT");
}

// PROGram:DEFine "start 20C; ramp 120C 5K/min; soak 10min": the lines of a
// temperature program, ';' between them, read and checked whole.
void defineProgram(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const StringRead read = readString(p[0]);
    if (read.error) return s.fail(read.error);
    std::string text = read.text;
    for (char &c : text)
        if (c == ';') c = '\n';
    std::istringstream in(text);
    Instrument &instrument = s.instrument();
    const auto &profile = instrument.rules().profile();
    const std::vector<box::UserSensor> users =
        profile ? profile->sensors : std::vector<box::UserSensor>{};
    auto program = automation::readProgram(
        in, "PROGram", {}, [&](const std::string &name) { return box::sensorNamed(name, users); });
    if (!program) return s.fail(error::kIllegalParameterValue, program.error());
    fail(s, instrument.loadProgram(std::move(program.value())));
}

void runProgram(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) fail(s, s.instrument().runProgram());
}

// Stops whatever moves the box, a program or a slew, where it is.
void stopProgram(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.instrument().stopRun();
}

bool programRuns(const Instrument &instrument) {
    return instrument.runKind() == RunKind::Program;
}

void queryProgramState(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond(programRuns(s.instrument()) ? "RUN" : "STOP");
}

// The steps entered so far, each pass of a repeat counted; 0 when none runs.
void queryProgramStep(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    const Instrument &instrument = s.instrument();
    s.respond(std::to_string(programRuns(instrument) ? instrument.runProgress()->step : 0));
}

// ---- UNIT, SYSTem

void setUnit(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return;
    const auto name = word(s, p[0]);
    if (!name) return;
    const auto unit = unitNamed(*name == "KEL" ? "K" : *name);
    if (!unit) {
        s.fail(error::kIllegalParameterValue);
        return;
    }
    s.instrument().unit = *unit;
}

void queryUnit(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    const box::TemperatureUnit unit = s.instrument().unit;
    s.respond(unit == box::TemperatureUnit::Celsius      ? "C"
              : unit == box::TemperatureUnit::Fahrenheit ? "F"
                                                         : "K");
}

void queryError(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond(errorResponse(s.errors().pop()));
}

void queryErrorCount(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond(std::to_string(s.errors().count()));
}

void queryVersion(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond("1999.0");
}

// ---- common commands

void identify(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    const box::Identity id = box::identity();
    const std::string serial = s.instrument().serialNumber();  // the profile's
    std::string answer(id.maker);
    for (const std::string_view field : {id.model, std::string_view(serial), id.firmware})
        answer.append(",").append(field);
    s.respond(answer);
}

void reset(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) fail(s, s.instrument().reset());
}

void clearStatus(Session &s, const Params &p) {
    if (!counted(s, p, 0, 0)) return;
    s.errors().clear();
    s.status().clearEvents();
}

// A register mask 0..255 (rounded, as IEEE 488.2 reads it).
std::optional<std::uint8_t> mask(Session &s, const Params &p) {
    if (!counted(s, p, 1, 1)) return std::nullopt;
    const auto n = numeric(s, p[0]);
    if (!n) return std::nullopt;
    if (n->kind != Kind::Value) {
        s.fail(error::kDataType);
        return std::nullopt;
    }
    if (!n->suffix.empty()) {
        s.fail(error::kInvalidSuffix);
        return std::nullopt;
    }
    const double rounded = std::round(n->value);
    if (!(rounded >= 0.0 && rounded <= 255.0)) {
        s.fail(error::kDataOutOfRange);
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(rounded);
}

void answerByte(Session &s, const Params &p, std::uint8_t byte) {
    if (counted(s, p, 0, 0)) s.respond(std::to_string(byte));
}

void setEventEnable(Session &s, const Params &p) {
    if (const auto m = mask(s, p)) s.status().setEventEnable(*m);
}
void queryEventEnable(Session &s, const Params &p) {
    answerByte(s, p, s.status().eventEnable());
}
void queryEvents(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond(std::to_string(s.status().takeEvents()));
}
void setServiceEnable(Session &s, const Params &p) {
    if (const auto m = mask(s, p)) s.status().setServiceEnable(*m);
}
void queryServiceEnable(Session &s, const Params &p) {
    answerByte(s, p, s.status().serviceEnable());
}
void queryStatusByte(Session &s, const Params &p) {
    answerByte(s, p, s.status().statusByte(s.errors().count() > 0, s.answersPending()));
}
// A command is complete when the next one is read, but for a slew or a
// program: *OPC? and *WAI wait for it to end.
void operationComplete(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.status().setEvent(event::kOperationComplete);
}
void queryOperationComplete(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.holdUntilSettled("1");
}
void querySelfTest(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.respond("0");
}
void wait(Session &s, const Params &p) {
    if (counted(s, p, 0, 0)) s.holdUntilSettled(std::nullopt);
}

// The last column: the query is answered without the box.
constexpr bool kQuick = true;

constexpr CommonEntry kCommon[] = {
    {"IDN", nullptr, identify, kQuick},
    {"RST", reset, nullptr},
    {"CLS", clearStatus, nullptr},
    {"ESE", setEventEnable, queryEventEnable, kQuick},
    {"ESR", nullptr, queryEvents, kQuick},
    {"OPC", operationComplete, queryOperationComplete},
    {"SRE", setServiceEnable, queryServiceEnable, kQuick},
    {"STB", nullptr, queryStatusByte, kQuick},
    {"TST", nullptr, querySelfTest},
    {"WAI", wait, nullptr},
};

}  // namespace

const std::vector<CommandEntry> &commandTable() {
    // The other queries read the instrument all clients share (RES? and TEMP?
    // the last command's record too): they wait their turn for the link.
    static const std::vector<CommandEntry> table{
        {HeaderPattern("[SOURce:]RESistance[:LEVel][:IMMediate][:AMPLitude]"), setResistance,
         queryResistance},
        {HeaderPattern("[SOURce:]RESistance:MODE"), setMode, queryMode},
        {HeaderPattern("[SOURce:]RESistance:FAULt"), setFault, nullptr},
        {HeaderPattern("[SOURce:]TEMPerature:BURNout"), setBurnout, nullptr},
        {HeaderPattern("[SOURce:]TEMPerature[:LEVel][:IMMediate][:AMPLitude]"), setTemperature,
         queryTemperature},
        {HeaderPattern("[SOURce:]TEMPerature:SENSor"), setSensor, querySensor},
        {HeaderPattern("[SOURce:]TEMPerature:SLEW"), setTemperatureSlew, queryTemperatureSlew},
        {HeaderPattern("[SOURce:]TEMPerature:SLEW:STATe"), nullptr, querySlewState},
        {HeaderPattern("[SOURce:]RESistance:SLEW"), setResistanceSlew, queryResistanceSlew},
        {HeaderPattern("[SOURce:]RESistance:SLEW:STATe"), nullptr, querySlewState},
        {HeaderPattern("PROGram:DEFine"), defineProgram, nullptr},
        {HeaderPattern("PROGram:RUN"), runProgram, nullptr},
        {HeaderPattern("PROGram:STOP"), stopProgram, nullptr},
        {HeaderPattern("PROGram:STATe"), nullptr, queryProgramState},
        {HeaderPattern("PROGram:STEP"), nullptr, queryProgramStep},
        {HeaderPattern("[SOURce:]TEMPerature:NTC:R25"), setR25, queryR25},
        {HeaderPattern("[SOURce:]TEMPerature:NTC:BETA"), setBeta, queryBeta},
        {HeaderPattern("UNIT:TEMPerature"), setUnit, queryUnit},
        {HeaderPattern("SYSTem:ERRor[:NEXT]"), nullptr, queryError, kQuick},
        {HeaderPattern("SYSTem:ERRor:COUNt"), nullptr, queryErrorCount, kQuick},
        {HeaderPattern("SYSTem:VERSion"), nullptr, queryVersion, kQuick},
    };
    return table;
}

std::span<const CommonEntry> commonTable() {
    return kCommon;
}

Handler commonHandler(std::string_view name, bool query) {
    for (const CommonEntry &entry : kCommon)
        if (entry.name == name) return query ? entry.query : entry.set;
    return nullptr;
}

}  // namespace zz::scpi
