#include "support/scratch_directory.h"

#include <QDir>

namespace zz::test {

ScratchCurrentDirectory::ScratchCurrentDirectory() : previous_(QDir::currentPath()) {
    entered_ = dir_.isValid() && QDir::setCurrent(dir_.path());
}

ScratchCurrentDirectory::~ScratchCurrentDirectory() {
    QDir::setCurrent(previous_);
}

}  // namespace zz::test
