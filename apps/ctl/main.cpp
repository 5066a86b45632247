// 6175ZIZ-ctl: sets the box from the command line and from scripts: one
// value, sweeps, lists of points, and temperature sensors it stands in for.

#include "program/command_line.h"
#include "session.h"

int main(int argc, char **argv) {
    return zz::ctl::runSession(zz::program::commandLineArguments(argc, argv));
}
