#include "Session.h"

#include "BackgroundRead.h"
#include "ConflictCopies.h"
#include "DataFileFormat.h"
#include "DataFileKey.h"
#include "DataLoader.h"
#include "HeldLines.h"
#include "MasterPasswordDialogs.h"
#include "Messages.h"
#include "Platform.h"
#include "ProgramFolders.h"
#include "ProtectedLogin.h"
#include "UnlockDataFile.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QScopeGuard>
#include <QThread>

#include <algorithm>
#include <string_view>

namespace varnook {

namespace {

// A start that ended without opening the list (refused login, cancelled creation, unreadable file)
// is no normal end: scripts must be able to tell the two apart.
constexpr int StartRefusedExitCode = 1;
// Changes come in bursts (a sync engine writes, renames, touches the folder): one look after them.
constexpr int SettleMs = 150;
// A file is read only once it has kept its identity this long: one still being written in place
// (a sync engine, an editor) is not read half-way.
constexpr int QuietMs = 300;
// A file that changed while it was read is read again, this many times at most.
constexpr int HalfWrittenReads = 5;

// Whether two versions of the file hold the same bytes. Files of different sizes differ: their
// digests (one may still be worked out) are not waited for.
// The system's general date format: short date, a blank, long time.
QString savedStamp() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

} // namespace

Session::Session(DataFile file, QObject *parent)
    : QObject(parent)
    , m_file(std::move(file)) {
    m_checkSoon.setSingleShot(true);
    connect(&m_checkSoon, &QTimer::timeout, this, &Session::checkForChanges);
    const auto settle = [this] {
        if (!m_checkSoon.isActive())
            m_checkSoon.start(SettleMs);
    };
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, settle);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, settle);
}

// The folder rule looks for the file the store reads and writes.
static_assert(std::string_view(DataFile::FileName) == ProgramFolders::DataFileName);

DataFile Session::inDataFolder() {
    return DataFile(platform().dataFile(QString::fromLatin1(DataFile::FileName)));
}

Session::~Session() = default;

void Session::startReading() {
    if (!m_reading)
        m_reading = std::make_unique<BackgroundRead>(m_file);
}

bool Session::load() {
    // The box is up while the file is read; a read begun earlier is taken as it is.
    startReading();
    const std::unique_ptr<BackgroundRead> reading = std::move(m_reading);
    std::optional<UnlockedData> unlocked = unlockDataFile(m_file, *reading);
    if (!unlocked) {
        platform().process->endProgram(StartRefusedExitCode);
        return false;
    }
    m_masterPassword = unlocked->masterPassword;
    m_key = std::move(unlocked->key);
    const qsizetype count = qsizetype(unlocked->storedLines.size());
    const EntryTableModel::RowId first = m_entries.append(std::move(unlocked->storedLines));
    // The list shows the file's lines in their order, under consecutive ids.
    m_fileOrder.resize(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        m_fileOrder[size_t(i)] = first + EntryTableModel::RowId(i);
    m_disk = unlocked->disk;
    watch();
    emit status(unlocked->status);
    // Once the window that asks is on the screen.
    QTimer::singleShot(0, this, &Session::mergeConflictCopies);
    return true;
}

bool Session::lock() {
    if ((m_unsaved || !m_pending.empty()) && !save())
        return false;
    m_checkSoon.stop();
    replaceRows({}, {});
    m_pending.clear();
    m_declinedCopies.clear();
    // The text's own buffer is overwritten before it goes.
    m_masterPassword.fill(QChar(u'\0'));
    m_masterPassword.clear();
    m_key.reset();
    m_disk = {};
    m_seen = {};
    return true;
}

EntryTableModel::RowId Session::appendRows(const std::vector<Entry> &entries, std::vector<StoredLine> lines) {
    return m_entries.append(std::move(lines), entries);
}

void Session::replaceRows(const std::vector<Entry> &entries, std::vector<StoredLine> lines,
                          std::vector<EntryTableModel::RowId> heldIds) {
    m_fileOrder = m_entries.replaceAll(std::move(lines), entries, heldIds);
}

LoadResult Session::readFile(std::vector<EntryTableModel::RowId> &heldIds) const {
    HeldLines held(m_entries, m_fileOrder);
    heldIds.clear();
    return DataLoader::readExisting(m_file, m_key, [&held, &heldIds](QByteArrayView line) {
        heldIds.push_back(held.take(line));
        return heldIds.back() != 0;
    });
}

bool Session::holdsWhatWasWritten(const LoadResult &read, const std::vector<EntryTableModel::RowId> &heldIds) const {
    // Every line is one the list's rows still hold, in the order last written, under the same
    // master password and form: the file says nothing the list does not.
    const bool sameForm = read.state == LoadResult::State::HasMasterPassword && read.key == m_key;
    return sameForm && read.masterPassword == m_masterPassword && heldIds == m_fileOrder &&
           std::find(heldIds.begin(), heldIds.end(), EntryTableModel::RowId(0)) == heldIds.end();
}

EntryMerge::Rows Session::rowsOf(LoadResult &read, std::vector<EntryTableModel::RowId> heldIds) const {
    EntryMerge::Rows rows{std::move(read.entries), std::move(read.storedLines)};
    if (!heldIds.empty()) {
        rows.held = m_entries.storedLinesOf(heldIds);
        rows.heldIds = std::move(heldIds);
    }
    return rows;
}

void Session::watch() {
    // The folder too: a new file renamed over this one is another inode, which the file's watch loses.
    const QString folder = QFileInfo(m_file.path()).absolutePath();
    if (!m_watcher.directories().contains(folder))
        m_watcher.addPath(folder);
    if (QFileInfo::exists(m_file.path()) && !m_watcher.files().contains(m_file.path()))
        m_watcher.addPath(m_file.path());
}

void Session::markSaved() {
    m_unsaved = false;
    m_unsavedReason.clear();
}

void Session::markUnsaved(const QString &reason) {
    m_unsaved = true;
    m_unsavedReason = reason;
}

std::optional<LoadResult> Session::readChangedFile(std::vector<EntryTableModel::RowId> &heldIds, QString *reason) {
    for (int read = 1;; ++read) {
        LoadResult result = readFile(heldIds);
        if (result.state == LoadResult::State::CouldNotRead || result.state == LoadResult::State::CouldNotCreate) {
            *reason = result.reason;
            return std::nullopt;
        }
        if (!result.changedWhileRead)
            return result;
        if (read == HalfWrittenReads) {
            *reason = QStringLiteral("Another program is still writing the data file.");
            return std::nullopt;
        }
        QThread::msleep(QuietMs);
    }
}

bool Session::waitUntilQuiet() {
    // Before a save there is no event loop to wait in: a short sleep, bounded, and only for a file
    // changed within the quiet time (a sync engine gives a file the other computer's time, seconds old).
    FileIdentity seen = FileIdentity::of(m_file.path());
    for (int look = 0; look < HalfWrittenReads; ++look) {
        const qint64 ageMs = QDateTime::currentMSecsSinceEpoch() - seen.modifiedNs / 1'000'000;
        if (ageMs >= QuietMs)
            return true;
        QThread::msleep(ulong(std::clamp<qint64>(QuietMs - ageMs, 1, QuietMs)));
        const FileIdentity now = FileIdentity::of(m_file.path());
        if (now == seen)
            return true;
        seen = now;
    }
    return false;
}

bool Session::acceptMasterPasswordOf(LoadResult &read, QString *reason) {
    if (read.state == LoadResult::State::Protected) {
        // Protected elsewhere, or under another master password: only someone who knows it may see it.
        if (!ProtectedLogin::open(read))
            return false;
        if (read.state == LoadResult::State::Damaged) {
            if (reason)
                *reason = read.reason;
            return false;
        }
        m_masterPassword = read.masterPassword;
        return true;
    }
    if (read.state != LoadResult::State::HasMasterPassword || read.masterPassword == m_masterPassword)
        return true;
    // Another copy of the file has another master password: only someone who knows it may see it.
    if (!MasterPasswordDialogs::login(read.masterPassword))
        return false;
    m_masterPassword = read.masterPassword;
    return true;
}

void Session::checkForChanges() {
    if (m_checking || !m_disk.isKnown())
        return;
    watch();
    // Never under an open box: a command waiting for its answer holds a row of the list as it is.
    if (QApplication::activeModalWidget()) {
        m_checkSoon.start(QuietMs);
        return;
    }
    mergeConflictCopies();
    const FileIdentity now = FileIdentity::of(m_file.path());
    if (now == m_disk.identity())
        return;
    if (!(now == m_seen)) {
        m_seen = now; // looked at again once it has been quiet a while
        m_checkSoon.start(QuietMs);
        return;
    }
    if (!now.exists) {
        if (!m_removalTold)
            emit status(QStringLiteral("The data file was removed by another program. The next change asks before "
                                       "making it again."));
        m_removalTold = true;
        return;
    }
    m_removalTold = false;
    if (m_unsaved)
        return; // the next save carries the changes made here into the new file

    m_checking = true;
    const auto done = qScopeGuard([this] { m_checking = false; });
    emit reloadStarted();
    std::vector<EntryTableModel::RowId> heldIds;
    LoadResult read = readFile(heldIds);
    if (read.state == LoadResult::State::CouldNotRead || read.state == LoadResult::State::CouldNotCreate)
        return; // looked at again at the next change, and before the next save
    if (read.changedWhileRead || !(read.disk.identity() == now)) {
        m_seen = {};
        m_checkSoon.start(QuietMs);
        return;
    }
    if (read.disk.sameBytesAs(m_disk) || holdsWhatWasWritten(read, heldIds)) {
        m_disk = read.disk; // written again, the same
        QTimer::singleShot(0, this, &Session::mergeConflictCopies);
        return;
    }
    if (read.state == LoadResult::State::Damaged) {
        emit status(QStringLiteral("Not reloaded: the data file was changed by another program and is damaged (%1); "
                                   "the list stays as it was.")
                        .arg(read.reason));
        return;
    }
    if (read.state == LoadResult::State::NeedsMasterPassword) {
        emit status(QStringLiteral("The data file was changed by another program and has no master password now; "
                                   "the list stays as it was."));
        return;
    }
    QString damage;
    if (!acceptMasterPasswordOf(read, &damage)) {
        emit status(damage.isEmpty()
                        ? QStringLiteral("Not reloaded: the data file was changed by another program, under another "
                                         "master password. The next change asks for it again.")
                        : QStringLiteral("Not reloaded: the data file was changed by another program and is damaged "
                                         "(%1); the list stays as it was.")
                              .arg(damage));
        return;
    }
    m_key = read.key; // the form the file has now
    const int count = int(heldIds.empty() ? read.entries.size() : heldIds.size());
    replaceRows(std::move(read.entries), std::move(read.storedLines), std::move(heldIds));
    m_disk = read.disk;
    m_pending.clear();
    emit status(QStringLiteral("Reloaded: the data file was changed by another program. Loaded %1 entries").arg(count));
    QTimer::singleShot(0, this, &Session::mergeConflictCopies); // once this look has ended
}

void Session::mergeConflictCopies() {
    if (m_checking || !m_disk.isKnown())
        return;
    // A copy is weighed against the list only while the list shows the file on disk. The copy is
    // often this computer's own last save, moved aside as the other computer's file came in: against
    // the list as it was, it would seem to hold nothing new, and the entries saved here would be lost
    // with it. Once the new file shows, the copies are looked at again.
    if (!(FileIdentity::of(m_file.path()) == m_disk.identity()))
        return;
    m_checking = true;
    const auto done = qScopeGuard([this] { m_checking = false; });
    for (const QString &copy : ConflictCopies::besides(m_file.path())) {
        if (m_declinedCopies.contains(copy))
            continue;
        LoadResult read = DataLoader::readExisting(DataFile(copy), m_key);
        if (read.state == LoadResult::State::Protected) {
            // Its entries are counted only once someone who knows its master password has opened it.
            QString damage;
            const QString ourPassword = m_masterPassword;
            const bool opened = acceptMasterPasswordOf(read, &damage);
            m_masterPassword = ourPassword;
            if (!opened) {
                m_declinedCopies.append(copy);
                emit status(damage.isEmpty() ? QStringLiteral("The conflict copy %1 was left as it is: its master "
                                                              "password was not given.")
                                                   .arg(QFileInfo(copy).fileName())
                                             : QStringLiteral("The conflict copy %1 could not be read: it %2")
                                                   .arg(QFileInfo(copy).fileName(), damage));
                continue;
            }
        }
        if (read.state == LoadResult::State::Damaged) {
            m_declinedCopies.append(copy);
            emit status(QStringLiteral("The conflict copy %1 could not be read: it %2")
                            .arg(QFileInfo(copy).fileName(), read.reason));
            continue;
        }
        if (read.state == LoadResult::State::CouldNotRead || read.state == LoadResult::State::CouldNotCreate) {
            m_declinedCopies.append(copy);
            emit status(QStringLiteral("The conflict copy %1 could not be read: %2")
                            .arg(QFileInfo(copy).fileName(), read.reason));
            continue;
        }
        const std::vector<Entry> shown = m_entries.entries();
        const EntryMerge::Rows missing =
            EntryMerge::missingFrom({shown, {}}, {std::move(read.entries), std::move(read.storedLines)});
        MessageBoxRequest question;
        question.text = QStringLiteral("A sync engine left a conflicting copy of the data file beside it:\n") +
                        QDir::toNativeSeparators(copy) +
                        QStringLiteral("\n\nIt holds %1 entries that the list does not have. Merge them into the "
                                       "list? The copy is removed once they are saved; Cancel leaves it as it is.")
                            .arg(missing.entries.size());
        question.title = Messages::applicationTitle();
        question.buttons = MessageButtons::OkCancel;
        question.icon = MessageIcon::Warning;
        question.defaultButton = MessageAnswer::Ok;
        if (platform().dialogs->messageBox(question) != MessageAnswer::Ok) {
            m_declinedCopies.append(copy);
            continue;
        }
        // A copy under another master password is for someone who knows that one too.
        if (!read.key && read.state == LoadResult::State::HasMasterPassword &&
            read.masterPassword != m_masterPassword && !MasterPasswordDialogs::login(read.masterPassword)) {
            m_declinedCopies.append(copy);
            continue;
        }
        for (const Entry &entry : missing.entries)
            m_pending.push_back({EntryChange::Kind::Add, {}, entry});
        const qsizetype count = qsizetype(missing.entries.size());
        appendRows(missing.entries, missing.lines);
        if (!save()) {
            m_declinedCopies.append(copy);
            continue;
        }
        QFile::remove(copy);
        emit status(
            QStringLiteral("Merged %1 entries from the conflict copy %2").arg(count).arg(QFileInfo(copy).fileName()));
    }
}

bool Session::askToCreateAgain() {
    MessageBoxRequest question;
    question.text = QStringLiteral("The data file was removed by another program:\n") +
                    QDir::toNativeSeparators(m_file.path()) +
                    QStringLiteral("\n\nMake it again, with the entries the list shows?");
    question.title = Messages::applicationTitle();
    question.buttons = MessageButtons::OkCancel;
    question.icon = MessageIcon::Warning;
    question.defaultButton = MessageAnswer::Ok;
    return platform().dialogs->messageBox(question) == MessageAnswer::Ok;
}

ConflictChoice Session::askWhichToKeep(const MergeConflict &conflict) {
    MessageBoxRequest question;
    question.text = Messages::entryConflict(conflict);
    question.title = Messages::applicationTitle();
    question.buttons = MessageButtons::KeepBothMineTheirs;
    question.icon = MessageIcon::Warning;
    question.defaultButton = MessageAnswer::KeepBoth;
    switch (platform().dialogs->messageBox(question)) {
    case MessageAnswer::KeepMine:
        return ConflictChoice::KeepMine;
    case MessageAnswer::KeepTheirs:
        return ConflictChoice::KeepTheirs;
    default:
        return ConflictChoice::KeepBoth;
    }
}

FileResult Session::prepareForSave() {
    if (!m_disk.isKnown())
        return FileResult::success();
    const FileIdentity now = FileIdentity::of(m_file.path());
    if (now == m_disk.identity())
        return FileResult::success();
    if (!now.exists) {
        if (!askToCreateAgain())
            return FileResult::failure(QStringLiteral("The data file was removed by another program, and you chose "
                                                      "not to make it again."));
        return FileResult::success();
    }
    if (!waitUntilQuiet())
        return FileResult::failure(QStringLiteral("Another program is still writing the data file."));
    // Rows held by the list stand for themselves in the merge, so nothing may change them meanwhile:
    // a look at the file waits until this save is over.
    const bool checking = std::exchange(m_checking, true);
    const auto done = qScopeGuard([this, checking] { m_checking = checking; });
    QString reason;
    std::vector<EntryTableModel::RowId> heldIds;
    std::optional<LoadResult> read = readChangedFile(heldIds, &reason);
    if (!read)
        return FileResult::failure(reason);
    if (read->disk.sameBytesAs(m_disk) || holdsWhatWasWritten(*read, heldIds)) {
        m_disk = read->disk; // written again, the same
        return FileResult::success();
    }
    if (read->state == LoadResult::State::Damaged)
        return FileResult::failure(QStringLiteral("Another program changed the data file, and it is damaged now: it ") +
                                   read->reason + QStringLiteral(". The changes made here were not saved over it."));
    if (read->state == LoadResult::State::NeedsMasterPassword) {
        // A file without its master password line (emptied, cut short) is no version of this list:
        // entries it holds join the list, and nothing of the list goes.
        const EntryMerge::Rows missing =
            EntryMerge::missingFrom({m_entries.entries(), {}}, rowsOf(*read, std::move(heldIds)));
        appendRows(missing.entries, missing.lines);
        return FileResult::success();
    }
    QString damage;
    if (!acceptMasterPasswordOf(*read, &damage)) {
        if (!damage.isEmpty())
            return FileResult::failure(QStringLiteral("Another program changed the data file, and it is damaged now: "
                                                      "it ") +
                                       damage + QStringLiteral(". The changes made here were not saved over it."));
        return FileResult::failure(QStringLiteral("Another program changed the data file, under a master password "
                                                  "that was not given, so the changes made here were not merged."));
    }
    m_key = read->key; // the next save keeps the form the file has now
    EntryMerge::Rows rows = rowsOf(*read, std::move(heldIds));
    const EntryMerge::Outcome merged =
        EntryMerge::apply(rows, m_pending, [this](const MergeConflict &conflict) { return askWhichToKeep(conflict); });
    replaceRows(std::move(rows.entries), std::move(rows.lines), std::move(rows.heldIds));
    m_mergeNote = merged.conflicts == 0
                      ? QStringLiteral(" Merged with the changes another program made to the data file.")
                      : QStringLiteral(" Merged with the changes another program made to the data file; %1 settled "
                                       "as you chose.")
                            .arg(merged.conflicts);
    return FileResult::success();
}

FileResult Session::write() {
    m_mergeNote.clear();
    FileResult saved = prepareForSave();
    DiskState written;
    std::vector<EntryTableModel::RowId> order; // of the rows as written
    if (saved) {
        // Unchanged rows keep their encoded lines (loaded ones the very bytes read), so a save costs
        // little more than writing the bytes; they go straight into the new file. (A protected save
        // asks for each line twice: once to count, once to write.)
        order.reserve(size_t(m_entries.count()));
        for (int position = 1; position <= m_entries.count(); ++position)
            order.push_back(m_entries.rowId(position));
        saved = m_file.saveLines(
            m_masterPassword,
            EntryLines(m_entries.count(), [this](qsizetype i) { return m_entries.storedLine(int(i) + 1); }), &written,
            m_key.get());
    }
    if (written.isKnown()) {
        m_disk = written;
        m_fileOrder = std::move(order);
    }
    if (saved) {
        m_pending.clear();
        m_removalTold = false;
        markSaved();
        watch();
    } else {
        markUnsaved(saved.reason());
    }
    return saved;
}

bool Session::save(const EntryChange &change) {
    m_pending.push_back(change);
    return save();
}

bool Session::save() {
    const FileResult saved = write();
    if (!saved) {
        tellNotSaved(saved);
        emit status(QString()); // the status line now says what is not saved
        return false;
    }
    emit status(QStringLiteral("Saved ") + savedStamp() + m_mergeNote);
    return true;
}

std::optional<QByteArray> Session::currentPlainBytes(QString *reason) {
    // A file that lacks nothing keeps its bytes; otherwise it is saved first, with what it lacks.
    const bool upToDate = !m_unsaved && m_pending.empty() && FileIdentity::of(m_file.path()) == m_disk.identity();
    if (!upToDate) {
        if (const FileResult saved = write(); !saved) {
            *reason = saved.reason();
            return std::nullopt;
        }
    }
    LoadResult read = DataLoader::readExisting(m_file, m_key);
    if (read.state == LoadResult::State::CouldNotRead || read.state == LoadResult::State::CouldNotCreate ||
        read.state == LoadResult::State::Damaged) {
        *reason = read.reason;
        return std::nullopt;
    }
    // Another program's change in the moment between: it comes in through the usual look first.
    if (read.state != LoadResult::State::HasMasterPassword || !(read.disk.identity() == m_disk.identity()) ||
        read.masterPassword != m_masterPassword) {
        *reason = QStringLiteral("Another program changed the data file just now. Try again once the list shows it.");
        return std::nullopt;
    }
    return std::move(read.plain);
}

bool Session::rewrite(const QByteArray &plain, std::shared_ptr<const FileKey> key, const QString &done) {
    DiskState written;
    const FileResult saved = m_file.writePlain(plain, key.get(), &written);
    if (written.isKnown())
        m_disk = written;
    if (!saved) {
        tellNotSaved(saved);
        return false;
    }
    m_key = std::move(key);
    watch();
    emit status(done);
    return true;
}

bool Session::protect(std::shared_ptr<const FileKey> key) {
    QString reason;
    const std::optional<QByteArray> plain = currentPlainBytes(&reason);
    if (!plain) {
        tellNotSaved(FileResult::failure(reason));
        return false;
    }
    return rewrite(*plain, std::move(key), QStringLiteral("The data file is protected now."));
}

bool Session::removeProtection() {
    QString reason;
    const std::optional<QByteArray> plain = currentPlainBytes(&reason);
    if (!plain) {
        tellNotSaved(FileResult::failure(reason));
        return false;
    }
    return rewrite(*plain, nullptr, QStringLiteral("Protection removed: the data file is in its plain form again."));
}

bool Session::changeMasterPassword(const QString &newPassword, std::shared_ptr<const FileKey> key) {
    QString reason;
    const std::optional<QByteArray> plain = currentPlainBytes(&reason);
    if (!plain) {
        tellNotSaved(FileResult::failure(reason));
        return false;
    }
    if (!rewrite(DataFileFormat::withMasterLine(*plain, newPassword), std::move(key),
                 QStringLiteral("Master password changed.")))
        return false;
    m_masterPassword = newPassword;
    return true;
}

void Session::tellNotSaved(const FileResult &result) {
    MessageBoxRequest request;
    request.text = Messages::saveFailed(m_file.path(), result.reason(), result.replaced());
    request.title = Messages::applicationTitle();
    request.buttons = MessageButtons::Ok;
    request.icon = MessageIcon::Critical;
    platform().dialogs->messageBox(request);
}

} // namespace varnook
