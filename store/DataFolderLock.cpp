#include "DataFolderLock.h"

#include "DataFile.h"
#include "SaveTemporaries.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <vector>

namespace varnook {

namespace {

// A copy that is starting writes its lock file right after making it: an empty one younger than
// this may still be filled in.
constexpr qint64 FillingTimeSeconds = 5;

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// What a lock file holds, in the lines QLockFile reads: process, program, computer.
QByteArray ownLockContents() {
    return QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
           QCoreApplication::applicationName().toUtf8() + '\n' + QSysInfo::machineHostName().toUtf8() + '\n';
}

// How long ago, by this computer's clock, the file was last touched; negative when its time is
// ahead of ours. It is opened first, so that a network file system fetches its times from the
// server (close-to-open) instead of answering from its cache.
std::optional<qint64> secondsSinceTouched(const QString &path) {
    QFile file(path);
    const QDateTime touched = file.open(QIODevice::ReadOnly) ? file.fileTime(QFileDevice::FileModificationTime)
                                                             : QFileInfo(path).lastModified();
    if (!touched.isValid())
        return std::nullopt;
    return touched.secsTo(QDateTime::currentDateTime());
}

// Given no time, a network file system takes the file server's clock: the same one for every copy.
bool touch(const QString &path) {
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), nullptr, 0) == 0;
}

bool writeOwnerOnly(const QString &path, QIODevice::OpenMode mode, QString *failure) {
    QFile file(path);
    const QByteArray contents = ownLockContents();
    if (!file.open(mode, OwnerOnly) || !file.setPermissions(OwnerOnly) || file.write(contents) != contents.size() ||
        !file.flush()) {
        if (failure)
            *failure = file.errorString();
        return false;
    }
    return true;
}

// A mark is named for its copy's computer and process, so that two copies never share one; the
// computer's name is only a hint here, its contents say it.
QString ownMarkName() {
    QString host = QSysInfo::machineHostName();
    for (QChar &c : host) {
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.')
            c = u'_';
    }
    return QString::fromLatin1(DataFolderLock::FileName) + QLatin1Char('.') + host + QLatin1Char('.') +
           QString::number(QCoreApplication::applicationPid());
}

// The computer a mark names; nothing for a file of that name that is no mark.
std::optional<QString> hostOfMark(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = file.read(4096).split('\n');
    bool isNumber = false;
    if (lines.size() < 3 || lines[0].toLongLong(&isNumber) <= 0 || !isNumber || lines[2].isEmpty())
        return std::nullopt;
    return QString::fromUtf8(lines[2]);
}

struct Mark {
    QString name;
    QString host;
};

// The marks of copies that use the folder alongside its lock's holder and still refresh them. A
// mark not refreshed for the staleness period is its ended copy's, and is removed.
std::vector<Mark> liveMarks(const QString &folder) {
    const QDir dir(folder);
    std::vector<Mark> marks;
    const QStringList names = dir.entryList({QString::fromLatin1(DataFolderLock::FileName) + QStringLiteral(".*")},
                                            QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::Name);
    for (const QString &name : names) {
        const QString path = dir.filePath(name);
        const std::optional<QString> host = hostOfMark(path);
        const std::optional<qint64> age = secondsSinceTouched(path);
        if (!host || !age)
            continue;
        if (*age > DataFolderLock::StaleAfterSeconds)
            QFile::remove(path);
        else
            marks.push_back({name, *host});
    }
    return marks;
}

} // namespace

DataFolderLock::DataFolderLock(const QString &folder)
    : m_folder(folder)
    , m_lock(QDir(folder).filePath(QString::fromLatin1(FileName))) {
    // The program runs for hours: only a lock whose owner is gone counts as stale, never an old one.
    // Another computer's lock is judged here, by its refreshes.
    m_lock.setStaleLockTime(0);
}

DataFolderLock::~DataFolderLock() {
    unlock();
}

QString DataFolderLock::lockFilePath() const {
    return QDir(m_folder).filePath(QString::fromLatin1(FileName));
}

DataFolderLock::Result DataFolderLock::tryLock() {
    Result result;
    if (m_mark) {
        result.state = State::Alongside;
        return result;
    }
    if (m_lock.isLocked()) {
        result.state = State::Locked;
        return result;
    }
    // The lock file tells others this copy's process; no one else needs to read it.
    const mode_t oldMask = ::umask(077);
    bool locked = m_lock.tryLock(0);
    Holder holder;
    if (!locked && m_lock.error() == QLockFile::LockFailedError) {
        holder = blockingHolder();
        if (!holder.goneBecause.isEmpty() && m_lock.removeStaleLockFile()) {
            locked = m_lock.tryLock(0);
            if (locked)
                result.takenOverBecause = holder.goneBecause;
        }
    }
    ::umask(oldMask);
    if (locked) {
        lockTaken();
        result.state = State::Locked;
        for (const Mark &mark : liveMarks(m_folder))
            result.alongside.append(mark.host);
    } else if (m_lock.error() == QLockFile::LockFailedError) {
        result.state = holder.otherHost.isEmpty() ? State::HeldElsewhere : State::HeldOnAnotherComputer;
        result.otherHost = holder.otherHost;
    } else {
        result.state = State::Unavailable;
        result.failureReason = probeFailure();
    }
    return result;
}

DataFolderLock::Result DataFolderLock::openAlongside() {
    if (m_mark || m_lock.isLocked())
        return tryLock();
    Result result;
    const QString mark = QDir(m_folder).filePath(ownMarkName());
    if (!writeOwnerOnly(mark, QIODevice::WriteOnly | QIODevice::Truncate, &result.failureReason)) {
        QFile::remove(mark);
        result.state = State::Unavailable;
        return result;
    }
    m_mark = mark;
    result.state = State::Alongside;
    return result;
}

void DataFolderLock::unlock() {
    m_lock.unlock();
    if (m_mark)
        QFile::remove(*std::exchange(m_mark, std::nullopt));
}

DataFolderLock::Refreshed DataFolderLock::refresh() {
    Refreshed refreshed;
    if (m_mark) {
        // The holder removes a mark it found stale (this computer slept): it is written again.
        if (!touch(*m_mark))
            writeOwnerOnly(*m_mark, QIODevice::WriteOnly | QIODevice::Truncate, nullptr);
        return refreshed;
    }
    if (!m_lock.isLocked())
        return refreshed;

    qint64 pid = 0;
    QString host;
    QString application;
    const bool takenOver = m_lock.getLockInfo(&pid, &host, &application) &&
                           (pid != QCoreApplication::applicationPid() || host != QSysInfo::machineHostName());
    if (!takenOver) {
        touch(lockFilePath());
    } else if (!std::exchange(m_lossTold, true)) {
        // Not refreshed for a while (this computer slept), and taken over elsewhere. It is that
        // copy's now: touching it would keep it fresh after that copy ends.
        refreshed.lockTakenBy = host;
    }
    for (const Mark &mark : liveMarks(m_folder)) {
        if (!m_toldMarks.contains(mark.name)) {
            m_toldMarks.insert(mark.name);
            refreshed.openedAlongside.append(mark.host);
        }
    }
    return refreshed;
}

DataFolderLock::Holder DataFolderLock::blockingHolder() {
    // QLockFile itself takes over the lock of a process that has ended on this computer.
    Holder holder;
    qint64 pid = 0;
    QString hostName;
    QString application;
    if (!m_lock.getLockInfo(&pid, &hostName, &application)) {
        const QFileInfo info(lockFilePath());
        if (info.exists() && info.lastModified().secsTo(QDateTime::currentDateTime()) < FillingTimeSeconds)
            return holder;
        holder.goneBecause = QStringLiteral("its lock file could not be read (it is empty or damaged)");
        return holder;
    }
    if (hostName == QSysInfo::machineHostName())
        return holder;
    // Whether a copy on another computer lives shows only in its refreshes.
    const std::optional<qint64> age = secondsSinceTouched(lockFilePath());
    if (age && *age > StaleAfterSeconds)
        holder.goneBecause = QStringLiteral("its lock file was made on another computer (%1) and has not been "
                                            "refreshed for over %2 seconds")
                                 .arg(hostName)
                                 .arg(StaleAfterSeconds);
    else
        holder.otherHost = hostName;
    return holder;
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
    QFile::setPermissions(lockFilePath(), OwnerOnly);
    // A save temporary older than this lock is no running save's: no other copy holds the folder.
    const QDateTime lockedAt = QFileInfo(lockFilePath()).lastModified();
    SaveTemporaries::removeLeftovers(
        SaveTemporaries::resolvedTarget(QDir(m_folder).filePath(QString::fromLatin1(DataFile::FileName))),
        lockedAt.isValid() ? lockedAt : QDateTime::currentDateTime());
}

} // namespace varnook
