#include "profile/profile_reader.h"

#include "box/range.h"

#define TOML_EXCEPTIONS 0
#include <toml++/toml.h>

#include <cstdio>
#include <set>

namespace zz::profile {

namespace {

// The first refusal found, with its place.
class Refusal {
public:
    explicit Refusal(const std::string &file) : file_(file) {}

    bool any() const { return !text_.empty(); }
    const std::string &text() const { return text_; }
    void at(std::size_t line, const std::string &reason) {
        if (!any()) text_ = file_ + ":" + std::to_string(line) + ": " + reason;
    }
    void at(const toml::node &node, const std::string &reason) {
        at(node.source().begin.line, reason);
    }

private:
    const std::string &file_;
    std::string text_;
};

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

void refuseUnknownKeys(const toml::table &table, const std::set<std::string> &known,
                       const std::string &prefix, Refusal &refusal) {
    for (const auto &[key, node] : table)
        if (!known.count(std::string(key.str())))
            refusal.at(node, "unknown key " + prefix + std::string(key.str()));
}

std::optional<std::string> readText(const toml::table &table, const char *key,
                                    const std::string &name, Refusal &refusal) {
    const toml::node *node = table.get(key);
    if (!node) return std::nullopt;
    if (!node->is_string()) {
        refusal.at(*node, name + " must be text in quotes");
        return std::nullopt;
    }
    return node->value<std::string>();
}

// A resistance in ohms: a number, not negative, at most what the box has.
std::optional<double> readOhms(const toml::table &table, const char *key, const std::string &name,
                               Refusal &refusal, bool signedValue = false) {
    const toml::node *node = table.get(key);
    if (!node) return std::nullopt;
    if (!node->is_number()) {
        refusal.at(*node, name + " must be a number of ohms");
        return std::nullopt;
    }
    const double value = *node->value<double>();
    if (!(value == value) || value > 1e6 || value < -1e6) {
        refusal.at(*node, name + " must be a finite number of ohms");
        return std::nullopt;
    }
    if (!signedValue && value < 0) {
        refusal.at(*node, name + " " + number(value) + " must not be negative");
        return std::nullopt;
    }
    return value;
}

// A date as TOML writes one (2027-01-10), or such a date in quotes.
std::string readDate(const toml::table &table, const char *key, const std::string &name,
                     Refusal &refusal) {
    const toml::node *node = table.get(key);
    if (!node) return {};
    if (const auto date = node->value<toml::date>()) {
        char text[16];
        std::snprintf(text, sizeof text, "%04u-%02u-%02u", unsigned(date->year),
                      unsigned(date->month), unsigned(date->day));
        return text;
    }
    refusal.at(*node, name + " must be a date such as 2027-01-10");
    return {};
}

void readLimits(const toml::node &node, Limits &limits, Refusal &refusal) {
    const toml::table *table = node.as_table();
    if (!table) return refusal.at(node, "limits must be a table: [limits]");
    refuseUnknownKeys(*table, {"min", "max", "max_change"}, "limits.", refusal);
    if (auto min = readOhms(*table, "min", "limits.min", refusal)) limits.minOhms = *min;
    if (auto max = readOhms(*table, "max", "limits.max", refusal)) limits.maxOhms = *max;
    limits.maxChangeOhms = readOhms(*table, "max_change", "limits.max_change", refusal);
    if (refusal.any()) return;
    if (limits.maxOhms > box::kMaxOhms)
        refusal.at(*table->get("max"), "limits.max " + number(limits.maxOhms) +
                                           " is above what the box has, " + number(box::kMaxOhms));
    else if (limits.minOhms > limits.maxOhms)
        refusal.at(*table->get("min"), "limits.min " + number(limits.minOhms) +
                                           " is above limits.max " + number(limits.maxOhms));
    else if (limits.maxChangeOhms && *limits.maxChangeOhms <= 0)
        refusal.at(*table->get("max_change"), "limits.max_change must be greater than zero");
}

constexpr std::array<const char *, box::kDigits> kDecadeKeys{
    "decade_0_1", "decade_1", "decade_10", "decade_100", "decade_1000", "decade_10000"};

void readTable(const toml::node &node, CorrectionTable &out, Refusal &refusal) {
    const toml::table *table = node.as_table();
    if (!table) return refusal.at(node, "table must be a table: [table]");
    std::set<std::string> known{"zero", "measured", "due"};
    known.insert(kDecadeKeys.begin(), kDecadeKeys.end());
    refuseUnknownKeys(*table, known, "table.", refusal);
    out.zeroOhms = readOhms(*table, "zero", "table.zero", refusal).value_or(0.0);
    out.measured = readDate(*table, "measured", "table.measured", refusal);
    out.due = readDate(*table, "due", "table.due", refusal);
    for (int decade = 0; decade < box::kDigits; ++decade) {
        const std::string name = std::string("table.") + kDecadeKeys[decade];
        const toml::node *steps = table->get(kDecadeKeys[decade]);
        if (!steps) {
            refusal.at(node, "table has no " + name + " (the nine steps of that decade)");
            return;
        }
        const toml::array *array = steps->as_array();
        if (!array) return refusal.at(*steps, name + " must be a list of nine numbers of ohms");
        if (array->size() != 9)
            return refusal.at(*steps, name + " has " + std::to_string(array->size()) +
                                          " steps; a decade has nine (steps 1 to 9)");
        for (std::size_t k = 0; k < 9; ++k) {
            const toml::node &step = (*array)[k];
            const auto value = step.value<double>();
            if (!step.is_number() || !value || !(*value >= 0) || *value > 2e5)
                return refusal.at(step, name + " step " + std::to_string(k + 1) +
                                            " must be a number of ohms, not negative");
            out.steps[decade][k] = *value;
        }
    }
}

}  // namespace

std::size_t firstNonUtf8Line(std::string_view text) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned byte = at(i);
        if (byte == '\n') ++line;
        if (byte < 0x80) {
            ++i;
            continue;
        }
        const std::size_t more = byte >= 0xC2 && byte <= 0xDF   ? 1
                                 : byte >= 0xE0 && byte <= 0xEF ? 2
                                 : byte >= 0xF0 && byte <= 0xF4 ? 3
                                                                : 0;
        if (more == 0 || text.size() - i - 1 < more) return line;
        for (std::size_t j = 1; j <= more; ++j)
            if ((at(i + j) >> 6) != 2) return line;
        // Overlong forms, surrogates and code points beyond U+10FFFF.
        const unsigned next = at(i + 1);
        if ((byte == 0xE0 && next < 0xA0) || (byte == 0xED && next > 0x9F) ||
            (byte == 0xF0 && next < 0x90) || (byte == 0xF4 && next > 0x8F))
            return line;
        i += 1 + more;
    }
    return 0;
}

Outcome<Profile> readProfile(std::string_view text, const std::string &fileName) {
    if (const std::size_t line = firstNonUtf8Line(text))
        return Outcome<Profile>::failure(fileName + ":" + std::to_string(line) +
                                         ": not UTF-8 text");
    toml::parse_result parsed = toml::parse(text, fileName);
    if (!parsed) {
        const auto &error = parsed.error();
        return Outcome<Profile>::failure(fileName + ":" +
                                         std::to_string(error.source().begin.line) + ": " +
                                         std::string(error.description()));
    }
    const toml::table &root = parsed.table();
    Refusal refusal(fileName);
    refuseUnknownKeys(root, {"serial", "name", "lead_offset", "limits", "table"}, "", refusal);

    Profile profile;
    profile.serial = readText(root, "serial", "serial", refusal).value_or("");
    profile.name = readText(root, "name", "name", refusal).value_or("");
    profile.leadOffsetOhms =
        readOhms(root, "lead_offset", "lead_offset", refusal, true).value_or(0.0);
    if (const toml::node *limits = root.get("limits")) readLimits(*limits, profile.limits, refusal);
    if (const toml::node *table = root.get("table")) {
        CorrectionTable read;
        readTable(*table, read, refusal);
        profile.table = read;
    }
    if (refusal.any()) return Outcome<Profile>::failure(refusal.text());
    return profile;
}

}  // namespace zz::profile
