#include "DiskState.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

using namespace varnook;

// The digest that tells a file read again from one that changed: the standard BLAKE2b-256 that
// earlier versions used.
class tst_ContentHash : public QObject {
    Q_OBJECT

private slots:
    void knownDigest() {
        QCOMPARE(ContentHash::of("abc").toHex(),
                 QByteArray("bddd813c634239723171ef3fee98579b94964e3bb1cb3e427262c8c068d52319"));
    }

    void readsTellTheSameBytesFromOthers() {
        // A file written again under another identity, the same bytes; one of the same size that
        // differs; and a save's file, which has no digest and is never taken for another.
        QByteArray bytes(3 * 1024 * 1024 + 17, Qt::Uninitialized);
        QRandomGenerator random(7);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        const FileIdentity first{true, 1, 10, bytes.size(), 100};
        const FileIdentity again{true, 1, 11, bytes.size(), 200};
        const DiskState read = DiskState::ofBytesRead(first, bytes);
        QByteArray changed = bytes;
        changed[changed.size() / 2] = char(changed[changed.size() / 2] ^ 1);

        QVERIFY(read.sameBytesAs(DiskState::ofBytesRead(again, QByteArray(bytes.constData(), bytes.size()))));
        QVERIFY(!read.sameBytesAs(DiskState::ofBytesRead(again, changed)));
        QVERIFY(!read.sameBytesAs(DiskState::ofBytesRead(again, bytes.left(bytes.size() - 1))));
        QVERIFY(!read.sameBytesAs(DiskState(again)));
        QVERIFY(!DiskState(first).sameBytesAs(DiskState(first)));
        QCOMPARE(read.hash(), QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256));
    }
};

QTEST_GUILESS_MAIN(tst_ContentHash)
#include "tst_contenthash.moc"
