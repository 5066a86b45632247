#include "support/one_profile_rows.h"

#include "support/bytes.h"

#include <QStringList>

namespace zz::test {

QByteArray oneProfileText() {
    return fileBytes(ONE_PROFILE_DIR "/box.toml");
}

QList<ProfileRow> oneProfileRows() {
    QList<ProfileRow> rows;
    for (const QString &line :
         QString::fromUtf8(fileBytes(ONE_PROFILE_DIR "/rows.txt")).split('\n')) {
        const QStringList fields = line.split('\t');
        if (line.startsWith('#') || fields.size() != 4) continue;
        rows.append({fields[0], fields[1],
                     fields[2] == "-" ? QByteArray() : fields[2].toUtf8() + "\r", fields[3]});
    }
    return rows;
}

}  // namespace zz::test
