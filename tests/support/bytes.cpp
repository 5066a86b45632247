#include "support/bytes.h"

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

}  // namespace zz::test
