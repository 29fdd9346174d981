#include "CodePage1252.h"
#include "DataFileFormat.h"
#include "ScrambleText.h"

#include <QTest>

using namespace varnook;

class tst_ScrambleText : public QObject {
    Q_OBJECT

private slots:
    void codes_data();
    void codes();
    void everyCodeTwiceGivesItBack();
    void workedExamples_data();
    void workedExamples();
    void asciiNeverGivesALowByte();
    void bytesInPlace();
};

void tst_ScrambleText::codes_data() {
    QTest::addColumn<int>("plain");
    QTest::addColumn<int>("scrambled");
    QTest::newRow("0 goes to 128") << 0 << 128;
    QTest::newRow("128 goes to 0") << 128 << 0;
    QTest::newRow("1") << 1 << 129;
    QTest::newRow("127") << 127 << 255;
    QTest::newRow("129") << 129 << 1;
    QTest::newRow("138 is LF") << 138 << 10;
    QTest::newRow("141 is CR") << 141 << 13;
    QTest::newRow("154") << 154 << 26;
    QTest::newRow("255") << 255 << 127;
}

void tst_ScrambleText::codes() {
    QFETCH(int, plain);
    QFETCH(int, scrambled);
    QCOMPARE(int(scrambleCode(uchar(plain))), scrambled);
    QCOMPARE(int(scrambleCode(uchar(scrambled))), plain);
}

void tst_ScrambleText::everyCodeTwiceGivesItBack() {
    for (int code = 0; code < 256; ++code) {
        const uchar once = scrambleCode(uchar(code));
        QVERIFY2(once != code, qPrintable(QString::number(code)));
        if (code < 128)
            QCOMPARE(int(once), code + 128);
        else if (code > 128)
            QCOMPARE(int(once), code - 128);
        QCOMPARE(int(scrambleCode(once)), code);
    }
}

void tst_ScrambleText::workedExamples_data() {
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("abc") << QStringLiteral("abc") << QByteArray("\xE1\xE2\xE3");
    QTest::newRow("separator") << QStringLiteral("|||") << QByteArray("\xFC\xFC\xFC");
    QTest::newRow("digits") << QStringLiteral("0123456789") << QByteArray("\xB0\xB1\xB2\xB3\xB4\xB5\xB6\xB7\xB8\xB9");
    QTest::newRow("e acute") << QStringLiteral("é") << QByteArray("i");
    QTest::newRow("S caron") << QStringLiteral("Š") << QByteArray("\n");
    QTest::newRow("s caron") << QStringLiteral("š") << QByteArray("\x1A");
    QTest::newRow("euro") << QStringLiteral("€") << QByteArray("\0", 1);
    QTest::newRow("NUL") << QString(QChar(0)) << QByteArray("\x80");
    QTest::newRow("blank") << QStringLiteral(" ") << QByteArray("\xA0");
}

void tst_ScrambleText::workedExamples() {
    QFETCH(QString, plain);
    QFETCH(QByteArray, stored);
    QByteArray codes = CodePage1252::fromUnicode(plain);
    QCOMPARE(scrambleBytes(codes), stored);
    QCOMPARE(DataFileFormat::plainText(stored), plain);
}

void tst_ScrambleText::asciiNeverGivesALowByte() {
    QByteArray ascii;
    for (int code = 0; code < 128; ++code)
        ascii.append(char(code));
    const QByteArray stored = scrambleBytes(ascii);
    QCOMPARE(stored.size(), 128);
    for (const char byte : stored)
        QVERIFY(uchar(byte) >= 128);
}

void tst_ScrambleText::bytesInPlace() {
    QByteArray bytes("\x00\x7F\x80\xFF", 4);
    QCOMPARE(scrambleBytes(bytes), QByteArray("\x80\xFF\x00\x7F", 4));

    // Long runs are done in blocks; every length and every byte value must come out the same.
    for (int length = 0; length <= 40; ++length) {
        QByteArray run;
        for (int i = 0; i < length; ++i)
            run.append(char((i * 37 + length) & 0xFF));
        QByteArray expected = run;
        for (char &byte : expected)
            byte = char(uchar(byte) ^ 0x80);
        QCOMPARE(scrambleBytes(run), expected);
    }
}

QTEST_GUILESS_MAIN(tst_ScrambleText)
#include "tst_scrambletext.moc"
