// 6175ZIZ-ctl: sets the box from the command line and from scripts: one
// value, sweeps, lists of points, and temperature sensors it stands in for.

#include "ctl/session.h"

int main(int argc, char **argv) {
    return zz::ctl::runSession(std::vector<std::string>(argv + 1, argv + argc));
}
