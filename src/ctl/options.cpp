#include "ctl/options.h"

#include <array>
#include <string_view>

namespace zz::ctl {

namespace {

using Field = std::optional<std::string> Options::*;

struct ValueOption {
    std::string_view name;
    Field field;
};

constexpr std::array kValueOptions{
    ValueOption{"--port", &Options::port},
    ValueOption{"--device", &Options::device},
    ValueOption{"--log", &Options::logPath},
    ValueOption{"--final", &Options::finalValue},
    ValueOption{"--step", &Options::step},
    ValueOption{"--points-per-decade", &Options::perDecade},
    ValueOption{"--dwell", &Options::dwell},
    ValueOption{"--repeat", &Options::repeat},
    ValueOption{"--type", &Options::type},
    ValueOption{"--rtd", &Options::rtd},
    ValueOption{"--r25", &Options::r25},
    ValueOption{"--beta", &Options::beta},
    ValueOption{"--steinhart", &Options::steinhart},
};

struct FlagOption {
    std::string_view name;
    bool Options::*field;
};

constexpr std::array kFlags{
    FlagOption{"--help", &Options::help},       FlagOption{"-h", &Options::help},
    FlagOption{"--version", &Options::version}, FlagOption{"--dry-run", &Options::dryRun},
    FlagOption{"--quiet", &Options::quiet},     FlagOption{"-q", &Options::quiet},
    FlagOption{"--ntc", &Options::ntc},         FlagOption{"--realtime", &Options::realtime},
};

struct CommandName {
    std::string_view name;
    Command command;
};
constexpr std::array kCommands{CommandName{"set", Command::Set},
                               CommandName{"sweep", Command::Sweep},
                               CommandName{"list", Command::List}, CommandName{"rtd", Command::Rtd},
                               CommandName{"ntc", Command::Ntc}};

// "-40", "-.5" and a lone "-" (standard input) are operands, not options.
bool isOption(std::string_view arg) {
    if (arg.size() < 2 || arg[0] != '-') return false;
    return !(arg[1] == '.' || (arg[1] >= '0' && arg[1] <= '9'));
}

}  // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string> &args) {
    ParsedCommandLine parsed;
    Options &o = parsed.options;
    std::vector<std::string> words;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (optionsEnded || !isOption(arg)) {
            words.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        const auto equals = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(0, equals);
        bool known = false;
        for (const auto &flag : kFlags) {
            if (name != flag.name) continue;
            if (equals != arg.npos) {
                parsed.error = "option '" + std::string(name) + "' takes no value";
                return parsed;
            }
            o.*flag.field = known = true;
        }
        for (const auto &option : kValueOptions) {
            if (name != option.name) continue;
            known = true;
            if (equals != arg.npos) {
                o.*option.field = arg.substr(equals + 1);
            } else if (i + 1 < args.size()) {
                o.*option.field = args[++i];
            } else {
                parsed.error = "option '" + arg + "' requires a value";
                return parsed;
            }
        }
        if (!known) {
            parsed.error = "unrecognized option '" + arg + "'";
            return parsed;
        }
    }
    if (o.help || o.version) return parsed;

    if (words.empty()) {
        parsed.error = "no command given: use set, sweep, list, rtd or ntc";
        return parsed;
    }
    bool found = false;
    for (const auto &command : kCommands) {
        if (words[0] != command.name) continue;
        o.command = command.command;
        found = true;
    }
    if (!found) {
        parsed.error = "unknown command '" + words[0] + "': use set, sweep, list, rtd or ntc";
        return parsed;
    }
    o.operands.assign(words.begin() + 1, words.end());
    return parsed;
}

}  // namespace zz::ctl
