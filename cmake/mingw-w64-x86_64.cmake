# Cross-building the programs without windows for 64-bit Windows with
# Debian's MinGW-w64 (g++-mingw-w64-x86-64). The .exe files are linked
# statically so that they run alone, on Windows or under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZZ_MINGW_PREFIX x86_64-w64-mingw32)
# The POSIX thread model: std::thread and std::this_thread::sleep_until.
find_program(CMAKE_CXX_COMPILER NAMES ${ZZ_MINGW_PREFIX}-g++-posix ${ZZ_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZZ_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${ZZ_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Runs the test programs from ctest or a script on this machine.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/lib/wine/wine64)
