#pragma once
// An environment variable set or unset for as long as the override lives;
// the old value, or its absence, is put back afterwards.

#include <string>

namespace zz::rig {

class EnvOverride {
public:
    EnvOverride(const char *name, const char *value);  // value null: unset
    ~EnvOverride();
    EnvOverride(const EnvOverride &) = delete;
    EnvOverride &operator=(const EnvOverride &) = delete;

private:
    std::string name_;
    std::string old_;
    bool had_ = false;
};

}  // namespace zz::rig
