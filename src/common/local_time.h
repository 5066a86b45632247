#pragma once
// The local calendar time of a moment, thread-safe on every platform
// (localtime_r on POSIX, localtime_s on Windows).

#include <ctime>

namespace zz::common {

inline std::tm localTime(std::time_t seconds) {
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return local;
}

}  // namespace zz::common
