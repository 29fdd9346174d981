#include "DataFileChecks.h"

#include "CodePage1252.h"
#include "DataFileFormat.h"
#include "DataFileLines.h"
#include "MasterPasswordRules.h"
#include "PropertyCheck.h"
#include "ScrambleText.h"

#include <QList>
#include <QStringList>

#include <cstring>

namespace varnook {

namespace {

using fuzzing::Broken;
using fuzzing::check;

// The plain text of scrambled bytes, one character at a time.
QString slowPlainText(QByteArrayView scrambled) {
    QString text;
    for (const char byte : scrambled)
        text.append(QChar(CodePage1252::toUnicode(scrambleCode(uchar(byte)))));
    return text;
}

// An entry line as the rules say: split the plain text at the first two "|||".
Entry slowEntry(QByteArrayView scrambledLine) {
    const QString plain = slowPlainText(scrambledLine);
    const QString bars = QStringLiteral("|||");
    Entry entry;
    const qsizetype first = plain.indexOf(bars);
    if (first < 0) {
        entry.username = plain;
        return entry;
    }
    entry.username = plain.left(first);
    const qsizetype second = plain.indexOf(bars, first + 3);
    if (second < 0) {
        entry.password = plain.mid(first + 3);
        return entry;
    }
    entry.password = plain.mid(first + 3, second - first - 3);
    entry.location = plain.mid(second + 3);
    return entry;
}

// The lines of the bytes, taken apart without DataFileLines.
QList<QByteArrayView> slowLines(QByteArrayView bytes) {
    QList<QByteArrayView> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < bytes.size()) {
        if (bytes[i] != '\r') {
            ++i;
            continue;
        }
        lines.append(bytes.sliced(start, i - start));
        ++i;
        if (i < bytes.size() && bytes[i] == '\n')
            ++i;
        start = i;
    }
    if (start < bytes.size())
        lines.append(bytes.sliced(start));
    return lines;
}

void checkLines(QByteArrayView bytes) {
    const QList<QByteArrayView> expected = slowLines(bytes);
    DataFileLines lines(bytes);
    QByteArrayView line;
    qsizetype count = 0;
    qsizetype before = lines.position();
    while (lines.next(line)) {
        check(count < expected.size(), "no more lines than line ends");
        check(line.data() == expected[count].data() && line.size() == expected[count].size(),
              "each line is the text up to its CR LF or lone CR");
        check(lines.position() > before, "every line moves the reading on");
        before = lines.position();
        ++count;
    }
    check(count == expected.size(), "every line is read");
    check(lines.position() == bytes.size(), "the reading ends at the end of the bytes");
}

// The codes of a text one character at a time: a surrogate pair is one character, a lone
// surrogate one of its own, and a character the code page lacks takes its best-fit code.
QByteArray slowCodes(const QString &text) {
    QByteArray codes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t character = text.at(i).unicode();
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            character = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        codes.append(char(CodePage1252::bestFitCode(character)));
    }
    return codes;
}

// The file a save writes, put together one character at a time.
QByteArray slowFile(const QString &masterPassword, const std::vector<Entry> &entries) {
    QByteArray master = slowCodes(masterPassword);
    QByteArray file = scrambleBytes(master) + "\r\n";
    for (const Entry &entry : entries) {
        QByteArray line =
            slowCodes(entry.username) + "|||" + slowCodes(entry.password) + "|||" + slowCodes(entry.location);
        file += scrambleBytes(line) + "\r\n";
    }
    return file + "\r\n";
}

void checkSaveAndRead(const QString &masterPassword, const std::vector<Entry> &entries) {
    const QByteArray file = DataFileFormat::serialize(masterPassword, entries);
    check(file == slowFile(masterPassword, entries), "a save writes each character's code, scrambled");
    check(file.endsWith("\r\n\r\n"), "a saved file ends with CR LF CR LF");
    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(file);
    check(master.masterPassword == masterPassword, "the master password reads back as saved");
    const std::vector<Entry> again = DataFileFormat::readEntries(QByteArrayView(file).sliced(master.entriesStart));
    check(again == entries, "the entries read back as saved");
    check(DataFileFormat::serialize(master.masterPassword, again) == file, "saving what was read gives the same bytes");
}

// The bytes as a data file.
void readAsFile(QByteArrayView bytes) {
    checkLines(bytes);

    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(bytes);
    check(master.entriesStart >= 0 && master.entriesStart <= bytes.size(), "the entries start inside the file");
    const QList<QByteArrayView> lines = slowLines(bytes);
    check(master.masterPassword == (lines.isEmpty() ? QString() : slowPlainText(lines.first())),
          "the master password is the plain first line");

    const QByteArrayView entryLines = bytes.sliced(master.entriesStart);
    const std::vector<Entry> entries = DataFileFormat::readEntries(entryLines);
    std::vector<Entry> expected;
    for (const QByteArrayView line : slowLines(entryLines)) {
        if (!DataFileFormat::isSkippedLine(line))
            expected.push_back(slowEntry(line));
    }
    check(entries == expected, "the entries are the plain lines split at the first two separators");

    std::vector<Entry> kept;
    for (const Entry &entry : entries) {
        if (DataFileFormat::readsBackAsWritten(entry))
            kept.push_back(entry);
    }
    checkSaveAndRead(master.masterPassword, kept);
}

// The bytes as UTF-16 texts: a master password, then fields, parted by U+FFFF.
void writeAsTexts(QByteArrayView bytes) {
    QString all(bytes.size() / 2, Qt::Uninitialized);
    std::memcpy(all.data(), bytes.data(), size_t(all.size()) * sizeof(QChar));
    const QStringList parts = all.split(QChar(0xFFFF));
    const QString typed = parts.value(0);
    std::vector<Entry> entries;
    for (qsizetype i = 1; i < parts.size(); i += 3) {
        Entry entry{parts.value(i), parts.value(i + 1), parts.value(i + 2)};
        if (DataFileFormat::readsBackAsWritten(entry))
            entries.push_back(entry);
    }
    // What the creation stores for a typed password, when it takes it.
    const QString stored = CodePage1252::roundTrip(typed);
    if (!MasterPasswordRules::problemWithNewPassword(typed)) {
        checkSaveAndRead(stored, entries);
        const QByteArray line = DataFileFormat::masterLine(stored);
        check(DataFileFormat::readMasterLine(line).masterPassword == stored, "the new master password reads back");
    }
    checkSaveAndRead(QString(), entries);
}

} // namespace

QString dataFileFault(QByteArrayView bytes) {
    try {
        readAsFile(bytes);
        writeAsTexts(bytes);
    } catch (const Broken &broken) {
        return QString::fromLatin1(broken.what);
    }
    return {};
}

} // namespace varnook
