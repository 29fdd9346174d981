#include "DiskState.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace varnook;

// The digest that tells a file written again from one that changed: the same for bytes read whole
// and for bytes written a block at a time, and the standard BLAKE2b-256 that earlier versions used.
class tst_ContentHash : public QObject {
    Q_OBJECT

private slots:
    void knownDigest() {
        QCOMPARE(ContentHash::of("abc").toHex(),
                 QByteArray("bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319"));
    }

    void blocksGiveTheDigestOfTheWhole_data() {
        QTest::addColumn<qsizetype>("size");
        QTest::addColumn<qsizetype>("blockSize");
        QTest::newRow("nothing") << qsizetype(0) << qsizetype(1);
        QTest::newRow("one byte at a time") << qsizetype(300) << qsizetype(1);
        QTest::newRow("uneven blocks") << qsizetype(3 * 1024 * 1024 + 17) << qsizetype(256 * 1024 + 3);
    }
    void blocksGiveTheDigestOfTheWhole() {
        QFETCH(qsizetype, size);
        QFETCH(qsizetype, blockSize);
        QByteArray bytes(size, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        BackgroundHash blocks;
        for (qsizetype at = 0; at < size; at += blockSize)
            blocks.add(QByteArrayView(bytes).sliced(at, std::min(blockSize, size - at)));
        const QByteArray whole = ContentHash::of(bytes);
        QCOMPARE(blocks.result(), whole);
        QCOMPARE(whole, QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256));
    }
};

QTEST_GUILESS_MAIN(tst_ContentHash)
#include "tst_contenthash.moc"
