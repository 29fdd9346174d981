#include "HugePages.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTest>

using namespace varnook;

class tst_ReadWhole : public QObject {
    Q_OBJECT

private slots:
    // A file is read byte for byte whatever its size, and whatever it holds by the time it is read:
    // a file still being written may have grown or shrunk since its size was taken.
    void readsEveryByteThereIs_data() {
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("sizeTaken");
        QTest::newRow("short") << qint64(1000) << qint64(1000);
        QTest::newRow("empty") << qint64(0) << qint64(0);
        QTest::newRow("long") << qint64(9'000'001) << qint64(9'000'001);
        QTest::newRow("long, grown since") << qint64(9'000'001) << qint64(6'000'000);
        QTest::newRow("long, cut since") << qint64(5'000'000) << qint64(9'000'001);
    }
    void readsEveryByteThereIs() {
        QFETCH(qint64, length);
        QFETCH(qint64, sizeTaken);
        QByteArray content(length, Qt::Uninitialized);
        QRandomGenerator random(length);
        for (char &byte : content)
            byte = char(random.bounded(256));
        QBuffer device(&content);
        QVERIFY(device.open(QIODevice::ReadOnly));
        const QByteArray read = readWhole(device, sizeTaken);
        QCOMPARE(read.size(), content.size());
        QVERIFY(read == content);
    }
};

QTEST_GUILESS_MAIN(tst_ReadWhole)
#include "tst_readwhole.moc"
