#include "UntouchedSaveChecks.h"

#include "BufferedWriter.h"
#include "DataFileFormat.h"
#include "DataFileLines.h"
#include "DataFileStream.h"
#include "DataLoader.h"
#include "PropertyCheck.h"
#include "ProtectedForm.h"

#include <QBuffer>

namespace varnook {

namespace {

using fuzzing::Broken;
using fuzzing::check;

const QString NewMasterPassword = QStringLiteral("new master");
const Entry AddedEntry{QStringLiteral("added"), QStringLiteral("pw"), QStringLiteral("example.org")};

QByteArray saved(const QString &masterPassword, const std::vector<StoredLine> &lines) {
    return DataFileFormat::serialize(
        masterPassword, EntryLines(qsizetype(lines.size()), [&](qsizetype i) { return lines[size_t(i)].bytes(); }));
}

// Loads bytes, which must have a master password, and checks that they show masterPassword and entries.
LoadResult loadShowing(const QByteArray &bytes, const QString &masterPassword, const std::vector<Entry> &entries) {
    LoadResult again = DataLoader::fromBytes(bytes);
    check(again.state == LoadResult::State::HasMasterPassword, "a saved file has its master password");
    check(again.masterPassword == masterPassword, "the master password reads back after a save");
    check(again.entries == entries, "every entry reads back after a save as it read before");
    check(again.storedLines.size() == again.entries.size(), "every entry has its stored line");
    return again;
}

void checkSaves(const LoadResult &loaded) {
    QString masterPassword = loaded.masterPassword;
    if (loaded.state == LoadResult::State::NeedsMasterPassword) {
        // The creation of a master password keeps the lines under the empty first line as they are.
        masterPassword = NewMasterPassword;
        QByteArray created = DataFileFormat::masterLine(masterPassword);
        created.append(loaded.entryLinesToKeep);
        loadShowing(created, masterPassword, loaded.entries);
    }
    const QByteArray once = saved(masterPassword, loaded.storedLines);
    const LoadResult again = loadShowing(once, masterPassword, loaded.entries);
    check(saved(again.masterPassword, again.storedLines) == once, "a second save writes the same bytes");

    // Another entry added at the end.
    std::vector<StoredLine> added = loaded.storedLines;
    added.emplace_back(DataFileFormat::storedLine(AddedEntry));
    std::vector<Entry> withAdded = loaded.entries;
    withAdded.push_back(AddedEntry);
    loadShowing(saved(masterPassword, added), masterPassword, withAdded);

    // The first entry deleted.
    if (!loaded.entries.empty()) {
        const std::vector<StoredLine> rest(loaded.storedLines.begin() + 1, loaded.storedLines.end());
        const std::vector<Entry> restEntries(loaded.entries.begin() + 1, loaded.entries.end());
        loadShowing(saved(masterPassword, rest), masterPassword, restEntries);
    }
}

struct WholeLine {
    QByteArrayView text;
    qsizetype lineEnd = 0;
};

std::vector<WholeLine> wholeFileLines(QByteArrayView bytes) {
    std::vector<WholeLine> lines;
    DataFileLines reader(bytes);
    QByteArrayView text;
    while (reader.next(text)) {
        const qsizetype end = (text.data() - bytes.data()) + text.size();
        lines.push_back({text, reader.position() - end});
    }
    return lines;
}

void checkBlockReading(const QByteArray &bytes, const LoadResult &loaded) {
    const std::vector<WholeLine> whole = wholeFileLines(bytes);
    for (qsizetype blockSize = 1; blockSize <= 64; ++blockSize) {
        QBuffer device;
        device.setData(bytes);
        check(device.open(QIODevice::ReadOnly), "the buffer opens");
        DataFileStream stream(device, blockSize);
        DataFileStream::Line line;
        size_t count = 0;
        std::vector<Entry> entries;
        QByteArray imported = DataFileFormat::masterLine(NewMasterPassword);
        BufferedWriter out(
            [&imported](QByteArrayView block) {
                imported.append(block);
                return true;
            },
            blockSize);
        while (stream.next(line)) {
            check(count < whole.size(), "the block reading finds no more lines than the whole file holds");
            check(line.text == whole[count].text, "each line read in blocks is the line the whole file holds");
            check(line.lineEnd == whole[count].lineEnd, "each line read in blocks ends as in the whole file");
            check(line.last == (count + 1 == whole.size()), "the last line read in blocks is the file's last");
            if (count > 0 && !DataFileFormat::isSkippedLine(line.text)) {
                entries.push_back(DataFileFormat::readEntry(line.text));
                DataFileFormat::writeEntryLineAsRead(out, line.text);
            }
            ++count;
        }
        check(!stream.failed(), "reading a buffer in blocks never fails");
        check(count == whole.size(), "the block reading finds every line");
        check(entries == loaded.entries, "the entries read in blocks are those the whole file gives");
        out.write(DataFileFormat::LineEnd);
        check(out.flush(), "the import's writer takes every block");
        loadShowing(imported, NewMasterPassword, loaded.entries);
    }
}

} // namespace

QString untouchedSaveFault(QByteArrayView input) {
    const QByteArray bytes = input.toByteArray();
    try {
        const LoadResult loaded = DataLoader::fromBytes(bytes);
        // A file in the protected form is opened before any save (fuzz_protectedform reads it): it is
        // never loaded as lines of the plain form.
        if (ProtectedForm::isProtected(bytes)) {
            check(loaded.state == LoadResult::State::Protected || loaded.state == LoadResult::State::Damaged,
                  "a file in the protected form is not read as a plain one");
            check(loaded.entries.empty(), "a file in the protected form shows no entry before it is opened");
            return {};
        }
        check(loaded.storedLines.size() == loaded.entries.size(), "every entry has its stored line");
        checkSaves(loaded);
        checkBlockReading(bytes, loaded);
    } catch (const Broken &broken) {
        return QString::fromLatin1(broken.what);
    }
    return {};
}

} // namespace varnook
