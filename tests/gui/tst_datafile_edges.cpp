// Data files at the edges: very large, one very long line, every byte value in a line. The start-up
// load opens them, and nothing is lost: a file the program wrote is saved again byte for byte.

#include "CodePage1252.h"
#include "DataFileFormat.h"
#include "EntryTableModel.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "MainWindow.h"
#include "Session.h"

#include <QTest>

#include <algorithm>

using namespace varnook;
using namespace varnook::test;

namespace {

const QString Password = QStringLiteral("pass");

// A session and the main window that shows it, not loaded: the load step's other work has no part
// in these tests.
struct RecordedSession {
    EntryTableModel &list() { return session.entries(); }
    QString status() const { return window.statusText(); }
    bool load() { return session.load(); }
    bool save() { return session.save(); }

    Session session{Session::inDataFolder()};
    MainWindow window{session, Branding::fromVersion(VersionRecord::builtIn()), nullptr};
};

// Every character of the code page but the one whose scrambled code is CR (code 141), which no
// field can hold; the separator's bar is among them, once.
QString everyCharacter() {
    QString text;
    for (int code = 0; code < 256; ++code) {
        if (code != 141)
            text.append(QChar(CodePage1252::toUnicode(uchar(code))));
    }
    return text;
}

// Entries of varied lengths that fill about the given number of bytes.
std::vector<Entry> entriesFilling(qsizetype bytes) {
    std::vector<Entry> entries;
    qsizetype size = 0;
    for (int i = 0; size < bytes; ++i) {
        const QString n = QString::number(i);
        Entry entry{QStringLiteral("user") + n,
                    QStringLiteral("pw-%1-").arg(qint64(i) * 7919 % 100003).repeated(1 + i % 7),
                    QStringLiteral("https://site%1.example/path/").arg(n).repeated(1 + i % 5)};
        size += entry.username.size() + entry.password.size() + entry.location.size() + 8;
        entries.push_back(std::move(entry));
    }
    return entries;
}

// The plain entry of one line as the rules say: the text up to the first "|||" is the user name,
// up to the second the password, the rest the location.
Entry expectedEntry(const QString &plain) {
    const QString bars = QStringLiteral("|||");
    const qsizetype first = plain.indexOf(bars);
    if (first < 0)
        return {plain, {}, {}};
    const qsizetype second = plain.indexOf(bars, first + 3);
    if (second < 0)
        return {plain.left(first), plain.mid(first + 3), {}};
    return {plain.left(first), plain.mid(first + 3, second - first - 3), plain.mid(second + 3)};
}

QString plainOf(const QByteArray &scrambled) {
    QString plain;
    for (const char byte : scrambled)
        plain.append(QChar(CodePage1252::toUnicode(uchar(byte) ^ 0x80)));
    return plain;
}

} // namespace

class tst_DataFileEdges : public QObject {
    Q_OBJECT

private slots:
    void writtenByTheProgramSavesTheSameBytes_data();
    void writtenByTheProgramSavesTheSameBytes();
    void foreignLinesWithEveryByteValue();
};

void tst_DataFileEdges::writtenByTheProgramSavesTheSameBytes_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<qsizetype>("minimumSize");
    QTest::newRow("50 MB") << QStringLiteral("large") << qsizetype(50 << 20);
    QTest::newRow("one line of 10 MB") << QStringLiteral("long line") << qsizetype(10 << 20);
    QTest::newRow("every character in every field") << QStringLiteral("every character") << qsizetype(5 * 255);
}

void tst_DataFileEdges::writtenByTheProgramSavesTheSameBytes() {
    QFETCH(QString, kind);
    QFETCH(qsizetype, minimumSize);
    // Made here rather than in the table, so that only one row's data is held at a time.
    std::vector<Entry> entries;
    if (kind == QStringLiteral("large")) {
        entries = entriesFilling(50 << 20);
    } else if (kind == QStringLiteral("long line")) {
        entries = entriesFilling(1000);
        entries.insert(entries.begin() + 3, Entry{QStringLiteral("long"), QStringLiteral("x").repeated(4 << 20),
                                                  QStringLiteral("https://long.example/").repeated(300000)});
    } else {
        const QString all = everyCharacter();
        QString reversed = all;
        std::reverse(reversed.begin(), reversed.end());
        entries = {{all, all, all}, {reversed, reversed, reversed}, {all, {}, reversed}, {}};
    }
    for (const Entry &entry : entries)
        QVERIFY(DataFileFormat::readsBackAsWritten(entry));
    const QByteArray bytes = DataFileFormat::serialize(Password, entries);
    QVERIFY(bytes.size() >= minimumSize);

    FakePlatform fake;
    writeBytes(fake.dataFile(), bytes);
    {
        RecordedSession window;
        fake.dialogs.answerInput(Password);
        QVERIFY(window.load());
        QCOMPARE(window.status(), QStringLiteral("Loaded %1 entries").arg(entries.size()));
        QCOMPARE(window.list().count(), int(entries.size()));
        for (int position = 1; position <= window.list().count(); ++position) {
            if (window.list().entry(position) != entries[size_t(position - 1)])
                QFAIL(qPrintable(QStringLiteral("entry %1 differs").arg(position)));
        }
        entries = {};

        QVERIFY(window.save());
        QVERIFY(window.status().startsWith(QStringLiteral("Saved ")));
    }
    // Compared without a diff of megabytes in the log when they differ.
    const QByteArray saved = readBytes(fake.dataFile());
    QCOMPARE(saved.size(), bytes.size());
    QVERIFY(saved == bytes);
    QCOMPARE(fake.dialogs.shown.size(), 1);
}

void tst_DataFileEdges::foreignLinesWithEveryByteValue() {
    // A file the program did not write: a line for each byte value, that byte in each field, ends
    // taking turns between CR LF and a lone CR, the last line without one. Only CR ends a line,
    // so its line is left out; a lone LF, NUL and the separator's own byte are text.
    const QByteArray bars = QByteArray(3, char(0xFC));
    QByteArray bytes = DataFileFormat::masterLine(Password);
    std::vector<Entry> expected;
    for (int value = 0; value < 256; ++value) {
        if (value == '\r')
            continue;
        const QByteArray b(1, char(value));
        const QByteArray line = b + bars + b + b + bars + b + "x" + b;
        bytes += line;
        if (value < 255)
            bytes += value % 2 ? "\r\n" : "\r";
        expected.push_back(expectedEntry(plainOf(line)));
    }
    QCOMPARE(expected.size(), size_t(255));
    // The bar's own byte makes the fields run together: "|", "|||", "||", "|||", "|" are ten bars
    // in a row, then x (stored unscrambled, so read as ø) and one more bar.
    QCOMPARE(expected[0xFC - 1], (Entry{{}, {}, QStringLiteral("||||\u00F8|")}));
    QCOMPARE(expected[0x0A],
             (Entry{QStringLiteral("\u0160"), QStringLiteral("\u0160\u0160"), QStringLiteral("\u0160\u00F8\u0160")}));

    FakePlatform fake;
    writeBytes(fake.dataFile(), bytes);
    {
        RecordedSession window;
        fake.dialogs.answerInput(Password);
        QVERIFY(window.load());
        QCOMPARE(window.status(), QStringLiteral("Loaded 255 entries"));
        QVERIFY(window.list().entries() == expected);
        QVERIFY(window.save());
    }
    // Saved in the program's own form, every entry kept.
    const QByteArray saved = readBytes(fake.dataFile());
    QCOMPARE(saved, DataFileFormat::serialize(Password, expected));

    RecordedSession again;
    fake.dialogs.answerInput(Password);
    QVERIFY(again.load());
    QVERIFY(again.list().entries() == expected);
    QVERIFY(again.save());
    QCOMPARE(readBytes(fake.dataFile()), saved);
}

QTEST_MAIN(tst_DataFileEdges)
#include "tst_datafile_edges.moc"
