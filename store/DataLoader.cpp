#include "DataLoader.h"

#include "DataFileFormat.h"
#include "MasterPasswordPrompts.h"
#include "Platform.h"
#include "StoreMessages.h"

#include <QFileInfo>

namespace varnook {

LoadOutcome DataLoader::failed(const QString &text) {
    MessageBoxRequest request;
    request.text = text;
    request.title = StoreMessages::applicationTitle();
    request.buttons = MessageButtons::Ok;
    request.icon = MessageIcon::Critical;
    platform().dialogs->messageBox(request);
    return {};
}

LoadOutcome DataLoader::load() {
    if (const FileResult made = m_file.ensure(); !made) {
        // Something that is no file in its place cannot be read; otherwise making the file failed.
        const QFileInfo info(m_file.path());
        const bool blocked = info.exists() && !info.isFile();
        return failed(blocked ? StoreMessages::readFailed(m_file.path(), made.reason())
                              : StoreMessages::createFailed(m_file.path(), made.reason()));
    }
    QByteArray bytes;
    if (const FileResult read = m_file.read(bytes); !read)
        return failed(StoreMessages::readFailed(m_file.path(), read.reason()));

    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(bytes);
    if (master.masterPassword.isEmpty())
        return CreatePassword(bytes, master.entriesStart);

    if (!MasterPasswordPrompts::login(master.masterPassword))
        return {};

    LoadOutcome outcome;
    outcome.unlocked = true;
    outcome.masterPassword = master.masterPassword;
    outcome.entries = DataFileFormat::readEntries(QByteArrayView(bytes).sliced(master.entriesStart));
    outcome.status = QStringLiteral("Loaded %1 entries").arg(outcome.entries.size());
    return outcome;
}

LoadOutcome DataLoader::CreatePassword(const QByteArray &bytes, qsizetype entriesStart) {
    const std::optional<QString> password = MasterPasswordPrompts::askNew();
    if (!password)
        return {};

    // Entry lines under an empty first line are kept byte for byte behind the new password line.
    const QByteArrayView entryLines = QByteArrayView(bytes).sliced(entriesStart);
    std::vector<Entry> entries = DataFileFormat::readEntries(entryLines);
    QByteArray file = DataFileFormat::masterLine(*password);
    if (!entries.empty())
        file.append(entryLines);
    if (const FileResult written = m_file.write(file); !written)
        return failed(StoreMessages::passwordNotStored(m_file.path(), written.reason()));

    LoadOutcome outcome;
    outcome.unlocked = true;
    outcome.masterPassword = *password;
    outcome.entries = std::move(entries);
    outcome.status = QStringLiteral("Password created successfully");
    return outcome;
}

} // namespace varnook
