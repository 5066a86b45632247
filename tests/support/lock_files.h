#pragma once
// What the tests put into UUCP lock files.

#include <QByteArray>

#include <cstdint>

namespace zz::test {

// A process id as a binary lock file holds it: four bytes in the machine's order.
QByteArray binaryPid(std::int32_t pid);
// A process id that belonged to a process which has exited.
long deadPid();

}  // namespace zz::test
