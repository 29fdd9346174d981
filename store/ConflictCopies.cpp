#include "ConflictCopies.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace varnook {

bool ConflictCopies::isConflictCopy(const QString &fileName, const QString &dataFileName) {
    const QFileInfo data(dataFileName);
    const QString base = QRegularExpression::escape(data.completeBaseName());
    const QString suffix = QRegularExpression::escape(QLatin1Char('.') + data.suffix());
    static const QString shapes = QStringLiteral("(?:\\.sync-conflict-\\d{8}-\\d{6}-[A-Z0-9]{7}" // Syncthing
                                                 "| \\(conflicted copy [^()/]+\\)"               // Nextcloud, ownCloud
                                                 "| \\([^()/]+['\\x{2019}]s conflicted copy[^()/]*\\))"); // Dropbox
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(base + shapes + suffix));
    return pattern.match(fileName).hasMatch();
}

QStringList ConflictCopies::besides(const QString &dataFile) {
    const QFileInfo data(dataFile);
    QStringList copies;
    const QFileInfoList candidates = data.dir().entryInfoList({data.completeBaseName() + QStringLiteral("*")},
                                                              QDir::Files | QDir::Hidden, QDir::Name);
    for (const QFileInfo &candidate : candidates) {
        if (isConflictCopy(candidate.fileName(), data.fileName()))
            copies.append(candidate.absoluteFilePath());
    }
    return copies;
}

} // namespace varnook
