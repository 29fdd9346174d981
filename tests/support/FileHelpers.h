#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFileDevice>
#include <QString>
#include <QStringList>

namespace varnook::test {

QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// The names in a folder, hidden ones included, sorted.
QStringList folderEntries(const QString &folder);
// Sets a file's modification time; false when it could not.
bool setModified(const QString &path, const QDateTime &time);
// How many seconds ago a file was modified (negative: its time is ahead).
qint64 secondsSinceModified(const QString &path);
// The owner, group and other rights of a file (not the "user" rights, which repeat the owner's).
QFileDevice::Permissions accessRights(const QString &path);
// Bytes from a hex text such as "E1 E2 0D 0A"; blanks are ignored.
QByteArray hexBytes(const char *hex);

// The id of a process that has ended (a shell that printed it), for files named after a process.
qint64 endedProcessId();

// True when taking the write permission away from a folder stops this process writing into it.
// It does not for the super-user, so tests of a read-only folder skip themselves then.
bool folderPermissionsApply();

} // namespace varnook::test
