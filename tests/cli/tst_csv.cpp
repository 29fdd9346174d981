#include "BufferedWriter.h"
#include "CsvReader.h"
#include "CsvWriter.h"
#include "DataFileFormat.h"
#include "EntryCsv.h"
#include "FileHelpers.h"
#include "ImportColumns.h"
#include "ImportRows.h"
#include "ScrambledCsv.h"

#include <QTest>

using namespace varnook;
using namespace varnook::test;

Q_DECLARE_METATYPE(varnook::Entry)
Q_DECLARE_METATYPE(std::vector<varnook::CsvRecord>)

namespace QTest {
template <> char *toString(const varnook::Entry &entry) {
    return QTest::toString(QStringLiteral("{%1 | %2 | %3}").arg(entry.username, entry.password, entry.location));
}
template <> char *toString(const varnook::CsvRecord &record) {
    return QTest::toString(
        QStringLiteral("row %1: [%2]").arg(record.row).arg(record.fields.join(QStringLiteral("]["))));
}
} // namespace QTest

namespace {

QStringList fields(std::initializer_list<const char *> texts) {
    QStringList list;
    for (const char *text : texts)
        list.append(QString::fromUtf8(text));
    return list;
}

CsvRecord record(qsizetype row, std::initializer_list<const char *> texts) {
    return {row, fields(texts)};
}

} // namespace

class tst_Csv : public QObject {
    Q_OBJECT

private slots:
    void writesEveryFieldQuoted_data();
    void writesEveryFieldQuoted();
    void exportLayout();
    void exportTitleFallsBackToTheUserName();

    void reads_data();
    void reads();
    void refusesMalformedText_data();
    void refusesMalformedText();
    void utf8WithAndWithoutByteOrderMark();
    void refusesBytesThatAreNotUtf8();
    void byteOrderMarksAndCharactersAcrossPieces_data();
    void byteOrderMarksAndCharactersAcrossPieces();
    void scrambledLinesGiveTheEntriesRecords_data();
    void scrambledLinesGiveTheEntriesRecords();
    void writtenRecordsReadBack();

    void findsColumns_data();
    void findsColumns();
    void refusesHeaders_data();
    void refusesHeaders();
    void shortRecordsGiveEmptyFields();

    void rowProblems_data();
    void rowProblems();
    void sortsRowsAndSkipsBlankLines();
    void refusalMessage();
};

void tst_Csv::writesEveryFieldQuoted_data() {
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << fields({"a", "b"}) << QByteArray("\"a\",\"b\"\n");
    QTest::newRow("empty fields") << fields({"", "", ""}) << QByteArray("\"\",\"\",\"\"\n");
    QTest::newRow("quotes doubled") << fields({"say \"hi\"", "\""}) << QByteArray("\"say \"\"hi\"\"\",\"\"\"\"\n");
    QTest::newRow("comma and line breaks kept")
        << fields({"a,b", "x\ny", "p\r\nq"}) << QByteArray("\"a,b\",\"x\ny\",\"p\r\nq\"\n");
    QTest::newRow("UTF-8") << fields({"Åsa", "€ ß 😀"})
                           << QByteArray("\"\xC3\x85sa\",\"\xE2\x82\xAC \xC3\x9F \xF0\x9F\x98\x80\"\n");
    QTest::newRow("blanks kept") << fields({" a ", "  "}) << QByteArray("\" a \",\"  \"\n");
}

void tst_Csv::writesEveryFieldQuoted() {
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, bytes);
    QByteArray out("before\n");
    CsvWriter::appendRecord(out, fields);
    QCOMPARE(out, QByteArray("before\n") + bytes);
}

void tst_Csv::exportLayout() {
    const std::vector<Entry> entries = {
        {QStringLiteral("bob"), QStringLiteral("pw \"1\", two"), QStringLiteral("https://x.example/a?b=1,2")},
        {QStringLiteral("Zoë"), QStringLiteral("Š€"), QStringLiteral("\\\\server\\share")},
    };
    QCOMPARE(EntryCsv::write(entries),
             QByteArray("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\","
                        "\"Last Modified\",\"Created\"\n"
                        "\"Varnook\",\"https://x.example/a?b=1,2\",\"bob\",\"pw \"\"1\"\", two\","
                        "\"https://x.example/a?b=1,2\",\"\",\"\",\"\",\"\",\"\"\n"
                        "\"Varnook\",\"\\\\server\\share\",\"Zo\xC3\xAB\",\"\xC5\xA0\xE2\x82\xAC\","
                        "\"\\\\server\\share\",\"\",\"\",\"\",\"\",\"\"\n"));
    QCOMPARE(EntryCsv::write({}), QByteArray("\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\","
                                             "\"TOTP\",\"Icon\",\"Last Modified\",\"Created\"\n"));
}

void tst_Csv::exportTitleFallsBackToTheUserName() {
    const QStringList row = EntryCsv::fieldsOf({QStringLiteral("carol"), QStringLiteral("p"), QString()});
    QCOMPARE(row, fields({"Varnook", "carol", "carol", "p", "", "", "", "", "", ""}));
    QCOMPARE(row.size(), EntryCsv::header().size());
}

void tst_Csv::reads_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<CsvRecord>>("records");
    using Records = std::vector<CsvRecord>;
    QTest::newRow("nothing") << QString() << Records{};
    QTest::newRow("LF line ends") << QStringLiteral("a,b\nc,d\n")
                                  << Records{record(1, {"a", "b"}), record(2, {"c", "d"})};
    QTest::newRow("CR LF line ends") << QStringLiteral("a,b\r\nc,d\r\n")
                                     << Records{record(1, {"a", "b"}), record(2, {"c", "d"})};
    QTest::newRow("lone CR line ends") << QStringLiteral("a,b\rc,d")
                                       << Records{record(1, {"a", "b"}), record(2, {"c", "d"})};
    QTest::newRow("no line end at the end")
        << QStringLiteral("a,b\nc,d") << Records{record(1, {"a", "b"}), record(2, {"c", "d"})};
    QTest::newRow("empty fields") << QStringLiteral(",,\n,") << Records{record(1, {"", "", ""}), record(2, {"", ""})};
    QTest::newRow("quoted comma") << QStringLiteral("\"a,b\",c") << Records{record(1, {"a,b", "c"})};
    QTest::newRow("doubled quotes") << QStringLiteral("\"say \"\"hi\"\"\",\"\"\"\"")
                                    << Records{record(1, {"say \"hi\"", "\""})};
    QTest::newRow("quoted empty field") << QStringLiteral("\"\",x") << Records{record(1, {"", "x"})};
    QTest::newRow("line breaks inside quotes, one row")
        << QStringLiteral("h\n\"one\r\ntwo\nthree\",x\nlast,y\n")
        << Records{record(1, {"h"}), record(2, {"one\r\ntwo\nthree", "x"}), record(3, {"last", "y"})};
    QTest::newRow("blanks kept") << QStringLiteral(" a ,\" b \",  \n") << Records{record(1, {" a ", " b ", "  "})};
    QTest::newRow("quote inside an unquoted field")
        << QStringLiteral("5\" disk,x") << Records{record(1, {"5\" disk", "x"})};
    QTest::newRow("blank line is a record of one empty field")
        << QStringLiteral("a\n\nb\n") << Records{record(1, {"a"}), record(2, {""}), record(3, {"b"})};
    QTest::newRow("quoted field at the end without line end")
        << QStringLiteral("a,\"b\"") << Records{record(1, {"a", "b"})};
    QTest::newRow("trailing comma") << QStringLiteral("a,\n") << Records{record(1, {"a", ""})};
}

void tst_Csv::reads() {
    QFETCH(QString, text);
    QFETCH(std::vector<CsvRecord>, records);
    const CsvReader::Result result = CsvReader::read(text);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.records, records);
}

void tst_Csv::refusesMalformedText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::newRow("quote never closed") << QStringLiteral("h\nok,1\n\"open,2\nmore\n")
                                        << QStringLiteral(
                                               "Row 3: a quoted field is not closed before the end of the file");
    QTest::newRow("text after the closing quote")
        << QStringLiteral("h\n\"a\nb\",1\n\"x\"y,2\n")
        << QStringLiteral("Row 3: a quoted field is followed by other text than a comma or a line end");
    QTest::newRow("lone quote at the end")
        << QStringLiteral("\"") << QStringLiteral("Row 1: a quoted field is not closed before the end of the file");
}

void tst_Csv::refusesMalformedText() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    const CsvReader::Result result = CsvReader::read(text);
    QVERIFY(!result.ok());
    QCOMPARE(result.error, error);
    QVERIFY(result.records.empty());
}

void tst_Csv::utf8WithAndWithoutByteOrderMark() {
    const std::vector<CsvRecord> expected = {record(1, {"Zoë", "€"})};
    QCOMPARE(CsvReader::readUtf8("Zo\xC3\xAB,\xE2\x82\xAC\n").records, expected);
    QCOMPARE(CsvReader::readUtf8("\xEF\xBB\xBFZo\xC3\xAB,\xE2\x82\xAC\n").records, expected);
}

void tst_Csv::refusesBytesThatAreNotUtf8() {
    // "Zoë" in Windows-1252, as an older spreadsheet might save it.
    const CsvReader::Result result = CsvReader::readUtf8("Username\nZo\xEB\n");
    QVERIFY(!result.ok());
    QCOMPARE(result.error, QStringLiteral("The file is not UTF-8 text. Save it as CSV in UTF-8 and try again."));
    QVERIFY(!CsvReader::readUtf8("ab\xE2\x82").ok()); // cut short inside a character
}

void tst_Csv::byteOrderMarksAndCharactersAcrossPieces_data() {
    // The text is checked as UTF-8 in pieces of 64 KiB, and fields are decoded one by one: the
    // outcome must be that of the whole text at once.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("firstFields"); // empty: refused as not UTF-8
    QTest::addColumn<int>("records");
    const QByteArray mark("\xEF\xBB\xBF");
    const QString markText(QChar(0xFEFF));
    const QByteArray xs(64 * 1024 - 1, 'x');
    QTest::newRow("two marks in front are both taken off") << mark + mark + "a,b\n" << QStringList{"a", "b"} << 1;
    QTest::newRow("a third mark is text") << mark + mark + mark + "a\n" << QStringList{markText + "a"} << 1;
    QTest::newRow("a mark at a field's start is text") << QByteArray("a,") + mark + "b\n"
                                                       << QStringList{"a", markText + "b"} << 1;
    QTest::newRow("a mark in a quoted field is text") << QByteArray("\"") + mark + "a\"\n"
                                                      << QStringList{markText + "a"} << 1;
    QTest::newRow("two bytes across the end of a piece") << xs + "\xC3\xA9,z\n" << QStringList{xs + "é", "z"} << 1;
    QTest::newRow("three bytes across the end of a piece") << xs + "x\xE2\x82\xAC\ny\n" << QStringList{xs + "x€"} << 2;
    QTest::newRow("a lone continuation byte after a piece") << xs + "x\x82\n" << QStringList{} << 0;
    QTest::newRow("a character cut short at the end of a piece") << xs + "\xE2\x82y\n" << QStringList{} << 0;
    QTest::newRow("a character cut short at the end") << xs + "y\xE2\x82" << QStringList{} << 0;
}

void tst_Csv::byteOrderMarksAndCharactersAcrossPieces() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, firstFields);
    QFETCH(int, records);
    const CsvReader::Result result = CsvReader::readUtf8(bytes);
    if (firstFields.isEmpty()) {
        QCOMPARE(result.error, QStringLiteral("The file is not UTF-8 text. Save it as CSV in UTF-8 and try again."));
        QVERIFY(result.records.empty());
        return;
    }
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(int(result.records.size()), records);
    QCOMPARE(result.records.front().fields, firstFields);
}

void tst_Csv::scrambledLinesGiveTheEntriesRecords_data() {
    // A scrambled line straight to its CSV record gives the bytes EntryCsv writes for the entry the
    // store reads from the line.
    QTest::addColumn<QByteArray>("line");
    QByteArray everyByte;
    for (int code = 0; code < 256; ++code) {
        if (code != '\r')
            everyByte.append(char(code));
    }
    const QByteArray bar = hexBytes("FC FC FC");
    QTest::newRow("every byte in the user name") << everyByte + bar + "pw" + bar + "loc";
    QTest::newRow("every byte in the password, no location") << QByteArray("u") + bar + everyByte + bar;
    QTest::newRow("every byte in the location") << QByteArray("u") + bar + "p" + bar + everyByte;
    QTest::newRow("quotes and NUL") << hexBytes("A2 E1 A2 80 FC FC FC A2 A2 FC FC FC 80 A2");
    QTest::newRow("all fields empty") << bar + bar;
    QTest::newRow("no separator") << QByteArray("only");
    QTest::newRow("one separator") << QByteArray("u") + bar + "p";
    QTest::newRow("extra separators") << QByteArray("u") + bar + "p" + bar + "l" + bar + "m" + bar;
    QTest::newRow("four bars") << hexBytes("E1 FC FC FC FC E2 FC FC FC E3");
    QTest::newRow("a lone LF in a field") << QByteArray("a\nb") + bar + "p" + bar + "\n";
}

void tst_Csv::scrambledLinesGiveTheEntriesRecords() {
    QFETCH(QByteArray, line);
    QByteArray expected;
    CsvWriter::appendRecord(expected, EntryCsv::header());
    CsvWriter::appendRecord(expected, EntryCsv::fieldsOf(DataFileFormat::readEntry(line)));
    QByteArray written;
    BufferedWriter out(
        [&written](QByteArrayView block) {
            written.append(block);
            return true;
        },
        16);
    ScrambledCsv::writeHeader(out);
    ScrambledCsv::writeRecord(out, line);
    QVERIFY(out.flush());
    QCOMPARE(written, expected);
}

void tst_Csv::writtenRecordsReadBack() {
    const QStringList tricky = fields({"", "\"", "a,b", "x\r\ny", "\n", "\r", " lead", "trail ", "😀", "\"\"\"", ",,"});
    QByteArray out;
    CsvWriter::appendRecord(out, tricky);
    CsvWriter::appendRecord(out, fields({"second"}));
    const CsvReader::Result result = CsvReader::readUtf8(out);
    QVERIFY(result.ok());
    QCOMPARE(result.records, (std::vector<CsvRecord>{{1, tricky}, record(2, {"second"})}));
}

void tst_Csv::findsColumns_data() {
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<int>("username");
    QTest::addColumn<int>("password");
    QTest::addColumn<int>("location");
    QTest::newRow("KeePassXC") << EntryCsv::header() << 2 << 3 << 4;
    QTest::newRow("KeePass 2") << fields({"Account", "Login Name", "Password", "Web Site", "Comments"}) << 1 << 2 << 3;
    QTest::newRow("common layout") << fields({"folder", "favorite", "type", "name", "notes", "fields", "reprompt",
                                              "login_uri", "login_username", "login_password", "login_totp"})
                                   << 8 << 9 << 7;
    QTest::newRow("any letter case") << fields({"USERNAME", "password", "url"}) << 0 << 1 << 2;
    QTest::newRow("blanks around names") << fields({" Web site ", "  login name", "PASSWORD "}) << 1 << 2 << 0;
    QTest::newRow("no location column") << fields({"Password", "Title", "Username"}) << 2 << 0 << -1;
}

void tst_Csv::findsColumns() {
    QFETCH(QStringList, header);
    QString error;
    const std::optional<ImportColumns> columns = ImportColumns::find(header, error);
    QVERIFY2(columns, qPrintable(error));
    QFETCH(int, username);
    QFETCH(int, password);
    QFETCH(int, location);
    QCOMPARE(columns->usernameColumn(), username);
    QCOMPARE(columns->passwordColumn(), password);
    QCOMPARE(columns->locationColumn(), location);
}

void tst_Csv::refusesHeaders_data() {
    QTest::addColumn<QStringList>("header");
    QTest::addColumn<QString>("error");
    QTest::newRow("no user name")
        << fields({"Title", "Password", "URL"})
        << QStringLiteral("The header row has no user name column; it needs one named \"Username\", \"Login Name\" or "
                          "\"login_username\".");
    QTest::newRow("no password")
        << fields({"user", "Username", "URL"})
        << QStringLiteral(
               "The header row has no password column; it needs one named \"Password\" or \"login_password\".");
    QTest::newRow("a data row taken for the header")
        << fields({"bob", "secret", "x.org"})
        << QStringLiteral("The header row has no user name column; it needs one named \"Username\", \"Login Name\" or "
                          "\"login_username\".");
    QTest::newRow("two user name columns")
        << fields({"Username", "Password", "login_username"})
        << QStringLiteral("The header row names more than one user name column: \"Username\" and \"login_username\".");
    QTest::newRow("two location columns")
        << fields({"Username", "Password", "URL", "url"})
        << QStringLiteral("The header row names more than one location column: \"URL\" and \"url\".");
}

void tst_Csv::refusesHeaders() {
    QFETCH(QStringList, header);
    QFETCH(QString, error);
    QString found;
    QVERIFY(!ImportColumns::find(header, found));
    QCOMPARE(found, error);
}

void tst_Csv::shortRecordsGiveEmptyFields() {
    QString error;
    const std::optional<ImportColumns> columns = ImportColumns::find(fields({"URL", "Username", "Password"}), error);
    QVERIFY(columns);
    QCOMPARE(columns->entryOf(fields({"x.org", "bob", "pw", "extra"})),
             (Entry{QStringLiteral("bob"), QStringLiteral("pw"), QStringLiteral("x.org")}));
    QCOMPARE(columns->entryOf(fields({"x.org", "bob"})),
             (Entry{QStringLiteral("bob"), QString(), QStringLiteral("x.org")}));
    QCOMPARE(columns->entryOf({}), Entry{});
}

void tst_Csv::rowProblems_data() {
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<QString>("problem");
    const QString bar = QStringLiteral("it contains \"|||\", which the data file uses to separate fields");
    const QString lineBreak = QStringLiteral("it contains a line break, which the data file uses to separate entries");
    const QString codePage =
        QStringLiteral("it contains a character the data file cannot store; it would be saved as \"?\"");
    auto e = [](const char *u, const char *p, const char *l) {
        return Entry{QString::fromUtf8(u), QString::fromUtf8(p), QString::fromUtf8(l)};
    };
    QTest::newRow("fine") << e("bob", "pw", "x.org") << QString();
    QTest::newRow("fine without location") << e("bob", "pw", "") << QString();
    QTest::newRow("fine: Windows-1252 letters, euro, blanks") << e(" Zoë ", "Š€ ", "ß") << QString();
    QTest::newRow("fine: | inside and at safe edges") << e("|a|b", "|p|q", "|x|") << QString();
    QTest::newRow("empty user name") << e("", "pw", "x") << QStringLiteral("the user name is empty");
    QTest::newRow("empty password") << e("bob", "", "x") << QStringLiteral("the password is empty");
    QTest::newRow("both empty") << e("", "", "") << QStringLiteral("the user name is empty");
    QTest::newRow("||| in user name") << e("a|||b", "pw", "")
                                      << QStringLiteral("the user name cannot be stored: ") + bar;
    QTest::newRow("||| in password") << e("bob", "|||", "") << QStringLiteral("the password cannot be stored: ") + bar;
    QTest::newRow("||| in location") << e("bob", "pw", "x|||y")
                                     << QStringLiteral("the location cannot be stored: ") + bar;
    QTest::newRow("LF in password") << e("bob", "p\nw", "")
                                    << QStringLiteral("the password cannot be stored: ") + lineBreak;
    QTest::newRow("CR LF in location") << e("bob", "pw", "a\r\nb")
                                       << QStringLiteral("the location cannot be stored: ") + lineBreak;
    QTest::newRow("outside Windows-1252")
        << e("bob", "pāss", "") << QStringLiteral("the password cannot be stored: ") + codePage;
    QTest::newRow("emoji in location") << e("bob", "pw", "😀")
                                       << QStringLiteral("the location cannot be stored: ") + codePage;
    QTest::newRow("control code that scrambles to CR")
        << Entry{QStringLiteral("bob"), QStringLiteral("pw"), QString(QChar(0x8D))}
        << QStringLiteral("the location cannot be stored: it contains a character that cannot be stored in the data "
                          "file");
    const QString oneMegabyte(1024 * 1024, u'x');
    QTest::newRow("location of 1 MB") << Entry{QStringLiteral("bob"), QStringLiteral("pw"), oneMegabyte} << QString();
    QTest::newRow("location over 1 MB") << Entry{QStringLiteral("bob"), QStringLiteral("pw"), oneMegabyte + u'x'}
                                        << QStringLiteral("the location is longer than 1 MB (1048576 characters)");
    QTest::newRow("password over 1 MB") << Entry{QStringLiteral("bob"), oneMegabyte + u'|', QString()}
                                        << QStringLiteral("the password is longer than 1 MB (1048576 characters)");
    QTest::newRow("user name ends with |")
        << e("bob|", "pw", "")
        << QStringLiteral("the user name ends with \"|\", which would run into the data file's separator \"|||\"");
    QTest::newRow("password ends with ||")
        << e("bob", "pw||", "x")
        << QStringLiteral("the password ends with \"|\", which would run into the data file's separator \"|||\"");
}

void tst_Csv::rowProblems() {
    QFETCH(Entry, entry);
    QFETCH(QString, problem);
    QCOMPARE(ImportRows::problemOf(entry), problem);
    // Every entry let through is one the data file gives back unchanged.
    if (problem.isEmpty())
        QVERIFY(DataFileFormat::readsBackAsWritten(entry));
}

void tst_Csv::sortsRowsAndSkipsBlankLines() {
    const CsvReader::Result csv = CsvReader::read(QStringLiteral("Password,Username\n"
                                                                 "pw1,bob\n"
                                                                 "\n"
                                                                 ",nopass\n"
                                                                 "\"two\nlines\",carol\n"
                                                                 "pw4,dave\n"
                                                                 ",\n"));
    QVERIFY(csv.ok());
    QString error;
    const std::optional<ImportColumns> columns = ImportColumns::find(csv.records.front().fields, error);
    QVERIFY(columns);
    const ImportRows rows(csv.records, *columns);
    QCOMPARE(rows.entries(), (std::vector<Entry>{{QStringLiteral("bob"), QStringLiteral("pw1"), QString()},
                                                 {QStringLiteral("dave"), QStringLiteral("pw4"), QString()}}));
    QCOMPARE(rows.refused(),
             (std::vector<ImportRows::Refused>{
                 {4, QStringLiteral("the password is empty")},
                 {5, QStringLiteral("the password cannot be stored: it contains a line break, which the data file uses "
                                    "to separate entries")},
                 {7, QStringLiteral("the user name is empty")},
             }));
}

void tst_Csv::refusalMessage() {
    QCOMPARE(ImportRows::message({12, QStringLiteral("the password is empty")}),
             QStringLiteral("Row 12 not imported: the password is empty"));
}

QTEST_APPLESS_MAIN(tst_Csv)
#include "tst_csv.moc"
