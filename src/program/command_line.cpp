#include "program/command_line.h"

#include <algorithm>

namespace zz::program {

void usePlainStyle(CLI::App &parser) {
    parser.set_help_flag();
    parser.allow_windows_style_options(false);
}

std::string parseArguments(CLI::App &parser, std::vector<std::string> args) {
    std::reverse(args.begin(), args.end());  // CLI11 takes them last first
    try {
        parser.parse(args);
    } catch (const CLI::ExtrasError &) {
        // The first word no option or operand took, in GNU's words.
        const std::vector<std::string> extras = parser.remaining();
        const std::string word = extras.empty() ? std::string() : extras.front();
        if (word.size() > 1 && word[0] == '-') return "unrecognized option '" + word + "'";
        return "unexpected operand '" + word + "'";
    } catch (const CLI::ArgumentMismatch &error) {
        // "--port: 1 required TEXT missing": an option given without its value.
        const std::string text = error.what();
        if (text.find("required") == text.npos || text.find("missing") == text.npos) return text;
        return "option '" + text.substr(0, text.find(':')) + "' requires a value";
    } catch (const CLI::ParseError &error) {
        return error.what();
    }
    return {};
}

std::string helpHint(std::string_view program) {
    return "Try '" + std::string(program) + " --help' for more information.";
}

}  // namespace zz::program
