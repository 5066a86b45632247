// Uses only the box module, yet reaches for the serial link: must not compile.
#include "box/range.h"
#include "link/serial_control.h"
