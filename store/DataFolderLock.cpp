#include "DataFolderLock.h"

#include "DataFile.h"
#include "SaveTemporaries.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryFile>

#include <sys/stat.h>

namespace varnook {

namespace {

// A copy that is starting writes its lock file right after making it: an empty one younger than
// this may still be filled in.
constexpr qint64 FillingTimeSeconds = 5;

} // namespace

DataFolderLock::DataFolderLock(const QString &folder)
    : m_folder(folder)
    , m_lock(QDir(folder).filePath(QString::fromLatin1(FileName))) {
    // The program runs for hours: only a lock whose owner is gone counts as stale, never an old one.
    m_lock.setStaleLockTime(0);
}

QString DataFolderLock::lockFilePath() const {
    return QDir(m_folder).filePath(QString::fromLatin1(FileName));
}

DataFolderLock::Result DataFolderLock::tryLock() {
    Result result;
    if (m_lock.isLocked()) {
        result.state = State::Locked;
        return result;
    }
    // The lock file tells others this copy's process; no one else needs to read it.
    const mode_t oldMask = ::umask(077);
    bool locked = m_lock.tryLock(0);
    if (!locked && m_lock.error() == QLockFile::LockFailedError) {
        if (const QString why = whyOwnerIsGone(); !why.isEmpty() && m_lock.removeStaleLockFile()) {
            locked = m_lock.tryLock(0);
            if (locked)
                result.takenOverBecause = why;
        }
    }
    ::umask(oldMask);
    if (locked) {
        lockTaken();
        result.state = State::Locked;
    } else if (m_lock.error() == QLockFile::LockFailedError) {
        result.state = State::HeldElsewhere;
    } else {
        result.state = State::Unavailable;
        result.failureReason = probeFailure();
    }
    return result;
}

QString DataFolderLock::whyOwnerIsGone() {
    // QLockFile itself takes over the lock of a process that has ended on this computer.
    qint64 pid = 0;
    QString hostName;
    QString application;
    if (!m_lock.getLockInfo(&pid, &hostName, &application)) {
        const QFileInfo info(lockFilePath());
        if (info.exists() && info.lastModified().secsTo(QDateTime::currentDateTime()) < FillingTimeSeconds)
            return {};
        return QStringLiteral("its lock file could not be read (it is empty or damaged)");
    }
    if (hostName != QSysInfo::machineHostName())
        return QStringLiteral("its lock file was made on another computer (%1)").arg(hostName);
    return {};
}

QString DataFolderLock::probeFailure() const {
    // QLockFile does not say why; a file of our own in the same place finds the system's reason.
    if (!QFileInfo(m_folder).isDir())
        return QStringLiteral("The folder does not exist.");
    QTemporaryFile probe(lockFilePath() + QStringLiteral(".XXXXXX"));
    if (!probe.open())
        return probe.errorString();
    if (probe.write("0\n", 2) != 2 || !probe.flush())
        return probe.errorString();
    return QStringLiteral("The lock file could not be made.");
}

void DataFolderLock::lockTaken() {
    QFile::setPermissions(lockFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // A save temporary older than this lock is no running save's: no other copy holds the folder.
    const QDateTime lockedAt = QFileInfo(lockFilePath()).lastModified();
    SaveTemporaries::removeLeftovers(
        SaveTemporaries::resolvedTarget(QDir(m_folder).filePath(QString::fromLatin1(DataFile::FileName))),
        lockedAt.isValid() ? lockedAt : QDateTime::currentDateTime());
}

} // namespace varnook
