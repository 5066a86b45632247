#pragma once
// A value read or worked out from a user's text, or the one-line reason it
// could not be: "cannot read \"4x7\" as a resistance".

#include <optional>
#include <string>
#include <utility>

namespace zz::automation {

template <typename T>
class Outcome {
public:
    Outcome(T value) : value_(std::move(value)) {}
    static Outcome failure(std::string error) { return Outcome(std::move(error), 0); }

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T &value() const { return *value_; }
    T &value() { return *value_; }
    const std::string &error() const { return error_; }

private:
    Outcome(std::string error, int) : error_(std::move(error)) {}
    std::optional<T> value_;
    std::string error_;
};

}  // namespace zz::automation
