#include "modGlobals.h"

#include "DataFile.h"
#include "DataFileFormat.h"
#include "EntryListModel.h"
#include "Form1.h"
#include "Messages.h"
#include "Platform.h"
#include "ProgramValues.h"
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

void ShowStatus(const QString &text) {
    if (Form1 *main = findForm<Form1>())
        main->showStatus(text);
}

bool LoadData(EntryListModel &list) {
    std::optional<UnlockedData> unlocked = unlockDataFile(DataFile::inProgramFolder());
    if (!unlocked) {
        platform().process->endProgram(StartRefusedExitCode);
        return false;
    }
    programValues().MasterPassword = unlocked->masterPassword;
    list.append(std::move(unlocked->entries));
    ShowStatus(unlocked->status);
    return true;
}

FileResult WriteList(EntryListModel &list) {
    // Unchanged rows keep their encoded lines, so a save costs little more than writing the bytes.
    const QByteArray bytes = DataFileFormat::serialize(
        programValues().MasterPassword,
        EntryLines(list.count(), [&list](qsizetype i) { return list.storedLine(int(i) + 1); }));
    const FileResult saved = DataFile::inProgramFolder().write(bytes);
    if (saved)
        list.markSaved();
    else
        list.markUnsaved(saved.reason());
    return saved;
}

bool SaveData(EntryListModel &list) {
    const FileResult saved = WriteList(list);
    if (!saved) {
        MessageBoxRequest request;
        request.text = Messages::saveFailed(DataFile::inProgramFolder().path(), saved.reason(), saved.replaced());
        request.title = Messages::applicationTitle();
        request.buttons = MessageButtons::Ok;
        request.icon = MessageIcon::Critical;
        platform().dialogs->messageBox(request);
        ShowStatus(QString()); // the status line now says what is not saved
        return false;
    }
    ShowStatus(QStringLiteral("Saved ") + savedStamp());
    return true;
}

} // namespace varnook
