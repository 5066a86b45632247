#pragma once
// Message boxes that show nothing: each one is recorded, and askYesNo takes
// its answers from a script.

#include "frontpanel/message_boxes.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <string>
#include <vector>

namespace zz::test {

struct BoxCall {
    bool question = false;  // askYesNo rather than exclamation
    QString title;
    QString text;
};

class ScriptedBoxes : public frontpanel::MessageBoxes {
public:
    void exclamation(const std::string &title, const std::string &text) override;
    bool askYesNo(const std::string &title, const std::string &text) override;

    // Every box in the order shown, as "title|text".
    QStringList shown() const;

    std::vector<BoxCall> calls;
    std::deque<bool> answers;  // for askYesNo, one per question; none left answers No
};

}  // namespace zz::test
