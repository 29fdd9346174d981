#include "DataFileRewrite.h"

#include "Console.h"
#include "DataFile.h"
#include "DiskState.h"

#include <QDir>
#include <QFileInfo>

namespace varnook {

namespace {

QString shown(const QString &path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

std::optional<ExitCode> DataFileRewrite::begin() {
    if (!m_folder.existsOrTell())
        return ExitCode::FileFailure;
    // Held until the new file is in place, so that Varnook cannot start on the folder in between.
    if (const std::optional<ExitCode> refused = m_folder.lockOrTell(m_lock, QStringLiteral("changed")))
        return refused;
    if (!QFileInfo::exists(path())) {
        m_folder.tellMissing();
        return ExitCode::FileFailure;
    }
    m_read = DataLoader::readExisting(DataFile(path()));
    switch (m_read.state) {
    case LoadResult::State::CouldNotRead:
    case LoadResult::State::CouldNotCreate:
        m_folder.tellReadFailure(m_read.reason);
        return ExitCode::FileFailure;
    case LoadResult::State::NeedsMasterPassword:
        Console::err(QStringLiteral("The data file has no master password yet, so nothing was changed. Varnook asks "
                                    "for a new one at its next start."));
        return ExitCode::FileHasProblems;
    case LoadResult::State::HasMasterPassword:
    case LoadResult::State::Protected:
    case LoadResult::State::Damaged:
        break;
    }
    // A sync engine still writing the file: its bytes may be half of a file.
    if (m_read.changedWhileRead) {
        Console::err(QStringLiteral("Another program was changing the data file while it was read: ") + shown(path()) +
                     QStringLiteral("\nNothing was changed; try again once it is done."));
        return ExitCode::FileFailure;
    }
    return std::nullopt;
}

ExitCode DataFileRewrite::finish(QByteArrayView plain, const FileKey *key, const QString &done) {
    const DataFile file(path());
    // The lock keeps Varnook away, but not a sync engine bringing another computer's save while the
    // passwords were typed: that save must not be written over.
    QByteArray now;
    if (const FileResult readAgain = file.read(now); !readAgain || ContentHash::of(now) != m_read.disk.hash()) {
        Console::err(QStringLiteral("Another program changed the data file just now: ") + shown(path()) +
                     QStringLiteral("\nNothing was changed; try again."));
        return ExitCode::FileFailure;
    }
    if (const FileResult saved = file.writePlain(plain, key); !saved) {
        Console::err(QStringLiteral("The data file could not be saved: ") + shown(path()) + QStringLiteral("\n") +
                     saved.reason() +
                     (saved.replaced() ? QStringLiteral("\nIt was replaced, but the new file may not be safe on disk.")
                                       : QStringLiteral("\nIt keeps its previous contents; nothing was changed.")));
        return ExitCode::FileFailure;
    }
    Console::out(done);
    return ExitCode::Success;
}

} // namespace varnook
