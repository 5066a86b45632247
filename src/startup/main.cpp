// 6175ZIZ: the virtual front panel of the 6175 programmable resistance box.

#include "startup/start_sequence.h"

int main(int argc, char **argv) {
    return zz::startProgram(argc, argv);
}
