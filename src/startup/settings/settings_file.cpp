#include "settings_file.h"

#include "number_text.h"
#include "settings_record.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace zz {

namespace {

constexpr int kFileError = 75;  // path/file access error

Status fileError(const QString &path, const QString &reason) {
    return Status::failure(
        kFileError,
        QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason).toStdString());
}

}  // namespace

const QString kFileName = QStringLiteral("Settings.txt");

QString settingsFilePath() {
    const QString dir = QDir::currentPath();
    // A current directory that cannot be named (removed) must not turn into "/".
    return dir.isEmpty() ? kFileName : dir + QLatin1Char('/') + kFileName;
}

StoredPort readStoredPort() {
    const QString path = settingsFilePath();
    QFile file(kFileName);  // relative: the open itself resolves the current directory
    // Read-write, as the record reader opens it: a missing file is created empty.
    if (!file.open(QIODevice::ReadWrite)) return {fileError(path, file.errorString()), 0};

    char record[kSettingsRecordLength];
    const qint64 n = file.read(record, kSettingsRecordLength);
    if (n < 0) return {fileError(path, file.errorString()), 0};
    file.close();

    const auto port = portFromSettingsBytes(std::string_view(record, std::size_t(n)));
    if (!port) return {Status::failure(6, "Overflow"), 0};
    return {Status(), *port};
}

Status writeStoredPort(int port) {
    const QString path = settingsFilePath();
    QSaveFile file(kFileName);
    if (!file.open(QIODevice::WriteOnly)) return fileError(path, file.errorString());
    const std::string line = wholeNumberText(port) + "\r\n";
    file.write(line.data(), static_cast<qint64>(line.size()));
    if (!file.commit()) return fileError(path, file.errorString());
    return Status();
}

}  // namespace zz
