#include "FileHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace varnook::test {

QByteArray readBytes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("<unreadable>");
    return file.readAll();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
}

QStringList folderEntries(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool setModified(const QString &path, const QDateTime &time) {
    QFile file(path);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(time, QFileDevice::FileModificationTime);
}

qint64 secondsSinceModified(const QString &path) {
    return QFileInfo(path).lastModified().secsTo(QDateTime::currentDateTime());
}

qint64 endedProcessId() {
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"), {QStringLiteral("-c"), QStringLiteral("echo $$")});
    if (!shell.waitForFinished(10000) || shell.exitCode() != 0)
        return 0;
    return shell.readAllStandardOutput().trimmed().toLongLong();
}

QFileDevice::Permissions accessRights(const QString &path) {
    constexpr QFileDevice::Permissions all = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                             QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup |
                                             QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    return QFile::permissions(path) & all;
}

QByteArray hexBytes(const char *hex) {
    QByteArray digits(hex);
    digits.replace(' ', QByteArray());
    return QByteArray::fromHex(digits);
}

bool folderPermissionsApply() {
    QTemporaryDir scratch;
    QFile folder(scratch.path());
    if (!folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner))
        return false;
    QFile probe(QDir(scratch.path()).filePath(QStringLiteral("probe")));
    const bool written = probe.open(QIODevice::WriteOnly);
    probe.close();
    probe.remove();
    folder.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return !written;
}

} // namespace varnook::test
