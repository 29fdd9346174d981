#include "DataFolder.h"

#include "Console.h"
#include "DataFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace varnook {

DataFolder::DataFolder(const QString &given)
    : m_path(QDir::cleanPath(QDir(given.isEmpty() ? QCoreApplication::applicationDirPath() : given).absolutePath())) {}

QString DataFolder::dataFilePath() const {
    return QDir(m_path).filePath(QString::fromLatin1(DataFile::FileName));
}

bool DataFolder::existsOrTell() const {
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

} // namespace varnook
