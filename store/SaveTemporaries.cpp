#include "SaveTemporaries.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <csignal>

namespace varnook {

namespace {

const QLatin1StringView Marker(".varnook-save-");

bool isRunning(qint64 processId) {
    if (processId == QCoreApplication::applicationPid())
        return true;
    // A process of another user still answers, with EPERM.
    return ::kill(pid_t(processId), 0) == 0 || errno == EPERM;
}

} // namespace

QString SaveTemporaries::resolvedTarget(const QString &path) {
    // As many links as the system itself follows; a loop ends there and fails at the open.
    constexpr int MostLinks = 40;
    QFileInfo info(path);
    for (int links = 0; info.isSymLink() && links < MostLinks; ++links)
        info.setFile(info.symLinkTarget());
    return info.filePath();
}

QString SaveTemporaries::stagingPath(const QString &target) {
    return stagingPath(target, QCoreApplication::applicationPid());
}

QString SaveTemporaries::stagingPath(const QString &target, qint64 processId) {
    const QFileInfo info(target);
    return info.dir().filePath(QLatin1Char('.') + info.fileName() + Marker + QString::number(processId));
}

qint64 SaveTemporaries::makerOf(const QString &fileName, const QString &targetName) {
    const QRegularExpression pattern(QRegularExpression::anchoredPattern(
        QStringLiteral("\\.") + QRegularExpression::escape(targetName) + QRegularExpression::escape(Marker) +
        QStringLiteral("([1-9][0-9]{0,9})(\\.[A-Za-z0-9]{6})?")));
    const QRegularExpressionMatch match = pattern.match(fileName);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

QStringList SaveTemporaries::removeLeftovers(const QString &target, const QDateTime &before) {
    QStringList removed;
    const QFileInfo targetInfo(target);
    const QString targetName = targetInfo.fileName();
    const QFileInfoList candidates = targetInfo.dir().entryInfoList(
        {QLatin1Char('.') + targetName + Marker + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &info : candidates) {
        if (info.isSymLink() || !info.isFile() || info.lastModified() >= before)
            continue;
        const qint64 maker = makerOf(info.fileName(), targetName);
        if (maker == 0 || isRunning(maker))
            continue;
        if (QFile::remove(info.absoluteFilePath()))
            removed.append(info.fileName());
    }
    return removed;
}

} // namespace varnook
