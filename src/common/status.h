#pragma once
// The one way a failure travels through the plain modules: a Status carries
// an error number and a one-line text for the operator ("cannot read \"4x7\"
// as a resistance"); an Outcome<T> carries a value or the Status that says why
// there is none. Nothing throws through the window system's event loop.

#include <optional>
#include <string>
#include <utility>

namespace zz {

class Status {
public:
    // The number of a failure that has no error number of its own.
    static constexpr int kFailed = -1;

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

template <typename T>
class Outcome {
public:
    Outcome(T value) : value_(std::move(value)) {}
    // A failing status; a successful one here would be a value-less success.
    Outcome(Status failure)
        : status_(failure.ok() ? Status::failure(Status::kFailed, "") : std::move(failure)) {}
    static Outcome failure(std::string error) {
        return Status::failure(Status::kFailed, std::move(error));
    }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *value_; }
    T &value() { return *value_; }
    const Status &status() const { return status_; }
    const std::string &error() const { return status_.text(); }

private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace zz
