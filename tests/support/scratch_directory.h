#pragma once
// A scratch directory that is the current directory while it lives, for the
// code that keeps "Settings.txt" in the current directory. The current
// directory from before is restored and the scratch removed afterwards.

#include <QString>
#include <QTemporaryDir>

namespace zz::test {

class ScratchCurrentDirectory {
public:
    ScratchCurrentDirectory();  // check ok()
    ~ScratchCurrentDirectory();
    ScratchCurrentDirectory(const ScratchCurrentDirectory &) = delete;
    ScratchCurrentDirectory &operator=(const ScratchCurrentDirectory &) = delete;

    bool ok() const { return entered_; }
    QString path() const { return dir_.path(); }

private:
    QString previous_;
    QTemporaryDir dir_;
    bool entered_ = false;
};

}  // namespace zz::test
