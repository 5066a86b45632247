#include "automation/program_text.h"

#include "automation/duration_text.h"
#include "automation/ramp.h"
#include "automation/resistance_text.h"
#include "automation/temperature_text.h"
#include "common/decimal_text.h"

#include <charconv>
#include <cmath>
#include <utility>

namespace zz::automation {

using namespace std::chrono;

namespace {

using Kind = ProgramStep::Kind;

std::vector<std::string_view> wordsOf(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        const auto begin = text.find_first_not_of(" \t", at);
        if (begin == text.npos) break;
        const auto end = std::min(text.find_first_of(" \t", begin), text.size());
        words.push_back(text.substr(begin, end - begin));
        at = end;
    }
    return words;
}

// One open repeat (or the whole program) while its lines are read.
struct Open {
    std::vector<ProgramStep> steps;
    ProgramStep repeat;  // the repeat line itself; unused for the program
};

class Reader {
public:
    Reader(const std::string &source, const ValueReading &given, const SensorLookup &lookup)
        : source_(source),
          lookup_(lookup),
          reading_(given),
          givenSensor_(given.sensor.has_value()) {
        open_.emplace_back();
    }

    Status line(int number, std::string_view raw);
    Outcome<Program> finish(int lastLine);

private:
    Status refuse(int number, const std::string &why) const {
        return Status::failure(Status::kFailed,
                               source_ + ":" + std::to_string(number) + ": " + why);
    }
    Status stepLine(int number, std::string_view text, const std::vector<std::string_view> &words);
    Status add(ProgramStep step);
    Outcome<double> rate(std::string_view word) const;

    std::string source_;
    const SensorLookup &lookup_;
    ValueReading reading_;
    bool givenSensor_;
    bool anyStep_ = false;
    bool braceDue_ = false;  // a repeat line without "{": the next line must be one
    std::vector<Open> open_;
};

Outcome<double> Reader::rate(std::string_view word) const {
    const auto slash = word.rfind('/');
    const std::string example = reading_.sensor ? "5K/min" : "50ohm/s";
    if (slash == word.npos)
        return Outcome<double>::failure("cannot read \"" + std::string(word) +
                                        "\" as a rate (for example " + example + ")");
    const std::string_view amount = word.substr(0, slash), per = word.substr(slash + 1);
    double seconds = 0;
    if (per == "s")
        seconds = 1;
    else if (per == "min")
        seconds = 60;
    else if (per == "h")
        seconds = 3600;
    else
        return Outcome<double>::failure("cannot read \"" + std::string(per) +
                                        "\" as the time of a rate: s, min or h");
    // "5K/min" without a sensor is a temperature rate, not 5 kΩ a minute.
    if (!reading_.sensor && !amount.empty() && amount.find_last_of("KCF") == amount.size() - 1)
        return Outcome<double>::failure("\"" + std::string(word) +
                                        "\" is a temperature rate, and the values are "
                                        "resistances: name the sensor first (sensor pt100)");
    const auto size = reading_.sensor ? readTemperatureStep(amount) : readResistance(amount);
    if (!size) return Outcome<double>::failure(size.error());
    if (!(size.value() > 0))
        return Outcome<double>::failure("a rate must be greater than zero (for example " + example +
                                        ")");
    return size.value() / seconds;
}

Status Reader::add(ProgramStep step) {
    anyStep_ = true;
    open_.back().steps.push_back(std::move(step));
    return {};
}

Status Reader::stepLine(int number, std::string_view text,
                        const std::vector<std::string_view> &words) {
    const std::string_view verb = words[0];
    ProgramStep step;
    step.line = number;
    step.text = std::string(text);
    const auto value = [&](std::string_view word) -> Outcome<double> {
        return reading_.readValue(word);
    };
    const auto wrongCount = [&](const char *form) {
        return refuse(number, std::string(verb) + " takes " + form);
    };

    if (verb == "sensor") {
        if (words.size() != 2) return wrongCount("one name: sensor pt100");
        if (givenSensor_)
            return refuse(number, "the command line names the sensor already; give it once");
        if (anyStep_ || reading_.sensor)
            return refuse(number, "the sensor comes before every step, once");
        const auto sensor = lookup_(std::string(words[1]));
        if (!sensor) return refuse(number, sensor.error());
        reading_.sensor = sensor.value();
        return {};
    }
    if (verb == "start" || verb == "step") {
        if (words.size() != 2) return wrongCount("one value");
        if (verb == "start" && (anyStep_ || open_.size() > 1))
            return refuse(number, "start is the first step, once and outside repeats");
        const auto target = value(words[1]);
        if (!target) return refuse(number, target.error());
        step.kind = verb == "start" ? Kind::Start : Kind::Step;
        step.value = target.value();
        return add(std::move(step));
    }
    if (verb == "ramp") {
        const bool inForm = words.size() == 4 && words[2] == "in";
        if (words.size() != 3 && !inForm)
            return wrongCount(
                "a target and a rate (ramp 120C 5K/min) or a time (ramp 120C in 20min)");
        const auto target = value(words[1]);
        if (!target) return refuse(number, target.error());
        step.kind = Kind::Ramp;
        step.value = target.value();
        if (inForm) {
            const auto time = readDuration(words[3]);
            if (!time) return refuse(number, time.error());
            if (time.value() <= nanoseconds::zero())
                return refuse(number, "a ramp takes some time; to jump, use step");
            step.duration = time.value();
        } else {
            const auto perSecond = rate(words[2]);
            if (!perSecond) return refuse(number, perSecond.error());
            step.perSecond = perSecond.value();
        }
        return add(std::move(step));
    }
    if (verb == "soak") {
        if (words.size() != 2) return wrongCount("one time: soak 10min");
        const auto time = readDuration(words[1]);
        if (!time) return refuse(number, time.error());
        step.kind = Kind::Soak;
        step.duration = time.value();
        return add(std::move(step));
    }
    if (verb == "repeat") {
        const bool brace = words.size() == 3 && words[2] == "{";
        if (words.size() != 2 && !brace) return wrongCount("a count and \"{\": repeat 3 {");
        long long count = 0;
        const auto [end, error] =
            std::from_chars(words[1].data(), words[1].data() + words[1].size(), count);
        if (error != std::errc{} || end != words[1].data() + words[1].size() || count < 1 ||
            count > kMaxRepeatCount)
            return refuse(number, "the repeat count \"" + std::string(words[1]) +
                                      "\" is not a whole number from 1 to " +
                                      std::to_string(kMaxRepeatCount));
        if (int(open_.size()) > kMaxProgramDepth)
            return refuse(number,
                          "repeats nest " + std::to_string(kMaxProgramDepth) + " deep at most");
        step.kind = Kind::Repeat;
        step.count = count;
        open_.push_back(Open{{}, std::move(step)});
        braceDue_ = !brace;
        return {};
    }
    return refuse(number, "unknown step \"" + std::string(verb) +
                              "\": use sensor, start, ramp, soak, step or repeat");
}

Status Reader::line(int number, std::string_view raw) {
    if (raw.size() > kMaxProgramLineLength)
        return refuse(number,
                      "longer than " + std::to_string(kMaxProgramLineLength) + " characters");
    if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);  // written on Windows
    const std::string_view text = common::trimBlanks(raw.substr(0, raw.find('#')));
    const auto words = wordsOf(text);
    if (words.empty()) return {};
    if (braceDue_) {
        braceDue_ = false;
        if (words.size() == 1 && words[0] == "{") return {};
        return refuse(number, "\"{\" expected after the repeat line");
    }
    if (words[0] == "{") return refuse(number, "\"{\" without a repeat");
    if (words[0] == "}") {
        if (words.size() != 1) return refuse(number, "\"}\" stands alone on its line");
        if (open_.size() == 1) return refuse(number, "\"}\" without a repeat");
        Open done = std::move(open_.back());
        open_.pop_back();
        if (done.steps.empty()) return refuse(number, "a repeat with no steps");
        done.repeat.body = std::move(done.steps);
        open_.back().steps.push_back(std::move(done.repeat));
        return {};
    }
    return stepLine(number, text, words);
}

// Adds the time of `steps` to `seconds`, from `value`, which ends as the
// value they end on. Repeats are worked out from two passes, never
// expanded: the first from the value before, the second from the body's own end.
Status timeSteps(const std::string &source, const std::vector<ProgramStep> &steps,
                 std::optional<double> &value, double &seconds) {
    const double most = duration<double>(kMaxProgramDuration).count();
    for (const auto &step : steps) {
        const auto refuse = [&](const std::string &why) {
            return Status::failure(Status::kFailed,
                                   source + ":" + std::to_string(step.line) + ": " + why);
        };
        double time = 0;
        switch (step.kind) {
            case Kind::Start:
            case Kind::Step:
                value = step.value;
                break;
            case Kind::Ramp:
            case Kind::Soak:
                if (!value) return refuse("nothing to start from: begin with start VALUE");
                time = step.perSecond ? std::fabs(step.value - *value) / *step.perSecond
                                      : duration<double>(step.duration).count();
                if (step.kind == Kind::Ramp) value = step.value;
                break;
            case Kind::Repeat: {
                double first = 0, later = 0;
                if (Status s = timeSteps(source, step.body, value, first); !s) return s;
                if (step.count > 1)
                    if (Status s = timeSteps(source, step.body, value, later); !s) return s;
                time = first + double(step.count - 1) * later;
                break;
            }
        }
        seconds += time;
        if (!(seconds <= most))
            return refuse("the program would run longer than " +
                          std::to_string(kMaxProgramDuration.count()) + " hours");
    }
    return {};
}

Outcome<Program> Reader::finish(int lastLine) {
    if (braceDue_ || open_.size() > 1)
        return Outcome<Program>::failure(
            refuse(lastLine, "the repeat of line " + std::to_string(open_.back().repeat.line) +
                                 " has no \"}\"")
                .text());
    Program program;
    program.reading = reading_;
    program.steps = std::move(open_.back().steps);
    if (program.steps.empty())
        return Outcome<Program>::failure(source_ + ": no steps: begin with start VALUE");
    std::optional<double> value;
    double seconds = 0;
    if (Status s = timeSteps(source_, program.steps, value, seconds); !s)
        return Outcome<Program>::failure(s.text());
    program.total = nanoseconds(std::llround(seconds * 1e9));
    return program;
}

}  // namespace

Outcome<Program> readProgram(std::istream &in, const std::string &source, const ValueReading &given,
                             const SensorLookup &lookup) {
    Reader reader(source, given, lookup);
    std::string text;
    int number = 0;
    // Read a bounded piece at a time, so a file of one endless line is refused
    // without holding it.
    for (;;) {
        text.clear();
        char c = 0;
        bool any = false;
        while (in.get(c)) {
            any = true;
            if (c == '\n') break;
            if (text.size() <= kMaxProgramLineLength) text.push_back(c);
        }
        if (!any) break;
        if (++number > int(kMaxProgramLines))
            return Outcome<Program>::failure(source + ": more than " +
                                             std::to_string(kMaxProgramLines) + " lines");
        if (Status s = reader.line(number, text); !s) return Outcome<Program>::failure(s.text());
    }
    return reader.finish(number);
}

}  // namespace zz::automation
