#include "Session.h"

#include "DataFile.h"
#include "DataFileFormat.h"
#include "Messages.h"
#include "Platform.h"
#include "UnlockDataFile.h"

#include <QDateTime>
#include <QLocale>

namespace varnook {

namespace {

// A start that ended without opening the list (refused login, cancelled creation, unreadable file)
// is no normal end: scripts must be able to tell the two apart.
constexpr int StartRefusedExitCode = 1;

// The system's general date format: short date, a blank, long time.
QString savedStamp() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

} // namespace

Session::Session(QObject *parent)
    : QObject(parent) {}

bool Session::load() {
    std::optional<UnlockedData> unlocked = unlockDataFile(DataFile::inProgramFolder());
    if (!unlocked) {
        platform().process->endProgram(StartRefusedExitCode);
        return false;
    }
    m_masterPassword = unlocked->masterPassword;
    m_entries.append(std::move(unlocked->entries), std::move(unlocked->storedLines));
    emit status(unlocked->status);
    return true;
}

FileResult Session::write() {
    // Unchanged rows keep their encoded lines (loaded ones the very bytes read), so a save costs
    // little more than writing the bytes; they go straight into the new file.
    const FileResult saved = DataFile::inProgramFolder().saveLines(
        m_masterPassword,
        EntryLines(m_entries.count(), [this](qsizetype i) { return m_entries.storedLine(int(i) + 1); }));
    if (saved)
        m_entries.markSaved();
    else
        m_entries.markUnsaved(saved.reason());
    return saved;
}

bool Session::save() {
    const FileResult saved = write();
    if (!saved) {
        MessageBoxRequest request;
        request.text = Messages::saveFailed(DataFile::inProgramFolder().path(), saved.reason(), saved.replaced());
        request.title = Messages::applicationTitle();
        request.buttons = MessageButtons::Ok;
        request.icon = MessageIcon::Critical;
        platform().dialogs->messageBox(request);
        emit status(QString()); // the status line now says what is not saved
        return false;
    }
    emit status(QStringLiteral("Saved ") + savedStamp());
    return true;
}

} // namespace varnook
