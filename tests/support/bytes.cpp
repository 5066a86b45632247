#include "support/bytes.h"

#include <QDateTime>
#include <QFile>

namespace zz::test {

QByteArray bytes(const std::string &s) {
    return QByteArray(s.data(), qsizetype(s.size()));
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

bool writeSettledFile(const QString &path, const QByteArray &bytes) {
    if (!writeFile(path, bytes)) return false;
    QFile f(path);
    return f.open(QIODevice::ReadWrite) && f.setFileTime(QDateTime::currentDateTime().addSecs(-2),
                                                         QFileDevice::FileModificationTime);
}

}  // namespace zz::test
