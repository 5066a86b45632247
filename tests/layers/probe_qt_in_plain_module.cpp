// A plain C++ module reaching for Qt: must not compile.
#include "box/range.h"

#include <QString>
