#include "DataFolder.h"

#include "Console.h"
#include "DataFile.h"
#include "DataFolderLock.h"
#include "ProgramFolders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace varnook {

namespace {

QString chosenFolder(const QString &given) {
    if (!given.isEmpty())
        return given;
    return ProgramFolders::forExecutableIn(QCoreApplication::applicationDirPath()).dataFolder;
}

} // namespace

DataFolder::DataFolder(const QString &given)
    : m_path(QDir::cleanPath(QDir(chosenFolder(given)).absolutePath()))
    , m_standard(given.isEmpty()) {}

QString DataFolder::dataFilePath() const {
    return QDir(m_path).filePath(QString::fromLatin1(DataFile::FileName));
}

bool DataFolder::existsOrTell() const {
    // The user's data folder is made at the first use, as the program makes it at its first start.
    if (m_standard)
        ProgramFolders::makeDataFolder(m_path);
    if (QFileInfo(m_path).isDir())
        return true;
    Console::err(QStringLiteral("The folder does not exist: ") + QDir::toNativeSeparators(m_path));
    return false;
}

void DataFolder::tellReadFailure(const QString &reason) const {
    Console::err(QStringLiteral("The data file could not be read: ") + QDir::toNativeSeparators(dataFilePath()) +
                 QStringLiteral("\n") + reason);
}

bool DataFolder::openExistingDataFileOrTell(QFile &file) const {
    const QString path = dataFilePath();
    if (!QFileInfo::exists(path)) {
        tellMissing();
        return false;
    }
    if (const FileResult opened = DataFile(path).openForReading(file); !opened) {
        tellReadFailure(opened.reason());
        return false;
    }
    return true;
}

void DataFolder::tellMissing() const {
    Console::err(QStringLiteral("There is no data file in this folder: ") + QDir::toNativeSeparators(m_path));
}

std::optional<ExitCode> DataFolder::lockOrTell(DataFolderLock &lock, const QString &done) const {
    const QString folder = QDir::toNativeSeparators(m_path);
    const DataFolderLock::Result locking = lock.tryLock();
    QString elsewhere = locking.otherHost;
    switch (locking.state) {
    case DataFolderLock::State::Locked:
        if (!locking.takenOverBecause.isEmpty())
            Console::err(QStringLiteral("The lock of this folder was left behind and has been taken over, since ") +
                         locking.takenOverBecause + QStringLiteral(": ") + folder);
        // A copy that opened the folder beside the lock's last holder saves whenever it likes.
        if (locking.alongside.isEmpty())
            return std::nullopt;
        lock.unlock();
        elsewhere = locking.alongside.first();
        break;
    case DataFolderLock::State::Alongside: // only after openAlongside(), which a command never calls
    case DataFolderLock::State::HeldOnAnotherComputer:
        break;
    case DataFolderLock::State::HeldElsewhere:
        Console::err(QStringLiteral("Varnook is running with the data file in this folder: ") + folder +
                     QStringLiteral("\nClose it and try again; nothing was ") + done + QStringLiteral("."));
        return ExitCode::FolderInUse;
    case DataFolderLock::State::Unavailable:
        // Without the lock a running Varnook could overwrite the command's save, or the command its saves.
        Console::err(QStringLiteral("The folder could not be locked: ") + folder + QStringLiteral("\n") +
                     locking.failureReason + QStringLiteral("\nNothing was ") + done + QStringLiteral("."));
        return ExitCode::FileFailure;
    }
    Console::err(QStringLiteral("Varnook is running with the data file in this folder on another computer (") +
                 elsewhere + QStringLiteral("): ") + folder +
                 QStringLiteral("\nClose it there and try again; nothing was ") + done + QStringLiteral("."));
    return ExitCode::FolderInUse;
}

} // namespace varnook
