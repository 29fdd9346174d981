#include "CliRunner.h"
#include "DataFileFormat.h"
#include "EntryCsv.h"
#include "FileHelpers.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

// Where KeePassXC's command-line tool is installed (Debian package keepassxc), a CSV file that it
// exports is imported and its entries come out in place.
class tst_KeePassXCImport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void importsWhatKeePassXCExports();

private:
    // Runs keepassxc-cli with lines on its standard input; its standard output, or a failure.
    bool keepass(const QStringList &arguments, const QStringList &inputLines, QByteArray *output = nullptr);

    QString m_keepass;
    QTemporaryDir m_scratch;
};

void tst_KeePassXCImport::initTestCase() {
    m_keepass = QStandardPaths::findExecutable(QStringLiteral("keepassxc-cli"));
    if (m_keepass.isEmpty())
        QSKIP("keepassxc-cli is not installed (Debian package keepassxc); the import of its CSV export is not tried.");
    QVERIFY(m_scratch.isValid());
}

bool tst_KeePassXCImport::keepass(const QStringList &arguments, const QStringList &inputLines, QByteArray *output) {
    QProcess process;
    process.start(m_keepass, arguments);
    if (!process.waitForStarted())
        return false;
    for (const QString &line : inputLines)
        process.write(line.toUtf8() + '\n');
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return false;
    const QByteArray err = process.readAllStandardError();
    if (output)
        *output = process.readAllStandardOutput();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        qWarning("keepassxc-cli %s failed: %s", qPrintable(arguments.join(QLatin1Char(' '))), err.constData());
        return false;
    }
    return true;
}

void tst_KeePassXCImport::importsWhatKeePassXCExports() {
    const QString database = m_scratch.filePath(QStringLiteral("peer.kdbx"));
    const QString dbPassword = QStringLiteral("kdbx-Pass-1");
    QVERIFY(
        keepass({QStringLiteral("db-create"), QStringLiteral("--set-password"), database}, {dbPassword, dbPassword}));

    const std::vector<Entry> entries = {
        {QStringLiteral("alice"), QStringLiteral("pw, with \"quotes\""), QStringLiteral("https://mail.example/")},
        {QStringLiteral("Zoë"), QStringLiteral("Šecret€"), QString()},
    };
    int title = 0;
    for (const Entry &entry : entries) {
        QStringList arguments = {QStringLiteral("add"), QStringLiteral("--username"), entry.username,
                                 QStringLiteral("--password-prompt")};
        if (!entry.location.isEmpty())
            arguments << QStringLiteral("--url") << entry.location;
        arguments << database << QStringLiteral("Entry %1").arg(++title);
        QVERIFY(keepass(arguments, {dbPassword, entry.password, entry.password}));
    }
    QByteArray csv;
    QVERIFY(keepass({QStringLiteral("export"), QStringLiteral("--format"), QStringLiteral("csv"), database},
                    {dbPassword}, &csv));
    // Whatever it prints before the CSV text (a password prompt) is not part of it.
    const qsizetype start = csv.indexOf("\"Group\"");
    QVERIFY2(start >= 0, csv.constData());
    csv = csv.mid(start);
    // KeePassXC writes the columns our export writes.
    const QByteArray header = csv.left(csv.indexOf('\n'));
    for (const QString &name : EntryCsv::header())
        QVERIFY2(header.contains(QByteArray("\"") + name.toUtf8() + "\""), header.constData());

    const QString csvFile = m_scratch.filePath(QStringLiteral("peer.csv"));
    writeBytes(csvFile, csv);
    const QString folder = m_scratch.filePath(QStringLiteral("varnook"));
    QDir().mkpath(folder);
    const CliResult result =
        runCli({QStringLiteral("import"), csvFile, QStringLiteral("--folder"), folder}, QByteArray("varnook-Master\n"));
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.exitCode, 0);
    QCOMPARE(readBytes(QDir(folder).filePath(QStringLiteral("data.enc"))),
             DataFileFormat::serialize(QStringLiteral("varnook-Master"), entries));
}

QTEST_GUILESS_MAIN(tst_KeePassXCImport)
#include "tst_keepassxc_import.moc"
