#pragma once
// A failure as a value: an error number and a one-line text for the operator.
// Used across the link and the settings file so that nothing throws through
// the window system's event loop.

#include <string>
#include <utility>

namespace zz {

class Status {
public:
    Status() = default;  // success
    static Status failure(int number, std::string text) { return Status(number, std::move(text)); }

    bool ok() const { return number_ == 0; }
    explicit operator bool() const { return ok(); }
    int number() const { return number_; }
    const std::string &text() const { return text_; }

private:
    Status(int number, std::string text) : number_(number), text_(std::move(text)) {}
    int number_ = 0;
    std::string text_;
};

}  // namespace zz
