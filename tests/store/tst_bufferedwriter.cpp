// The buffered writer hands on exactly the bytes written, in order, in blocks no larger than its
// block size (a piece larger than a block goes on alone), and nothing more once a block was refused.

#include "BufferedWriter.h"

#include <QTest>

using namespace varnook;

namespace {

constexpr qsizetype BlockSize = 8;

// How a test writes: whole pieces, single bytes, or through reserve and commit.
enum class Way { Pieces, Bytes, Reserve };

void writeAll(BufferedWriter &out, const QList<QByteArray> &pieces, Way way) {
    for (const QByteArray &piece : pieces) {
        switch (way) {
        case Way::Pieces:
            out.write(piece);
            break;
        case Way::Bytes:
            for (const char byte : piece)
                out.write(byte);
            break;
        case Way::Reserve: {
            char *dest = out.reserve(piece.size() + 3); // more room than needed, as an encoder asks
            std::memcpy(dest, piece.constData(), size_t(piece.size()));
            out.commit(dest + piece.size());
            break;
        }
        }
    }
}

} // namespace

Q_DECLARE_METATYPE(Way)

class tst_BufferedWriter : public QObject {
    Q_OBJECT

private slots:
    void handsOnTheBytesInBlocks_data();
    void handsOnTheBytesInBlocks();
    void refusedBlockEndsTheWriting_data();
    void refusedBlockEndsTheWriting();
};

void tst_BufferedWriter::handsOnTheBytesInBlocks_data() {
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<Way>("way");
    const QList<QByteArray> mixed = {"",   "a", "bcdefgh", "ijklmnop", "q", "rstuvwxyz0123", "4", QByteArray(30, 'L'),
                                     "end"};
    for (const auto &[name, way] : {std::pair{"pieces", Way::Pieces}, std::pair{"bytes", Way::Bytes},
                                    std::pair{"reserve and commit", Way::Reserve}}) {
        QTest::addRow("nothing, %s", name) << QList<QByteArray>{} << way;
        QTest::addRow("exactly one block, %s", name) << QList<QByteArray>{"12345678"} << way;
        QTest::addRow("mixed sizes, %s", name) << mixed << way;
    }
}

void tst_BufferedWriter::handsOnTheBytesInBlocks() {
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(Way, way);
    QList<QByteArray> blocks;
    BufferedWriter out(
        [&blocks](QByteArrayView block) {
            blocks.append(block.toByteArray());
            return true;
        },
        BlockSize);
    writeAll(out, pieces, way);
    QVERIFY(out.flush());
    QVERIFY(!out.failed());
    QCOMPARE(blocks.join(), pieces.join());
    for (const QByteArray &block : blocks) {
        QVERIFY(!block.isEmpty());
        // Only a piece that is larger than a block by itself may come as one larger block.
        if (block.size() > BlockSize + (way == Way::Reserve ? 3 : 0))
            QVERIFY2(pieces.contains(block), block.constData());
    }
}

void tst_BufferedWriter::refusedBlockEndsTheWriting_data() {
    QTest::addColumn<int>("takenBlocks");
    QTest::newRow("the first block refused") << 0;
    QTest::newRow("the second block refused") << 1;
    QTest::newRow("the third block refused") << 2;
}

void tst_BufferedWriter::refusedBlockEndsTheWriting() {
    QFETCH(int, takenBlocks);
    int offered = 0;
    QByteArray taken;
    BufferedWriter out(
        [&](QByteArrayView block) {
            if (offered++ == takenBlocks)
                return false;
            taken.append(block);
            return true;
        },
        BlockSize);
    for (int i = 0; i < 10; ++i)
        out.write(QByteArrayView("abcde"));
    QVERIFY(!out.flush());
    QVERIFY(out.failed());
    // After the refused block nothing else was offered.
    QCOMPARE(offered, takenBlocks + 1);
    QVERIFY(QByteArray("abcde").repeated(10).startsWith(taken));
    QCOMPARE(taken.isEmpty(), takenBlocks == 0);
}

QTEST_GUILESS_MAIN(tst_BufferedWriter)
#include "tst_bufferedwriter.moc"
