// 6175ZIZ: the virtual front panel of the 6175 programmable resistance box.

#include "qt_program.h"

int main(int argc, char **argv) {
    return zz::panel::startProgram(argc, argv);
}
