#pragma once
// Command headers as the command table writes them, "[SOURce:]RESistance
// [:LEVel]": each node in long form with its short form in capitals; nodes in
// brackets may be left out. A typed node matches in either form, any case.

#include <string>
#include <string_view>
#include <vector>

namespace zz::scpi {

class HeaderPattern {
public:
    explicit HeaderPattern(std::string_view pattern);

    // Whether the typed nodes ("sour", "RES") name this header.
    bool matches(const std::vector<std::string> &typed) const;
    // Whether one typed node names a node of this header that may come
    // first ("SOUR" or "RES" of "[SOURce:]RESistance"), or any of its nodes.
    bool mayStartWith(std::string_view typed) const;
    bool hasNode(std::string_view typed) const;

private:
    struct Node {
        std::string longForm;   // upper case: "RESISTANCE"
        std::string shortForm;  // "RES"
        bool optional = false;
    };
    bool matchesFrom(std::size_t node, const std::vector<std::string> &typed,
                     std::size_t part) const;
    static bool named(const Node &node, std::string_view typed);

    std::vector<Node> nodes_;
};

std::string upperCase(std::string_view text);

}  // namespace zz::scpi
