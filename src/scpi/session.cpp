#include "scpi/session.h"

#include "scpi/command_table.h"
#include "scpi/program_data.h"

namespace zz::scpi {

namespace {

using Nodes = std::vector<std::string>;

Handler subsystemHandler(const Nodes &nodes, bool query) {
    for (const CommandEntry &entry : commandTable())
        if (entry.header.matches(nodes)) return query ? entry.query : entry.set;
    return nullptr;
}

}  // namespace

void Session::fail(int code, std::string_view detail) {
    errors_.push(code, detail);
    status_.setEvent(eventBitFor(code));
    if (code <= -100 && code > -200) commandError_ = true;
}

void Session::respond(std::string_view answer) {
    if (!answers_.empty()) answers_ += ';';
    answers_ += answer;
}

void Session::holdUntilSettled(std::optional<std::string> answer) {
    if (!instrument_.running()) {
        if (answer) respond(*answer);
        return;
    }
    held_ = true;
    answerWhenSettled_ = std::move(answer);
}

std::string Session::execute(std::string_view line) {
    answers_.clear();
    commandError_ = false;
    held_ = false;
    line_.assign(line);
    return carryOn(0, {});
}

std::string Session::resume() {
    if (!held_) return {};
    held_ = false;
    if (answerWhenSettled_) respond(*answerWhenSettled_);
    answerWhenSettled_.reset();
    return carryOn(heldUnit_, std::move(heldPath_));
}

std::string Session::carryOn(std::size_t firstUnit, Nodes path) {
    const auto units = splitUnits(line_);
    if (!units) fail(error::kSyntax);
    const auto all = units.value_or(std::vector<std::string_view>{});
    // `path`: where a header without a leading ':' starts; the root at each line
    for (std::size_t i = firstUnit; i < all.size(); ++i) {
        const UnitRead read = readUnit(all[i]);
        if (read.blank) continue;
        if (read.error) {
            fail(read.error);
            break;
        }
        const MessageUnit &unit = read.unit;
        Handler handler = nullptr;
        if (unit.common) {
            handler = commonHandler(unit.nodes[0], unit.query);
        } else {
            Nodes full = unit.absolute ? Nodes{} : path;
            full.insert(full.end(), unit.nodes.begin(), unit.nodes.end());
            handler = subsystemHandler(full, unit.query);
            // "RES 5;SYST:ERR?" means the root's SYSTem, as people type it.
            if (!handler && !unit.absolute && !path.empty()) {
                full = unit.nodes;
                handler = subsystemHandler(full, unit.query);
            }
            if (handler) path.assign(full.begin(), full.end() - 1);
        }
        if (!handler) {
            fail(error::kUndefinedHeader);
            break;
        }
        handler(*this, unit.params);
        if (commandError_) break;
        if (held_) {
            heldUnit_ = i + 1;
            heldPath_ = std::move(path);
            return {};
        }
    }
    if (answers_.empty()) return {};
    return answers_ + '\n';
}

}  // namespace zz::scpi
