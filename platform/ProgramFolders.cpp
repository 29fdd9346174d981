#include "ProgramFolders.h"

#include <QDir>
#include <QFileInfo>

namespace varnook {

namespace {

// The package's layout: <prefix>/bin/varnook beside <prefix>/share/varnook/Help.rtf.
QString installedFilesFolder(const QDir &executableFolder) {
    if (QFileInfo::exists(executableFolder.filePath(QString::fromLatin1(ProgramFolders::HelpFileName))))
        return {};
    const QString files = QDir::cleanPath(executableFolder.filePath(QStringLiteral("../share/varnook")));
    return QFileInfo(files).isDir() ? files : QString();
}

} // namespace

ProgramFolders ProgramFolders::forExecutableIn(const QString &executableFolder) {
    const QString here = QDir::cleanPath(QDir(executableFolder).absolutePath());
    const QDir folder(here);
    if (const QString files = installedFilesFolder(folder); !files.isEmpty())
        return {files, userDataFolder()};
    // A folder the user cannot write keeps the file it holds: it may be read, and a save's failure is told.
    const bool holdsData = QFileInfo::exists(folder.filePath(QString::fromLatin1(DataFileName)));
    if (holdsData || QFileInfo(here).isWritable())
        return {here, here};
    return {here, userDataFolder()};
}

QString ProgramFolders::userDataFolder() {
    // A relative XDG_DATA_HOME is invalid and is ignored, as the XDG base directory rules say.
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir::cleanPath(base + QLatin1Char('/') + QString::fromLatin1(UserFolderName));
}

bool ProgramFolders::makeDataFolder(const QString &folder) {
    const QFileInfo data(folder);
    if (data.isDir())
        return true;
    // The folders above it as any program makes them; the data folder itself for its owner only.
    QDir().mkpath(data.absolutePath());
    QDir().mkdir(data.absoluteFilePath(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFileInfo(folder).isDir();
}

} // namespace varnook
