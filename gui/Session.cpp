#include "Session.h"

#include "DataFile.h"
#include "DataFileFormat.h"
#include "DataLoader.h"
#include "EntryTableModel.h"
#include "MainWindow.h"
#include "Platform.h"
#include "ProgramValues.h"
#include "StoreMessages.h"

#include <QDateTime>
#include <QLocale>

namespace varnook {

namespace {

// The system's general date format: short date, a blank, long time.
QString savedStamp() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

} // namespace

void ShowStatus(const QString &text) {
    if (MainWindow *main = findForm<MainWindow>())
        main->showStatus(text);
}

bool LoadData(EntryTableModel &list) {
    LoadOutcome outcome = DataLoader(DataFile::inProgramFolder()).load();
    if (!outcome.unlocked) {
        platform().process->endProgram(0);
        return false;
    }
    list.append(std::move(outcome.entries));
    ShowStatus(outcome.status);
    return true;
}

bool SaveData(const EntryTableModel &list) {
    const DataFile file = DataFile::inProgramFolder();
    // Unchanged rows keep their encoded lines, so a save costs little more than writing the bytes.
    const QByteArray bytes = DataFileFormat::serializeStoredLines(
        programValues().MasterPassword, list.count(), [&list](qsizetype i) { return list.storedLine(int(i) + 1); });
    const FileResult saved = file.write(bytes);
    if (!saved) {
        MessageBoxRequest request;
        request.text = StoreMessages::saveFailed(file.path(), saved.reason());
        request.title = StoreMessages::applicationTitle();
        request.buttons = MessageButtons::Ok;
        request.icon = MessageIcon::Critical;
        platform().dialogs->messageBox(request);
        return false;
    }
    ShowStatus(QStringLiteral("Saved ") + savedStamp());
    return true;
}

} // namespace varnook
