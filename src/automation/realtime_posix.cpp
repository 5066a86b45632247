#include "automation/realtime.h"

#include <linux/capability.h>
#include <malloc.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zz::automation {

namespace {

// Above every program of the normal classes, below the kernel's interrupt
// threads (50): a sweep must never keep the port's driver waiting.
constexpr int kPriority = 10;

// Enough for the deepest call of a command: its pages are touched now so
// that no point waits for the kernel to map them.
constexpr std::size_t kStackReserve = 128 * 1024;

[[gnu::noinline]] void touchStack() {
    volatile unsigned char stack[kStackReserve];
    for (std::size_t i = sizeof stack; i > 0; i -= 4096) stack[i - 1] = 0;
}

std::string because(const char *what) {
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

std::string scheduleFifo() {
    sched_param param{};
    param.sched_priority = kPriority;
    // Children (none today) start at normal priority again.
    constexpr int policy = SCHED_FIFO | SCHED_RESET_ON_FORK;
    if (::sched_setscheduler(0, policy, &param) == 0) return {};
    // Without root or CAP_SYS_NICE, RLIMIT_RTPRIO is the highest priority allowed.
    rlimit limit{};
    if (errno == EPERM && ::getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0 &&
        limit.rlim_cur < rlim_t(kPriority)) {
        param.sched_priority = int(limit.rlim_cur);
        if (::sched_setscheduler(0, policy, &param) == 0) return {};
    }
    return because("no real-time scheduling");
}

bool mayLockWithoutLimit() {
    rlimit limit{};
    if (::getrlimit(RLIMIT_MEMLOCK, &limit) == 0 && limit.rlim_cur == RLIM_INFINITY) return true;
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
    return ::syscall(SYS_capget, &header, caps) == 0 &&
           (caps[CAP_IPC_LOCK / 32].effective & (1u << (CAP_IPC_LOCK % 32))) != 0;
}

// AddressSanitizer and its kin map terabytes of shadow memory that locking
// would try to fill.
constexpr bool kSanitized =
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    true;
#elif defined(__has_feature)
    __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) ||
    __has_feature(memory_sanitizer);
#else
    false;
#endif

std::string lockMemory() {
    if (kSanitized) return "memory not locked (a sanitizer's build)";
    // Freed memory stays with the process instead of going back to the
    // kernel and faulting in again at the next point.
    ::mallopt(M_TRIM_THRESHOLD, -1);
    ::mallopt(M_MMAP_MAX, 0);
    // Memory mapped later is locked too only where no limit applies:
    // under RLIMIT_MEMLOCK an allocation past the limit would fail.
    const int flags = MCL_CURRENT | (mayLockWithoutLimit() ? MCL_FUTURE : 0);
    if (::mlockall(flags) == 0) return {};
    return because("memory not locked");
}

}  // namespace

std::string enterRealtime() {
    touchStack();  // before the lock, which then holds these pages too
    const std::string scheduling = scheduleFifo();
    const std::string memory = lockMemory();
    if (scheduling.empty() || memory.empty()) return scheduling + memory;
    return scheduling + ", " + memory;
}

}  // namespace zz::automation
