#include "scpi/header_pattern.h"

#include <cctype>

namespace zz::scpi {

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char &c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

HeaderPattern::HeaderPattern(std::string_view pattern) {
    Node node;
    bool optional = false;
    const auto finish = [&] {
        if (node.longForm.empty()) return;
        node.optional = optional;
        nodes_.push_back(node);
        node = {};
    };
    for (const char c : pattern) {
        if (c == '[') {
            finish();
            optional = true;
        } else if (c == ']') {
            finish();
            optional = false;
        } else if (c == ':') {
            finish();
        } else {
            const unsigned char u = static_cast<unsigned char>(c);
            if (std::isupper(u) || std::isdigit(u)) node.shortForm.push_back(c);
            node.longForm.push_back(static_cast<char>(std::toupper(u)));
        }
    }
    finish();
}

bool HeaderPattern::matches(const std::vector<std::string> &typed) const {
    return matchesFrom(0, typed, 0);
}

bool HeaderPattern::mayStartWith(std::string_view typed) const {
    for (const Node &node : nodes_) {
        if (named(node, typed)) return true;
        if (!node.optional) break;
    }
    return false;
}

bool HeaderPattern::hasNode(std::string_view typed) const {
    for (const Node &node : nodes_)
        if (named(node, typed)) return true;
    return false;
}

bool HeaderPattern::named(const Node &node, std::string_view typed) {
    const std::string word = upperCase(typed);
    return word == node.longForm || word == node.shortForm;
}

bool HeaderPattern::matchesFrom(std::size_t node, const std::vector<std::string> &typed,
                                std::size_t part) const {
    if (node == nodes_.size()) return part == typed.size();
    const Node &n = nodes_[node];
    if (part < typed.size() && named(n, typed[part]) && matchesFrom(node + 1, typed, part + 1))
        return true;
    return n.optional && matchesFrom(node + 1, typed, part);
}

}  // namespace zz::scpi
