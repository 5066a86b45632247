#include "support/lock_files.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace zz::test {

QByteArray binaryPid(std::int32_t pid) {
    QByteArray bytes(sizeof pid, '\0');
    std::memcpy(bytes.data(), &pid, sizeof pid);
    return bytes;
}

long deadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

}  // namespace zz::test
