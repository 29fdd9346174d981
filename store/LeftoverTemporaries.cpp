#include "LeftoverTemporaries.h"

#include "DataFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace varnook {

bool LeftoverTemporaries::isOurs(const QString &fileName) {
    // The name a save's temporary file gets: the data file's name, a dot and six random characters.
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QRegularExpression::escape(QString::fromLatin1(DataFile::FileName)) + QStringLiteral("\\.[A-Za-z0-9]{6}")));
    return pattern.match(fileName).hasMatch();
}

QStringList LeftoverTemporaries::removeIn(const QString &folder, const QDateTime &before) {
    QStringList removed;
    const QDir dir(folder);
    const QString prefix = QString::fromLatin1(DataFile::FileName) + QLatin1Char('.');
    const QFileInfoList candidates =
        dir.entryInfoList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    for (const QFileInfo &info : candidates) {
        if (info.isSymLink() || !info.isFile() || !isOurs(info.fileName()) || info.lastModified() >= before)
            continue;
        if (QFile::remove(info.absoluteFilePath()))
            removed.append(info.fileName());
    }
    return removed;
}

} // namespace varnook
