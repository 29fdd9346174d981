#include "Messages.h"

#include "DataFolderLock.h"
#include "Platform.h"
#include "ShortenedText.h"

#include <QDir>
#include <QFileInfo>

namespace varnook {

namespace {
QString productName() {
    return platform().version.productName;
}

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}
} // namespace

namespace {

QString entryLines(const Entry &entry) {
    return QStringLiteral("    Username: ") + shortenedText(entry.username) + QStringLiteral("\n    Password: ") +
           shortenedText(entry.password) + QStringLiteral("\n    Used At: ") + shortenedText(entry.location);
}

} // namespace

QString Messages::entryConflict(const MergeConflict &conflict) {
    const bool deleted = conflict.change.kind == EntryChange::Kind::Delete;
    QString text;
    if (deleted)
        text = QStringLiteral("You deleted an entry here that another program changed in the data file meanwhile.");
    else if (conflict.inFile)
        text = QStringLiteral("You changed an entry here that another program changed in the data file meanwhile.");
    else
        text = QStringLiteral("You changed an entry here that another program deleted from the data file meanwhile.");
    text += QStringLiteral("\n\nHere:\n") +
            (deleted ? QStringLiteral("    (deleted)") : entryLines(conflict.change.after)) +
            QStringLiteral("\n\nIn the data file:\n") +
            (conflict.inFile ? entryLines(*conflict.inFile) : QStringLiteral("    (deleted)"));
    if (deleted)
        text += QStringLiteral("\n\nKeep Both and Keep the File's keep the entry as the file has it; Keep Mine "
                               "deletes it.");
    else if (conflict.inFile)
        text += QStringLiteral("\n\nKeep Both keeps the two entries; Keep Mine keeps only the one made here; Keep "
                               "the File's keeps only the one in the file.");
    else
        text += QStringLiteral("\n\nKeep Both and Keep Mine keep the entry as you changed it; Keep the File's "
                               "leaves it deleted.");
    return text;
}

QString Messages::applicationTitle() {
    return productName() + QStringLiteral(" Demo");
}

QString Messages::readFailed(const QString &path, const QString &reason) {
    return QStringLiteral("The data file could not be read:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\n") + productName() + QStringLiteral(" will now close without changing it.");
}

QString Messages::dataFileDamaged(const QString &path, const QString &reason) {
    // The reason reads as the end of "The file …": "it is cut short".
    QString sentence = reason;
    if (!sentence.isEmpty())
        sentence[0] = sentence[0].toUpper();
    return QStringLiteral("The data file is damaged and cannot be opened:\n") + shown(path) + QStringLiteral("\n\n") +
           sentence + QStringLiteral(".\n\n") + productName() +
           QStringLiteral(" will now close without changing it. A backup of the file, or the copy on another "
                          "computer, may still be whole.");
}

QString Messages::checkingMasterPassword() {
    return QStringLiteral("Checking the master password…");
}

QString Messages::createFailed(const QString &path, const QString &reason) {
    return QStringLiteral("The data file could not be written:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\n") + productName() + QStringLiteral(" will now close.");
}

QString Messages::saveFailed(const QString &path, const QString &reason, bool replaced) {
    // Say what the disk holds now: the old file, the new one, or nothing at all.
    const QFileInfo file(path);
    QString state;
    if (replaced)
        state = QStringLiteral("The file holds the new contents.");
    else if (!file.dir().exists())
        state = QStringLiteral("Its folder no longer exists, so there is no data file any more.");
    else if (!file.exists())
        state = QStringLiteral("There is no data file in its folder any more.");
    else
        state = QStringLiteral("The file keeps its previous contents.");
    return QStringLiteral("The data file could not be saved:\n") + shown(path) + QStringLiteral("\n\n") + reason +
           QStringLiteral("\n\n") + state +
           QStringLiteral(" The change stays in the list and is saved again with the next change.");
}

QString Messages::passwordNotStored(const QString &path, const QString &reason) {
    return QStringLiteral("The master password could not be stored in the data file:\n") + shown(path) +
           QStringLiteral("\n\n") + reason + QStringLiteral("\n\n") + productName() +
           QStringLiteral(" will now close.");
}

QString Messages::folderInUse(const QString &folder) {
    return productName() + QStringLiteral(" is already running with the data file in this folder:\n") + shown(folder) +
           QStringLiteral("\n\nOnly one copy at a time may use it, so this one will now close.");
}

QString Messages::lockTakenOver(const QString &folder, const QString &because) {
    return QStringLiteral("The lock of this data folder was left behind, and ") + productName() +
           QStringLiteral(" has taken it over, since ") + because + QStringLiteral(":\n") + shown(folder) +
           QStringLiteral("\n\nIf another copy is still using this folder, both can go on: each shows what the "
                          "other saves, and merges its own saves with it.");
}

QString Messages::folderOpenOnAnotherComputer(const QString &folder, const QString &host) {
    return QStringLiteral("A copy of ") + productName() + QStringLiteral(" on another computer (") + host +
           QStringLiteral(") is using the data file in this folder; it refreshed its lock less than %1 seconds ago:\n")
               .arg(DataFolderLock::StaleAfterSeconds) +
           shown(folder) +
           QStringLiteral("\n\nOpen the folder here as well? Both copies then merge each save with what the other "
                          "saved, and the copy on ") +
           host + QStringLiteral(" says in its status line that this one opened the folder.\n\nCancel closes ") +
           productName() + QStringLiteral(" here.");
}

QString Messages::openedAlongside(const QString &host) {
    return QStringLiteral("Another copy of ") + productName() + QStringLiteral(" has opened this data folder on ") +
           host + QStringLiteral("; saves from both are merged.");
}

QString Messages::lockTakenElsewhere(const QString &host) {
    return QStringLiteral("Another copy of ") + productName() + QStringLiteral(", on ") + host +
           QStringLiteral(", has taken over this data folder's lock; saves from both are merged.");
}

QString Messages::lockFailed(const QString &folder, const QString &reason) {
    return productName() +
           QStringLiteral(" cannot lock the data file's folder, so it could not keep a second copy "
                          "from overwriting its saves:\n") +
           shown(folder) + QStringLiteral("\n\n") + reason + QStringLiteral("\n\n") + productName() +
           QStringLiteral(" will now close.");
}

QString Messages::newPasswordRefused(MasterPasswordRules::Problem problem) {
    // The box has a Cancel button to point to.
    if (problem == MasterPasswordRules::Problem::Empty)
        return MasterPasswordRules::describe(problem) + QStringLiteral("  If you would like to quit, click Cancel.");
    return MasterPasswordRules::describe(problem);
}

} // namespace varnook
