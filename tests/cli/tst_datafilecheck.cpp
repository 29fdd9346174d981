#include "DataFileCheck.h"
#include "DataFileFormat.h"
#include "FileHelpers.h"

#include <QTest>

using namespace varnook;
using varnook::test::hexBytes;

using Finding = DataFileCheck::Finding;
using Problem = DataFileCheck::Problem;
Q_DECLARE_METATYPE(std::vector<varnook::DataFileCheck::Finding>)

namespace QTest {
template <> char *toString(const varnook::DataFileCheck::Finding &finding) {
    return QTest::toString(
        QStringLiteral("line %1: %2").arg(finding.line).arg(varnook::DataFileCheck::describe(finding.problem)));
}
} // namespace QTest

namespace {

// One scrambled line, without its line end.
QByteArray scrambled(const char *plain) {
    QByteArray line(plain);
    for (char &c : line)
        c = char(uchar(c) ^ 0x80u);
    return line;
}

QByteArray savedFile(qsizetype entries) {
    std::vector<Entry> list;
    for (qsizetype i = 0; i < entries; ++i)
        list.push_back({QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(i), QStringLiteral("x.org")});
    return DataFileFormat::serialize(QStringLiteral("master"), list);
}

} // namespace

class tst_DataFileCheck : public QObject {
    Q_OBJECT

private slots:
    void finds_data();
    void finds();
    void countsAsTheReaderDoes_data();
    void countsAsTheReaderDoes();
    void onlyLackingTheMasterPassword_data();
    void onlyLackingTheMasterPassword();
    void descriptionsNameNoContent();
};

void tst_DataFileCheck::finds_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("master");
    QTest::addColumn<int>("entries");
    QTest::addColumn<std::vector<Finding>>("findings");
    using F = std::vector<Finding>;
    const QByteArray master = scrambled("master") + "\r\n";
    const QByteArray good = scrambled("bob|||pw|||x.org") + "\r\n";

    QTest::newRow("saved, no entries") << savedFile(0) << true << 0 << F{};
    QTest::newRow("saved, three entries") << savedFile(3) << true << 3 << F{};
    QTest::newRow("master password just created") << master << true << 0 << F{};
    QTest::newRow("entries without the closing empty line") << master + good + good << true << 2 << F{};
    QTest::newRow("location left empty") << master + scrambled("bob|||pw|||") + "\r\n\r\n" << true << 1 << F{};
    QTest::newRow("a scrambled Š is a lone LF inside a line")
        << master + scrambled("bob|||p") + '\n' + scrambled("|||x") + "\r\n\r\n"
        << true << 1 << F{};
    QTest::newRow("NUL bytes of a scrambled euro sign")
        << master + scrambled("bob|||") + '\0' + scrambled("|||x") + "\r\n\r\n"
        << true << 1 << F{};

    QTest::newRow("zero bytes") << QByteArray() << false << 0 << F{{0, Problem::EmptyFile}};
    QTest::newRow("created, no master password yet")
        << QByteArray("\r\n") << false << 0 << F{{1, Problem::NoMasterPassword}};
    QTest::newRow("entries under an empty first line") << QByteArray("\r\n") + good + "\r\n"
                                                       << false << 1 << F{{1, Problem::NoMasterPassword}};
    QTest::newRow("short lines") << master + scrambled("onlyname") + "\r\n" + good + scrambled("bob|||pw") + "\r\n\r\n"
                                 << true << 3 << F{{2, Problem::ShortLine}, {4, Problem::ShortLine}};
    QTest::newRow("extra separators") << master + scrambled("a|||b|||c|||d") + "\r\n" + scrambled("a|||b||||||") +
                                             "\r\n\r\n"
                                      << true << 2 << F{{2, Problem::ExtraSeparators}, {3, Problem::ExtraSeparators}};
    QTest::newRow("four bars run into the first separator") << master + scrambled("a||||b") + "\r\n\r\n"
                                                            << true << 1 << F{{2, Problem::ShortLine}};
    QTest::newRow("skipped lines among entries")
        << master + good + "\r\n" + good + " \r\n" + good + "\r\n"
        << true << 3 << F{{3, Problem::SkippedLine}, {5, Problem::SkippedLine}};
    QTest::newRow("two empty lines at the end") << master + good + "\r\n\r\n"
                                                << true << 1 << F{{3, Problem::SkippedLine}};
    QTest::newRow("one blank as the last line") << master + good + " \r\n" << true << 1 << F{{3, Problem::SkippedLine}};
    QTest::newRow("a lone CR splits an entry")
        << master + scrambled("bob|||p") + '\r' + scrambled("w|||x") + "\r\n\r\n"
        << true << 2 << F{{2, Problem::ShortLine}, {2, Problem::LoneCarriageReturn}, {3, Problem::ShortLine}};
    QTest::newRow("a lone CR after the master password") << scrambled("master") + '\r' + good + "\r\n"
                                                         << true << 1 << F{{1, Problem::LoneCarriageReturn}};
    QTest::newRow("cut short inside an entry")
        << master + good + scrambled("bob|||p") << true << 2 << F{{3, Problem::ShortLine}, {3, Problem::NoLineEnd}};
    QTest::newRow("cut short after an entry's text")
        << master + good.chopped(2) << true << 1 << F{{2, Problem::NoLineEnd}};
    QTest::newRow("master password without line end") << scrambled("master") << true << 0 << F{{1, Problem::NoLineEnd}};
    QTest::newRow("bytes of a saved file with two entries")
        << hexBytes("F0 E1 F3 F3 0D 0A E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A"
                    "E3 FC FC FC F0 FC FC FC 0D 0A 0D 0A")
        << true << 2 << F{};
}

void tst_DataFileCheck::finds() {
    QFETCH(QByteArray, bytes);
    const DataFileCheck check(bytes);
    QFETCH(bool, master);
    QFETCH(int, entries);
    QFETCH(std::vector<Finding>, findings);
    QCOMPARE(check.hasMasterPassword(), master);
    QCOMPARE(check.entryCount(), qsizetype(entries));
    QCOMPARE(check.findings(), findings);
    QCOMPARE(check.isClean(), findings.empty());
}

void tst_DataFileCheck::countsAsTheReaderDoes_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray master = scrambled("m1234") + "\r\n";
    QTest::newRow("saved") << savedFile(5);
    QTest::newRow("mixed") << master + scrambled("a") + "\r\n\r\n \r\n" + scrambled("b|||c|||d|||e") + "\rxyz\r\n\r\n";
    QTest::newRow("no line ends at all") << QByteArray("abc");
}

void tst_DataFileCheck::countsAsTheReaderDoes() {
    QFETCH(QByteArray, bytes);
    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(bytes);
    const size_t loaded = DataFileFormat::readEntries(QByteArrayView(bytes).sliced(master.entriesStart)).size();
    QCOMPARE(size_t(DataFileCheck(bytes).entryCount()), loaded);
}

void tst_DataFileCheck::onlyLackingTheMasterPassword_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("onlyLacks");
    QTest::newRow("zero bytes") << QByteArray() << true;
    QTest::newRow("one empty line") << QByteArray("\r\n") << true;
    QTest::newRow("entries under an empty line") << QByteArray("\r\n") + scrambled("a|||b|||c") + "\r\n" << true;
    QTest::newRow("clean") << savedFile(1) << false;
    QTest::newRow("no master password and a short line") << QByteArray("\r\n") + scrambled("a") + "\r\n" << false;
    QTest::newRow("a short line") << scrambled("master") + "\r\n" + scrambled("a") + "\r\n" << false;
}

void tst_DataFileCheck::onlyLackingTheMasterPassword() {
    QFETCH(QByteArray, bytes);
    QFETCH(bool, onlyLacks);
    QCOMPARE(DataFileCheck(bytes).onlyLacksMasterPassword(), onlyLacks);
}

void tst_DataFileCheck::descriptionsNameNoContent() {
    QCOMPARE(DataFileCheck::describe(Problem::NoMasterPassword),
             QStringLiteral("no master password: Varnook asks for a new one at its next start"));
    QCOMPARE(DataFileCheck::describe(Problem::EmptyFile),
             QStringLiteral("the file is empty: it holds no master password line"));
    QCOMPARE(DataFileCheck::describe(Problem::ShortLine),
             QStringLiteral("short line: it has fewer than three fields, the missing ones read as empty"));
    QCOMPARE(
        DataFileCheck::describe(Problem::ExtraSeparators),
        QStringLiteral("extra separators: it has more than three fields, the location reads back holding \"|||\""));
    QCOMPARE(DataFileCheck::describe(Problem::SkippedLine),
             QStringLiteral("skipped line: it is empty or one blank, so it holds no entry"));
    QCOMPARE(DataFileCheck::describe(Problem::LoneCarriageReturn),
             QStringLiteral("the line ends with a lone carriage return, which Varnook never writes"));
    QCOMPARE(DataFileCheck::describe(Problem::NoLineEnd),
             QStringLiteral("the last line has no line end: the file may have been cut short"));
}

QTEST_APPLESS_MAIN(tst_DataFileCheck)
#include "tst_datafilecheck.moc"
