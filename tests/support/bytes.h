#pragma once
// Bytes as the tests compare them: what a pseudo-terminal or a file gave,
// and files written with exact contents.

#include <QByteArray>
#include <QString>

#include <string>

namespace zz::test {

QByteArray bytes(const std::string &s);

// The file's contents, or "<missing>" when it cannot be read.
QByteArray fileBytes(const QString &path);
// Creates or replaces the file with exactly these bytes.
[[nodiscard]] bool writeFile(const QString &path, const QByteArray &bytes);
// The same, its writer long done: a watch that waits for a writer to finish
// reads it at its next look.
[[nodiscard]] bool writeSettledFile(const QString &path, const QByteArray &bytes);

}  // namespace zz::test
