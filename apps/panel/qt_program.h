#pragma once
// The whole Qt program: its command line, the application object, the
// start sequence and the event loop.

namespace zz::panel {

int startProgram(int argc, char **argv);

}  // namespace zz::panel
