#include "ctl_rig.h"

#include "support/bytes.h"

#include <QDir>

namespace zz::test {

CtlRig::CtlRig() {
    ok_ = pty_.ok() && sandbox_.ok() && cwd_.isValid() && sandbox_.map(3, pty_.slavePath());
}

bool CtlRig::start(const QStringList &args) {
    std::vector<std::string> argv{CTL_PATH};
    for (QString arg : args)
        argv.push_back(
            arg.replace("{pty}", QString::fromStdString(pty_.slavePath())).toStdString());
    child_ = std::make_unique<rig::ChildProcess>();
    return child_->start(argv, {}, cwd_.path().toStdString(),
                         cwd_.filePath("output.txt").toStdString());
}

std::optional<int> CtlRig::finish() {
    return rig::exitCode(child_->waitForExit(std::chrono::seconds(30)));
}

QString CtlRig::output() const {
    return QString::fromUtf8(fileBytes(cwd_.filePath("output.txt")));
}

bool CtlRig::printedAll(const QString &pieces) const {
    const QString printed = output();
    for (const QString &piece : pieces.split('|'))
        if (!printed.contains(piece)) return false;
    return true;
}

QByteArray CtlRig::sent(std::chrono::milliseconds within) {
    return bytes(pty_.readAll(within));
}

bool CtlRig::writeBox(const QString &name, const QByteArray &text) {
    const QString boxes = QString::fromStdString(sandbox_.root()) + "/6175ZIZ/boxes";
    return QDir().mkpath(boxes) && writeFile(boxes + "/" + name, text);
}

bool CtlRig::writeHere(const QString &name, const QByteArray &text) {
    return writeFile(cwd_.filePath(name), text);
}

}  // namespace zz::test
