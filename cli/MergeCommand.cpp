#include "MergeCommand.h"

#include "Console.h"
#include "DataFile.h"
#include "DataFileUnlock.h"
#include "DataFolderLock.h"
#include "DataLoader.h"
#include "EntryMerge.h"
#include "MasterPasswordInput.h"

#include <QDir>
#include <QFileInfo>

namespace varnook {

namespace {

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

// Reads a data file that must exist and have a master password; tells why not otherwise.
std::optional<LoadResult> readExisting(const QString &path, bool ours) {
    const QString which = ours ? QStringLiteral("The data file") : QStringLiteral("The file to merge");
    if (!QFileInfo(path).isFile()) {
        Console::err(which + QStringLiteral(" was not found: ") + shown(path));
        return std::nullopt;
    }
    QByteArray bytes;
    if (const FileResult read = DataFile(path).read(bytes); !read) {
        Console::err(which + QStringLiteral(" could not be read: ") + shown(path) + QStringLiteral("\n") +
                     read.reason());
        return std::nullopt;
    }
    LoadResult result = DataLoader::fromBytes(bytes);
    // A protected file always has one; whether it is whole is told once it is opened.
    if (result.state == LoadResult::State::NeedsMasterPassword) {
        Console::err(which + QStringLiteral(" has no master password line: ") + shown(path));
        return std::nullopt;
    }
    return result;
}

} // namespace

std::optional<ExitCode> MergeCommand::unlockOther(LoadResult &other, const QString &ours) const {
    const DataFileUnlock::Names names{QStringLiteral("The file to merge"),
                                      QStringLiteral("Master password of the file to merge: ")};
    // The other file's own password is asked only where it has another: a protected one is first
    // tried with the data file's.
    switch (other.state) {
    case LoadResult::State::HasMasterPassword:
        if (other.masterPassword == ours)
            return std::nullopt;
        break;
    case LoadResult::State::Protected: {
        bool noMemory = false;
        if (DataFileUnlock::tryPassword(other, ours, noMemory)) {
            if (noMemory) {
                DataFileUnlock::tellNoMemory(other.header.cost);
                return ExitCode::FileFailure;
            }
            if (other.state == LoadResult::State::Damaged)
                break; // told by unlock below
            return std::nullopt;
        }
        break;
    }
    default:
        break;
    }
    return DataFileUnlock::unlock(other, m_otherFile, names);
}

ExitCode MergeCommand::run() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    const QString ours = m_folder.dataFilePath();
    if (QFileInfo(m_otherFile).canonicalFilePath() == QFileInfo(ours).canonicalFilePath()) {
        Console::err(QStringLiteral("The file to merge is the data file itself: ") + shown(ours));
        return ExitCode::Usage;
    }
    std::optional<LoadResult> other = readExisting(m_otherFile, false);
    if (!other)
        return ExitCode::FileFailure;

    // Held until the save is done, so that Varnook cannot start on the folder in between.
    DataFolderLock lock(m_folder.path());
    if (const std::optional<ExitCode> refused = m_folder.lockOrTell(lock, QStringLiteral("merged")))
        return *refused;
    std::optional<LoadResult> stored = readExisting(ours, true);
    if (!stored)
        return ExitCode::FileFailure;

    if (const std::optional<ExitCode> refused = DataFileUnlock::unlock(*stored, ours, DataFileUnlock::dataFile()))
        return *refused;
    if (const std::optional<ExitCode> refused = unlockOther(*other, stored->masterPassword))
        return *refused;

    EntryMerge::Rows rows{std::move(stored->entries), std::move(stored->storedLines)};
    const EntryMerge::Rows missing =
        EntryMerge::missingFrom(rows, {std::move(other->entries), std::move(other->storedLines)});
    if (missing.entries.empty()) {
        Console::out(
            QStringLiteral("Nothing to merge: every entry of %1 is in the data file already.").arg(shown(m_otherFile)));
        return ExitCode::Success;
    }
    rows.entries.insert(rows.entries.end(), missing.entries.begin(), missing.entries.end());
    rows.lines.insert(rows.lines.end(), missing.lines.begin(), missing.lines.end());
    const EntryLines lines(qsizetype(rows.lines.size()),
                           [&rows](qsizetype i) { return rows.lines[size_t(i)].bytes(); });
    // A protected data file stays protected, under its own key.
    if (const FileResult saved = DataFile(ours).saveLines(stored->masterPassword, lines, nullptr, stored->key.get());
        !saved) {
        Console::err(
            QStringLiteral("The data file could not be saved: ") + shown(ours) + QStringLiteral("\n") + saved.reason() +
            (saved.replaced() ? QStringLiteral("\nIt holds the merged entries, but they may not be safe on disk.")
                              : QStringLiteral("\nIt keeps its previous contents; nothing was merged.")));
        return ExitCode::FileFailure;
    }
    Console::out(QStringLiteral("Merged %1 from %2; the data file now holds %3.")
                     .arg(Console::entries(qsizetype(missing.entries.size())), shown(m_otherFile),
                          Console::entries(qsizetype(rows.entries.size()))));
    return ExitCode::Success;
}

} // namespace varnook
