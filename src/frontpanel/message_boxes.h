#pragma once
// The modal message boxes the program shows, behind one small interface so
// that tests can answer them. Texts use carriage returns between lines, as
// the program's own constants; the box shows each one as a line break.

#include <string>

namespace zz::frontpanel {

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Exclamation icon, one OK button.
    virtual void exclamation(const std::string &title, const std::string &text) = 0;
    // Question icon, Yes and No, Yes the default. True for Yes.
    virtual bool askYesNo(const std::string &title, const std::string &text) = 0;
};

}  // namespace zz::frontpanel
