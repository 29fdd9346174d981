// Reading the data file a block at a time gives the lines, line ends and findings that reading the
// whole file at once gives, wherever the blocks happen to end; a device that fails is reported.

#include "DataFileCheck.h"
#include "DataFileLines.h"
#include "DataFileStream.h"
#include "FileHelpers.h"

#include <QBuffer>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

struct ReadLine {
    QByteArray text;
    qsizetype lineEnd = 0;
    bool last = false;

    friend bool operator==(const ReadLine &, const ReadLine &) = default;
};

// The lines of the whole bytes, as the store's reader splits them.
QList<ReadLine> wholeFileLines(const QByteArray &bytes) {
    QList<ReadLine> lines;
    DataFileLines reader(bytes);
    QByteArrayView line;
    while (reader.next(line)) {
        const qsizetype end = (line.data() - bytes.constData()) + line.size();
        lines.append({line.toByteArray(), reader.position() - end, reader.position() == bytes.size()});
    }
    return lines;
}

QList<ReadLine> streamedLines(QIODevice &device, qsizetype blockSize, DataFileCheck *check = nullptr) {
    QList<ReadLine> lines;
    DataFileStream stream(device, blockSize);
    DataFileStream::Line line;
    while (stream.next(line)) {
        lines.append({line.text.toByteArray(), line.lineEnd, line.last});
        if (check)
            check->addLine(line.text, line.lineEnd, line.last);
    }
    if (stream.failed())
        lines.append({"failed: " + stream.errorString().toUtf8(), -1, false});
    return lines;
}

QByteArray everyByteButCr() {
    QByteArray bytes;
    for (int code = 0; code < 256; ++code) {
        if (code != '\r')
            bytes.append(char(code));
    }
    return bytes;
}

// A device that gives its bytes and then fails.
class FailingReader : public QIODevice {
public:
    FailingReader(QByteArray bytes)
        : m_bytes(std::move(bytes)) {
        open(QIODevice::ReadOnly);
    }

protected:
    qint64 readData(char *data, qint64 size) override {
        if (m_at >= m_bytes.size()) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 taken = std::min<qint64>(size, m_bytes.size() - m_at);
        std::memcpy(data, m_bytes.constData() + m_at, size_t(taken));
        m_at += taken;
        return taken;
    }
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QByteArray m_bytes;
    qint64 m_at = 0;
};

} // namespace

class tst_DataFileStream : public QObject {
    Q_OBJECT

private slots:
    void sameLinesAsTheWholeFile_data();
    void sameLinesAsTheWholeFile();
    void failedReadIsReported();
};

void tst_DataFileStream::sameLinesAsTheWholeFile_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray master = hexBytes("F0 E1 F3 F3 0D 0A");
    const QByteArray separator = hexBytes("FC FC FC");
    QTest::newRow("zero bytes") << QByteArray();
    QTest::newRow("one empty line") << QByteArray("\r\n");
    QTest::newRow("a saved file") << master + "a" + separator + "b" + separator + "c\r\n\r\n";
    QTest::newRow("every byte value in a field")
        << master + everyByteButCr() + separator + everyByteButCr() + separator + "\r\n\r\n";
    QTest::newRow("lone LF inside lines, no line end at the end") << master + "a\nb\r\n\nc\n";
    QTest::newRow("lone CRs") << QByteArray("\r\r\r\n\rx\r");
    QTest::newRow("CR LF pairs back to back") << QByteArray("\r\n\r\n\r\n");
    QTest::newRow("skipped and short lines, extra separators")
        << master + " \r\n\r\nuser" + separator + "pw\r\nu" + separator + "p" + separator + "l" + separator + "x";
    QTest::newRow("a line longer than any block") << master + QByteArray(5000, 'z') + "\r\n" + QByteArray(3, 'y');
    QTest::newRow("ends in a lone CR after CR LF") << master + "\r";
}

void tst_DataFileStream::sameLinesAsTheWholeFile() {
    QFETCH(QByteArray, bytes);
    const QList<ReadLine> expected = wholeFileLines(bytes);
    const DataFileCheck wholeCheck(bytes);
    // Every small block size puts block ends at every place in the lines, between CR and LF too.
    for (const qsizetype blockSize : {1, 2, 3, 4, 5, 7, 13, 64, 4096, 256 * 1024}) {
        QBuffer device(&bytes);
        QVERIFY(device.open(QIODevice::ReadOnly));
        DataFileCheck check;
        const QList<ReadLine> lines = streamedLines(device, blockSize, &check);
        check.finish();
        QVERIFY2(lines == expected, qPrintable(QStringLiteral("block size %1").arg(blockSize)));
        QCOMPARE(check.findings(), wholeCheck.findings());
        QCOMPARE(check.entryCount(), wholeCheck.entryCount());
        QCOMPARE(check.hasMasterPassword(), wholeCheck.hasMasterPassword());
    }
}

void tst_DataFileStream::failedReadIsReported() {
    // The lines before the failure come out; the line cut by it does not pass for a last line.
    FailingReader device(QByteArray("one\r\ntwo\r\nthr"));
    const QList<ReadLine> lines = streamedLines(device, 4);
    const QList<ReadLine> expected = {{"one", 2, false}, {"two", 2, false}, {"failed: Input/output error", -1, false}};
    QVERIFY(lines == expected);
}

QTEST_GUILESS_MAIN(tst_DataFileStream)
#include "tst_datafilestream.moc"
