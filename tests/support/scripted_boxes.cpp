#include "support/scripted_boxes.h"

namespace zz::test {

void ScriptedBoxes::exclamation(const std::string &title, const std::string &text) {
    calls.push_back({false, QString::fromStdString(title), QString::fromStdString(text)});
}

bool ScriptedBoxes::askYesNo(const std::string &title, const std::string &text) {
    calls.push_back({true, QString::fromStdString(title), QString::fromStdString(text)});
    if (answers.empty()) return false;
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

QStringList ScriptedBoxes::shown() const {
    QStringList list;
    for (const BoxCall &call : calls) list << call.title + '|' + call.text;
    return list;
}

}  // namespace zz::test
