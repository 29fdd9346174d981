#include "BufferedWriter.h"
#include "CodePage1252.h"
#include "DataFileFormat.h"
#include "DataFileLines.h"
#include "FileHelpers.h"
#include "ScrambleText.h"

#include <QRandomGenerator>
#include <QTest>

using namespace varnook;
using varnook::test::hexBytes;

Q_DECLARE_METATYPE(varnook::Entry)
Q_DECLARE_METATYPE(std::vector<varnook::Entry>)

namespace QTest {
template <> char *toString(const varnook::Entry &entry) {
    return QTest::toString(QStringLiteral("{%1 | %2 | %3}").arg(entry.username, entry.password, entry.location));
}
} // namespace QTest

namespace {
Entry entry(const QString &username, const QString &password, const QString &location) {
    return Entry{username, password, location};
}

std::vector<Entry> someEntries() {
    return {entry(QStringLiteral("bob"), QStringLiteral("pw1"), QStringLiteral("x.org")),
            entry(QStringLiteral("alice"), QStringLiteral("s3cret"), QStringLiteral("mail.example")),
            entry(QStringLiteral("carol"), QStringLiteral("p"), QString())};
}
} // namespace

class tst_DataFileFormat : public QObject {
    Q_OBJECT

private slots:
    // Writing
    void newFileIsOneEmptyLine();
    void entryLineAsReadIsWhatASaveWrites_data();
    void entryLineAsReadIsWhatASaveWrites();
    void masterLineAlone();
    void saves_data();
    void saves();
    void masterPasswordIsNotChangedBySaving();
    void fieldsThroughTheCodePage();

    // Reading
    void lines_data();
    void lines();
    void masterLine_data();
    void masterLine();
    void entries_data();
    void entries();
    void everyByteValueInALine();
    void longFieldsMatchByteByByte();

    // Both ways
    void loadThenSaveGivesTheSameBytes_data();
    void loadThenSaveGivesTheSameBytes();
    void readsBackAsWritten_data();
    void readsBackAsWritten();
    void twoThreadsReadWhatOneReads();
    void storedLinesInAnyOrderAreWrittenAsTheyAre();
};

void tst_DataFileFormat::newFileIsOneEmptyLine() {
    QCOMPARE(DataFileFormat::newFile(), QByteArray("\r\n"));
}

void tst_DataFileFormat::masterLineAlone() {
    QCOMPARE(DataFileFormat::masterLine(QStringLiteral("pass")), hexBytes("F0 E1 F3 F3 0D 0A"));
    QCOMPARE(DataFileFormat::masterLine(QString()), QByteArray("\r\n"));
}

void tst_DataFileFormat::saves_data() {
    QTest::addColumn<std::vector<Entry>>("entries");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no entries") << std::vector<Entry>{} << hexBytes("F0 E1 F3 F3 0D 0A 0D 0A");
    QTest::newRow("one entry") << std::vector<Entry>{entry(QStringLiteral("bob"), QStringLiteral("pw1"),
                                                           QStringLiteral("x.org"))}
                               << hexBytes("F0 E1 F3 F3 0D 0A"
                                           "E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                                           "0D 0A");
    QTest::newRow("several entries, one without location")
        << someEntries()
        << hexBytes("F0 E1 F3 F3 0D 0A"
                    "E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                    "E1 EC E9 E3 E5 FC FC FC F3 B3 E3 F2 E5 F4 FC FC FC ED E1 E9 EC AE E5 F8 E1 ED F0 EC E5 0D 0A"
                    "E3 E1 F2 EF EC FC FC FC F0 FC FC FC 0D 0A"
                    "0D 0A");
    QTest::newRow("leading and trailing blanks")
        << std::vector<Entry>{entry(QStringLiteral("  u "), QStringLiteral("  p  "), QStringLiteral(" loc "))}
        << hexBytes("F0 E1 F3 F3 0D 0A"
                    "A0 A0 F5 A0 FC FC FC A0 A0 F0 A0 A0 FC FC FC A0 EC EF E3 A0 0D 0A"
                    "0D 0A");
    QTest::newRow("S caron, e acute, euro")
        << std::vector<Entry>{entry(QStringLiteral("Š"), QStringLiteral("é"), QStringLiteral("€"))}
        << hexBytes("F0 E1 F3 F3 0D 0A"
                    "0A FC FC FC 69 FC FC FC 00 0D 0A"
                    "0D 0A");
    QTest::newRow("all fields empty") << std::vector<Entry>{Entry{}}
                                      << hexBytes("F0 E1 F3 F3 0D 0A FC FC FC FC FC FC 0D 0A 0D 0A");
}

void tst_DataFileFormat::saves() {
    QFETCH(std::vector<Entry>, entries);
    QFETCH(QByteArray, bytes);
    QCOMPARE(DataFileFormat::serialize(QStringLiteral("pass"), entries), bytes);
    // Rows that keep their stored lines, as the entry list does between saves, give the same bytes.
    std::vector<QByteArray> stored;
    for (const Entry &e : entries)
        stored.push_back(DataFileFormat::storedLine(e));
    const EntryLines kept(qsizetype(stored.size()),
                          [&stored](qsizetype i) { return QByteArrayView(stored[size_t(i)]); });
    QCOMPARE(DataFileFormat::serialize(QStringLiteral("pass"), kept), bytes);
}

void tst_DataFileFormat::masterPasswordIsNotChangedBySaving() {
    const QString master = QStringLiteral("secret");
    const QByteArray bytes = DataFileFormat::serialize(master, {});
    QCOMPARE(master, QStringLiteral("secret"));
    QCOMPARE(bytes, hexBytes("F3 E5 E3 F2 E5 F4 0D 0A 0D 0A"));
}

void tst_DataFileFormat::fieldsThroughTheCodePage() {
    // ā is stored as a (E1 once scrambled); a character with no similar letter as "?" (BF).
    const QByteArray bytes = DataFileFormat::serialize(
        QStringLiteral("pass"), std::vector<Entry>{entry(QStringLiteral("ā"), QStringLiteral("日"), {})});
    QCOMPARE(bytes, hexBytes("F0 E1 F3 F3 0D 0A E1 FC FC FC BF FC FC FC 0D 0A 0D 0A"));
}

void tst_DataFileFormat::lines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QByteArray>>("lines");
    QTest::newRow("zero bytes") << QByteArray() << QList<QByteArray>{};
    QTest::newRow("CR LF") << QByteArray("\r\n") << QList<QByteArray>{""};
    QTest::newRow("CR LF CR LF") << QByteArray("\r\n\r\n") << QList<QByteArray>{"", ""};
    QTest::newRow("lone CR ends a line") << QByteArray("a\rb\r\nc") << QList<QByteArray>{"a", "b", "c"};
    QTest::newRow("lone LF is text") << QByteArray("a\nb\r\n") << QList<QByteArray>{"a\nb"};
    QTest::newRow("LF CR") << QByteArray("a\n\rb") << QList<QByteArray>{"a\n", "b"};
    QTest::newRow("CR CR LF") << QByteArray("a\r\r\nb") << QList<QByteArray>{"a", "", "b"};
    QTest::newRow("no final line end") << QByteArray("a\r\nb") << QList<QByteArray>{"a", "b"};
    QTest::newRow("final lone CR") << QByteArray("a\r") << QList<QByteArray>{"a"};
    QTest::newRow("NUL kept") << QByteArray("a\0b\r\n", 5) << QList<QByteArray>{QByteArray("a\0b", 3)};
}

void tst_DataFileFormat::lines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QByteArray>, lines);
    DataFileLines reader(bytes);
    QList<QByteArray> read;
    QByteArrayView line;
    while (reader.next(line))
        read.append(line.toByteArray());
    QCOMPARE(read, lines);
    QCOMPARE(reader.position(), bytes.size());
}

void tst_DataFileFormat::masterLine_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("masterPassword");
    QTest::addColumn<int>("entriesStart");
    QTest::newRow("zero bytes") << QByteArray() << QString() << 0;
    QTest::newRow("one empty line") << QByteArray("\r\n") << QString() << 2;
    QTest::newRow("empty line, then entries") << hexBytes("0D 0A E1 0D 0A") << QString() << 2;
    QTest::newRow("password") << hexBytes("F0 E1 F3 F3 0D 0A 0D 0A") << QStringLiteral("pass") << 6;
    QTest::newRow("password without line end") << hexBytes("F0 E1 F3 F3") << QStringLiteral("pass") << 4;
    QTest::newRow("password ending with a lone CR") << hexBytes("F0 E1 F3 F3 0D E1") << QStringLiteral("pass") << 5;
    QTest::newRow("euro in the password") << hexBytes("F0 00 0D 0A") << QStringLiteral("p€") << 4;
    QTest::newRow("one blank is a password") << hexBytes("20 0D 0A") << QStringLiteral("\u00A0") << 3;
}

void tst_DataFileFormat::masterLine() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, masterPassword);
    QFETCH(int, entriesStart);
    const DataFileFormat::MasterLine line = DataFileFormat::readMasterLine(bytes);
    QCOMPARE(line.masterPassword, masterPassword);
    QCOMPARE(line.entriesStart, qsizetype(entriesStart));
}

void tst_DataFileFormat::entries_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<std::vector<Entry>>("entries");
    const QByteArray bob = hexBytes("E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7");
    const Entry bobEntry = entry(QStringLiteral("bob"), QStringLiteral("pw1"), QStringLiteral("x.org"));
    QTest::newRow("nothing") << QByteArray() << std::vector<Entry>{};
    QTest::newRow("the empty last line of a save") << QByteArray("\r\n") << std::vector<Entry>{};
    QTest::newRow("one entry") << bob + "\r\n\r\n" << std::vector<Entry>{bobEntry};
    QTest::newRow("no final line end") << bob << std::vector<Entry>{bobEntry};
    QTest::newRow("lone CR ends an entry line") << bob + "\r" + bob << std::vector<Entry>{bobEntry, bobEntry};
    QTest::newRow("empty lines and lines of one blank are skipped")
        << QByteArray("\r\n \r\n") + bob + "\r\n\r\n \r\n" + bob + "\r\n \r\n"
        << std::vector<Entry>{bobEntry, bobEntry};
    QTest::newRow("two blanks are an entry")
        << QByteArray("  \r\n") << std::vector<Entry>{entry(QStringLiteral("\u00A0\u00A0"), {}, {})};
    QTest::newRow("lone LF inside a line is S caron")
        << hexBytes("E1 0A E2 FC FC FC F0 FC FC FC 0A 0D 0A")
        << std::vector<Entry>{entry(QStringLiteral("aŠb"), QStringLiteral("p"), QStringLiteral("Š"))};
    QTest::newRow("NUL bytes are euro signs")
        << hexBytes("00 FC FC FC 00 00 FC FC FC E1 00 0D 0A")
        << std::vector<Entry>{entry(QStringLiteral("€"), QStringLiteral("€€"), QStringLiteral("a€"))};
    QTest::newRow("e acute") << hexBytes("69 FC FC FC 69 FC FC FC 69")
                             << std::vector<Entry>{
                                    entry(QStringLiteral("é"), QStringLiteral("é"), QStringLiteral("é"))};
    QTest::newRow("blanks kept") << hexBytes("A0 E1 A0 FC FC FC A0 FC FC FC A0 A0")
                                 << std::vector<Entry>{
                                        entry(QStringLiteral(" a "), QStringLiteral(" "), QStringLiteral("  "))};
    QTest::newRow("empty location") << hexBytes("E1 FC FC FC E2 FC FC FC 0D 0A")
                                    << std::vector<Entry>{entry(QStringLiteral("a"), QStringLiteral("b"), {})};
    QTest::newRow("short line: no separator")
        << hexBytes("E1 E2 0D 0A") << std::vector<Entry>{entry(QStringLiteral("ab"), {}, {})};
    QTest::newRow("short line: one separator")
        << hexBytes("E1 FC FC FC E2 0D 0A") << std::vector<Entry>{entry(QStringLiteral("a"), QStringLiteral("b"), {})};
    QTest::newRow("short line: two bars only")
        << hexBytes("E1 FC FC E2") << std::vector<Entry>{entry(QStringLiteral("a||b"), {}, {})};
    QTest::newRow("extra separators stay in the location")
        << hexBytes("E1 FC FC FC E2 FC FC FC E3 FC FC FC E4")
        << std::vector<Entry>{entry(QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c|||d"))};
    QTest::newRow("four bars split at the first three")
        << hexBytes("E1 FC FC FC FC E2 FC FC FC E3")
        << std::vector<Entry>{entry(QStringLiteral("a"), QStringLiteral("|b"), QStringLiteral("c"))};
    QTest::newRow("separators only") << hexBytes("FC FC FC FC FC FC") << std::vector<Entry>{Entry{}};
    QTest::newRow("bars stored unscrambled do not split")
        << hexBytes("7C 7C 7C") << std::vector<Entry>{entry(QString(3, QChar(0xFC)), {}, {})};
}

void tst_DataFileFormat::entries() {
    QFETCH(QByteArray, bytes);
    QFETCH(std::vector<Entry>, entries);
    const std::vector<Entry> read = DataFileFormat::readEntries(bytes);
    QCOMPARE(read.size(), entries.size());
    for (size_t i = 0; i < read.size(); ++i)
        QCOMPARE(read[i], entries[i]);
}

void tst_DataFileFormat::everyByteValueInALine() {
    // Every byte but CR, in one line; it must come back as 255 characters, one for each byte.
    QByteArray line;
    for (int code = 0; code < 256; ++code) {
        if (code != '\r')
            line.append(char(code));
    }
    const std::vector<Entry> read = DataFileFormat::readEntries(line);
    QCOMPARE(read.size(), size_t(1));
    QCOMPARE(read[0].username.size(), 255);
    QByteArray back;
    DataFileFormat::appendEntryLine(back, read[0]);
    QCOMPARE(back, line + "\xFC\xFC\xFC\xFC\xFC\xFC\r\n");
}

void tst_DataFileFormat::longFieldsMatchByteByByte() {
    // Stored ASCII is decoded in blocks; a byte of any other kind may sit anywhere in a block.
    const QList<uchar> others = {0x00, 0x0A, 0x69, 0x7F, 0x20};
    for (int length = 1; length <= 40; ++length) {
        for (int at = 0; at < length; ++at) {
            for (const uchar other : others) {
                QByteArray stored;
                for (int i = 0; i < length; ++i)
                    stored.append(char(0xE1 + i % 26));
                stored[at] = char(other);
                QString expected;
                for (const char byte : stored)
                    expected.append(QChar(CodePage1252::toUnicode(uchar(byte) ^ 0x80)));
                QCOMPARE(DataFileFormat::plainText(stored), expected);
            }
        }
    }
}

void tst_DataFileFormat::loadThenSaveGivesTheSameBytes_data() {
    QTest::addColumn<QString>("master");
    QTest::addColumn<std::vector<Entry>>("entries");
    QTest::newRow("no entries") << QStringLiteral("pass") << std::vector<Entry>{};
    QTest::newRow("several") << QStringLiteral("pass") << someEntries();
    QTest::newRow("blanks and empties") << QStringLiteral(" pw ")
                                        << std::vector<Entry>{Entry{}, entry(QStringLiteral(" "), QStringLiteral("  "),
                                                                             QStringLiteral(" x "))};
    QTest::newRow("separator in the location")
        << QStringLiteral("pass")
        << std::vector<Entry>{entry(QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("a|||b||||"))};
    QTest::newRow("separator in the user name")
        << QStringLiteral("pass")
        << std::vector<Entry>{entry(QStringLiteral("u|||v"), QStringLiteral("p"), QStringLiteral("l"))};

    // Every character of the code page except the one whose scrambled code is CR.
    QString all;
    for (int code = 0; code < 256; ++code) {
        if (code != 141)
            all.append(QChar(CodePage1252::toUnicode(uchar(code))));
    }
    QTest::newRow("every character") << all << std::vector<Entry>{entry(all, all, all), entry(all, {}, all)};
}

void tst_DataFileFormat::loadThenSaveGivesTheSameBytes() {
    QFETCH(QString, master);
    QFETCH(std::vector<Entry>, entries);
    const QByteArray written = DataFileFormat::serialize(master, entries);
    const DataFileFormat::MasterLine line = DataFileFormat::readMasterLine(written);
    QCOMPARE(line.masterPassword, master);
    const std::vector<Entry> read = DataFileFormat::readEntries(QByteArrayView(written).sliced(line.entriesStart));
    QCOMPARE(read.size(), entries.size());
    QCOMPARE(DataFileFormat::serialize(line.masterPassword, read), written);
}

void tst_DataFileFormat::readsBackAsWritten_data() {
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("readsBack");
    QTest::newRow("plain") << entry(QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("l")) << true;
    QTest::newRow("all empty") << Entry{} << true;
    QTest::newRow("S caron") << entry(QStringLiteral("Š"), QStringLiteral("Š"), QStringLiteral("Š")) << true;
    QTest::newRow("euro") << entry(QStringLiteral("€"), QStringLiteral("€"), QStringLiteral("€")) << true;
    QTest::newRow("separator in the location")
        << entry(QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("a|||b")) << true;
    QTest::newRow("separator in the password")
        << entry(QStringLiteral("u"), QStringLiteral("a|||b"), QStringLiteral("l")) << false;
    QTest::newRow("separator in the user name")
        << entry(QStringLiteral("a|||b"), QStringLiteral("p"), QStringLiteral("l")) << false;
    QTest::newRow("code that scrambles to CR")
        << entry(QStringLiteral("u"), QString(QChar(0x8D)), QStringLiteral("l")) << false;
    QTest::newRow("not in the code page")
        << entry(QStringLiteral("ā"), QStringLiteral("p"), QStringLiteral("l")) << false;
}

void tst_DataFileFormat::readsBackAsWritten() {
    QFETCH(Entry, entry);
    QFETCH(bool, readsBack);
    QCOMPARE(DataFileFormat::readsBackAsWritten(entry), readsBack);
}

void tst_DataFileFormat::entryLineAsReadIsWhatASaveWrites_data() {
    // A line read (without its line end) and the bytes a save writes for it again.
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArray>("written");
    QTest::newRow("complete") << hexBytes("E1 FC FC FC E2 FC FC FC E3") << hexBytes("E1 FC FC FC E2 FC FC FC E3 0D 0A");
    QTest::newRow("all fields empty") << hexBytes("FC FC FC FC FC FC") << hexBytes("FC FC FC FC FC FC 0D 0A");
    QTest::newRow("NUL, lone LF and high bytes")
        << hexBytes("00 0A FF FC FC FC 81 FC FC FC 7F") << hexBytes("00 0A FF FC FC FC 81 FC FC FC 7F 0D 0A");
    QTest::newRow("extra separators stay") << hexBytes("E1 FC FC FC E2 FC FC FC E3 FC FC FC E4")
                                           << hexBytes("E1 FC FC FC E2 FC FC FC E3 FC FC FC E4 0D 0A");
    // A line a save would not write reads back as it read only when it is kept as it is.
    QTest::newRow("one separator") << hexBytes("E1 FC FC FC E2") << hexBytes("E1 FC FC FC E2 0D 0A");
    QTest::newRow("no separator") << hexBytes("E1") << hexBytes("E1 0D 0A");
    QTest::newRow("four bars") << hexBytes("E1 FC FC FC FC E2") << hexBytes("E1 FC FC FC FC E2 0D 0A");
    // "ivan|||pw|": the password reads as "pw|"; with the location's separator added it would read
    // as "pw" and the location as "|".
    QTest::newRow("one separator, a bar at the end")
        << hexBytes("E9 F6 E1 EE FC FC FC F0 F7 FC") << hexBytes("E9 F6 E1 EE FC FC FC F0 F7 FC 0D 0A");
    QTest::newRow("no separator, two bars at the end") << hexBytes("E1 FC FC") << hexBytes("E1 FC FC 0D 0A");
}

void tst_DataFileFormat::entryLineAsReadIsWhatASaveWrites() {
    QFETCH(QByteArray, line);
    QFETCH(QByteArray, written);
    QByteArray out;
    BufferedWriter writer(
        [&out](QByteArrayView block) {
            out.append(block);
            return true;
        },
        4);
    DataFileFormat::writeEntryLineAsRead(writer, line);
    QVERIFY(writer.flush());
    QCOMPARE(out, written);
    QCOMPARE(DataFileFormat::readEntries(out), std::vector<Entry>{DataFileFormat::readEntry(line)});
}

void tst_DataFileFormat::twoThreadsReadWhatOneReads() {
    const auto scrambled = [](QByteArray plain) {
        return scrambleBytes(plain);
    };
    // Files of every kind of line and line end, each split near its middle wherever that falls:
    // the halves read on two threads give the lines and entries, in order, that one thread gives.
    const QList<QByteArray> pieces = {
        scrambled("alice|||pw|||mail.example"), scrambled("bob|||x"),        QByteArray(), " ",
        scrambled("carol|||pw|||a\nb"),         scrambled("dave||||||||||z")};
    const QList<QByteArray> lineEnds = {"\r\n", "\r", "\r\n\r\n", "\r\r\n"};
    QRandomGenerator random(11);
    for (int file = 0; file < 300; ++file) {
        QByteArray bytes = scrambled("secret") + "\r\n";
        const int lines = 1 + int(random.bounded(40));
        for (int i = 0; i < lines; ++i) {
            bytes += pieces[int(random.bounded(qsizetype(pieces.size())))];
            if (i + 1 < lines || random.bounded(2) == 0)
                bytes += lineEnds[int(random.bounded(qsizetype(lineEnds.size())))];
        }
        const qsizetype start = DataFileFormat::readMasterLine(bytes).entriesStart;
        const DataFileFormat::StoredEntries one = DataFileFormat::readStoredEntries(bytes, start, 1);
        const DataFileFormat::StoredEntries two = DataFileFormat::readStoredEntries(bytes, start, 2);
        QCOMPARE(two.entries, one.entries);
        QCOMPARE(two.lines.size(), one.lines.size());
        for (size_t i = 0; i < one.lines.size(); ++i)
            QCOMPARE(two.lines[i].bytes(), one.lines[i].bytes());
    }
}

void tst_DataFileFormat::storedLinesInAnyOrderAreWrittenAsTheyAre() {
    // Pieces of one buffer, some next to each other in it and some not, one longer than a block of
    // the writer, and lines of their own: the file holds each line once, in the order given.
    QByteArray buffer;
    QList<QByteArrayView> pieces;
    const QList<qsizetype> sizes = {5, 7, BufferedWriter::DefaultBlockSize + 3, 9, 2, 11};
    for (qsizetype size : sizes)
        buffer += QByteArray(size - 2, char('a' + buffer.size() % 26)) + "\r\n";
    qsizetype at = 0;
    for (qsizetype size : sizes) {
        pieces << QByteArrayView(buffer).sliced(at, size);
        at += size;
    }
    const QByteArray own1 = "own line\r\n", own2 = "another\r\n";
    const QList<QByteArrayView> order = {
        pieces[0], pieces[1], pieces[2], pieces[3], QByteArrayView(own1), pieces[5], pieces[4], QByteArrayView(own2),
        pieces[0], pieces[1]};
    QByteArray expected = DataFileFormat::masterLine(QStringLiteral("pass"));
    for (QByteArrayView line : order)
        expected += line;
    expected += "\r\n";
    const QByteArray written = DataFileFormat::serialize(
        QStringLiteral("pass"), EntryLines(order.size(), [&order](qsizetype i) { return order[i]; }));
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
}

QTEST_GUILESS_MAIN(tst_DataFileFormat)
#include "tst_datafileformat.moc"
