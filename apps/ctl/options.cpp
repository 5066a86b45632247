#include "options.h"

#include "program/command_line.h"

#include <array>
#include <string_view>

namespace zz::ctl {

namespace {

struct CommandName {
    std::string_view name;
    Command command;
};
constexpr std::array kCommands{
    CommandName{"set", Command::Set},         CommandName{"sweep", Command::Sweep},
    CommandName{"list", Command::List},       CommandName{"rtd", Command::Rtd},
    CommandName{"ntc", Command::Ntc},         CommandName{"ports", Command::Ports},
    CommandName{"profile", Command::Profile}, CommandName{"program", Command::Program},
    CommandName{"short", Command::Short},     CommandName{"open", Command::Open}};

void addValue(CLI::App &parser, const std::string &name, std::optional<std::string> &field) {
    // Given twice, the last one counts, as GNU programs take it.
    parser
        .add_option_function<std::string>(name,
                                          [&field](const std::string &value) { field = value; })
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

}  // namespace

Outcome<Options> parseCommandLine(const std::vector<std::string> &args) {
    Options o;
    CLI::App parser;
    program::usePlainStyle(parser);
    parser.add_flag("-h,--help", o.help);
    parser.add_flag("--version", o.version);
    parser.add_flag("--dry-run", o.dryRun);
    parser.add_flag("-q,--quiet", o.quiet);
    parser.add_flag("--ntc", o.ntc);
    parser.add_flag("--realtime", o.realtime);
    parser.add_flag("--json", o.json);
    parser.add_flag("--force", o.force);
    parser.add_flag("--true", o.trueOhms);
    addValue(parser, "--port", o.port);
    addValue(parser, "--device", o.device);
    addValue(parser, "--log", o.logPath);
    addValue(parser, "--final", o.finalValue);
    addValue(parser, "--step", o.step);
    addValue(parser, "--points-per-decade", o.perDecade);
    addValue(parser, "--dwell", o.dwell);
    addValue(parser, "--repeat", o.repeat);
    addValue(parser, "--max-interval", o.maxInterval);
    addValue(parser, "--burnout", o.burnout);
    addValue(parser, "--type", o.type);
    addValue(parser, "--rtd", o.rtd);
    addValue(parser, "--r25", o.r25);
    addValue(parser, "--beta", o.beta);
    addValue(parser, "--steinhart", o.steinhart);
    addValue(parser, "--r0", o.r0);
    addValue(parser, "--cvd", o.cvd);
    addValue(parser, "--table", o.table);
    addValue(parser, "--map", o.map);
    // The command and its operands; "-40" and "-.5" are operands, not options.
    std::vector<std::string> words;
    parser.add_option("words", words);

    if (std::string error = program::parseArguments(parser, args); !error.empty())
        return Outcome<Options>::failure(std::move(error));
    if (o.help || o.version) return o;

    if (words.empty())
        return Outcome<Options>::failure(
            "no command given: use set, sweep, list, program, rtd, ntc, short, open, ports or "
            "profile");
    bool found = false;
    for (const auto &command : kCommands) {
        if (words[0] != command.name) continue;
        o.command = command.command;
        found = true;
    }
    if (!found)
        return Outcome<Options>::failure("unknown command '" + words[0] +
                                         "': use set, sweep, list, program, rtd, ntc, short, open, "
                                         "ports or profile");
    o.operands.assign(words.begin() + 1, words.end());
    return o;
}

}  // namespace zz::ctl
