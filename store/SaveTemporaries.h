#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace varnook {

// The files a save makes beside its target before putting the new bytes in its place, and the
// clean-up of those that a killed save left behind. A save of "data.enc" writes into
// ".data.enc.varnook-save-<process id>": through a file without a name where the system gives one
// (nothing is left if the save dies), else through that name plus a dot and six random characters.
// Each may hold every password, and no person would give a backup such a name, so only these are
// ever removed: "data.enc.backup" or "data.enc.2024Q1" beside the file are the user's own.
class SaveTemporaries {
public:
    // The file a save of path replaces: path, or the file its symbolic links lead to, so that a
    // save keeps the links and writes beside the file itself.
    static QString resolvedTarget(const QString &path);
    // Where this process's save of target (a resolved one) writes before the rename.
    static QString stagingPath(const QString &target);
    static QString stagingPath(const QString &target, qint64 processId);
    // The process that made fileName, when it is a save temporary of the file named targetName; else 0.
    static qint64 makerOf(const QString &fileName, const QString &targetName);
    // Removes the save temporaries of target (a resolved one) last changed before time whose process has ended;
    // yields the names removed.
    static QStringList removeLeftovers(const QString &target, const QDateTime &before);
};

} // namespace varnook
