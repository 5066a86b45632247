#include "rig/environment.h"

#include <cstdlib>

namespace zz::rig {

EnvOverride::EnvOverride(const char *name, const char *value) : name_(name) {
    if (const char *old = std::getenv(name)) {
        old_ = old;
        had_ = true;
    }
    value ? ::setenv(name, value, 1) : ::unsetenv(name);
}

EnvOverride::~EnvOverride() {
    had_ ? ::setenv(name_.c_str(), old_.c_str(), 1) : ::unsetenv(name_.c_str());
}

}  // namespace zz::rig
