#include "CodePage1252.h"

#include <QTest>

using namespace varnook;

class tst_CodePage1252 : public QObject {
    Q_OBJECT

private slots:
    void everyCodeDecodesAndEncodesBack();
    void everyCodeStandsForADifferentCharacter();
    void characters_data();
    void characters();
    void bestFit_data();
    void bestFit();
    void onePerCharacter();
    void longTextsMatchCharacterByCharacter();
    void holds_data();
    void holds();
    void roundTrip();
};

void tst_CodePage1252::everyCodeDecodesAndEncodesBack() {
    QByteArray all;
    for (int code = 0; code < 256; ++code)
        all.append(char(code));
    const QString text = CodePage1252::toUnicode(all);
    QCOMPARE(text.size(), 256);
    QCOMPARE(CodePage1252::fromUnicode(text), all);
}

void tst_CodePage1252::everyCodeStandsForADifferentCharacter() {
    QSet<char16_t> seen;
    for (int code = 0; code < 256; ++code)
        seen.insert(CodePage1252::toUnicode(uchar(code)));
    QCOMPARE(seen.size(), 256);
}

void tst_CodePage1252::characters_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("character");
    QTest::newRow("NUL") << 0x00 << 0x0000;
    QTest::newRow("A") << 0x41 << 0x0041;
    QTest::newRow("pipe") << 0x7C << 0x007C;
    QTest::newRow("euro") << 0x80 << 0x20AC;
    QTest::newRow("open 81") << 0x81 << 0x0081;
    QTest::newRow("low quote") << 0x82 << 0x201A;
    QTest::newRow("ellipsis") << 0x85 << 0x2026;
    QTest::newRow("S caron") << 0x8A << 0x0160;
    QTest::newRow("open 8D") << 0x8D << 0x008D;
    QTest::newRow("Z caron") << 0x8E << 0x017D;
    QTest::newRow("open 8F") << 0x8F << 0x008F;
    QTest::newRow("open 90") << 0x90 << 0x0090;
    QTest::newRow("left quote") << 0x91 << 0x2018;
    QTest::newRow("em dash") << 0x97 << 0x2014;
    QTest::newRow("trade mark") << 0x99 << 0x2122;
    QTest::newRow("s caron") << 0x9A << 0x0161;
    QTest::newRow("open 9D") << 0x9D << 0x009D;
    QTest::newRow("Y diaeresis") << 0x9F << 0x0178;
    QTest::newRow("no-break space") << 0xA0 << 0x00A0;
    QTest::newRow("a acute") << 0xE1 << 0x00E1;
    QTest::newRow("e acute") << 0xE9 << 0x00E9;
    QTest::newRow("y diaeresis") << 0xFF << 0x00FF;
}

void tst_CodePage1252::characters() {
    QFETCH(int, code);
    QFETCH(int, character);
    QCOMPARE(int(CodePage1252::toUnicode(uchar(code))), character);
    QCOMPARE(CodePage1252::codeOf(char32_t(character)), code);
    QCOMPARE(int(CodePage1252::bestFitCode(char32_t(character))), code);
}

void tst_CodePage1252::bestFit_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("codes");
    QTest::newRow("a macron") << QStringLiteral("ā") << QByteArray("a");
    QTest::newRow("A macron") << QStringLiteral("Ā") << QByteArray("A");
    QTest::newRow("o double acute") << QStringLiteral("ő") << QByteArray("o");
    QTest::newRow("S cedilla") << QStringLiteral("Ş") << QByteArray("S");
    QTest::newRow("c caron") << QStringLiteral("č") << QByteArray("c");
    QTest::newRow("fi ligature") << QStringLiteral("ﬁ") << QByteArray("f");
    QTest::newRow("full-width A") << QStringLiteral("Ａ") << QByteArray("A");
    QTest::newRow("en space") << QStringLiteral("\u2002") << QByteArray(" ");
    QTest::newRow("mathematical bold A") << QStringLiteral("\U0001D400") << QByteArray("A");
    QTest::newRow("l stroke has no base letter") << QStringLiteral("ł") << QByteArray("?");
    QTest::newRow("CJK") << QStringLiteral("日本") << QByteArray("??");
    QTest::newRow("emoji is one character") << QStringLiteral("x\U0001F600y") << QByteArray("x?y");
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?");
    QTest::newRow("C1 control not in the code page") << QString(QChar(0x0080)) << QByteArray("?");
    QTest::newRow("mixed") << QStringLiteral("Zoë €5 ā")
                           << QByteArray("Zo\xEB \x80"
                                         "5 a");
}

void tst_CodePage1252::bestFit() {
    QFETCH(QString, text);
    QFETCH(QByteArray, codes);
    QCOMPARE(CodePage1252::fromUnicode(text), codes);
}

void tst_CodePage1252::onePerCharacter() {
    QByteArray out("head");
    CodePage1252::appendFromUnicode(out, QStringLiteral("\U0001F600\U0001F600é"));
    QCOMPARE(out, QByteArray("head??\xE9"));
}

void tst_CodePage1252::longTextsMatchCharacterByCharacter() {
    // Plain ASCII is encoded in blocks; a character of any other kind may sit anywhere in a block.
    const QList<QChar> others = {QChar(0xE9), QChar(0x20AC), QChar(0x0101), QChar(0x00A0), QChar(0x0080)};
    for (int length = 1; length <= 40; ++length) {
        for (int at = 0; at < length; ++at) {
            for (const QChar other : others) {
                QString text;
                for (int i = 0; i < length; ++i)
                    text.append(QChar(u'a' + i % 26));
                text[at] = other;
                QByteArray expected;
                for (const QChar character : text)
                    expected.append(char(CodePage1252::bestFitCode(character.unicode())));
                QCOMPARE(CodePage1252::fromUnicode(text), expected);
            }
        }
    }
}

void tst_CodePage1252::holds_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("held");
    QTest::newRow("empty") << QString() << true;
    QTest::newRow("ASCII") << QStringLiteral("user@example.com") << true;
    QTest::newRow("Western letters") << QStringLiteral("Šéü€™") << true;
    QTest::newRow("a macron") << QStringLiteral("ā") << false;
    QTest::newRow("emoji") << QStringLiteral("\U0001F600") << false;
    QTest::newRow("open code 8D") << QString(QChar(0x008D)) << false;
    QTest::newRow("open code 81") << QString(QChar(0x0081)) << false;
}

void tst_CodePage1252::holds() {
    QFETCH(QString, text);
    QFETCH(bool, held);
    QCOMPARE(CodePage1252::holds(text), held);
}

void tst_CodePage1252::roundTrip() {
    QCOMPARE(CodePage1252::roundTrip(QStringLiteral("Māori €")), QStringLiteral("Maori €"));
    QCOMPARE(CodePage1252::roundTrip(QStringLiteral("plain")), QStringLiteral("plain"));
}

QTEST_GUILESS_MAIN(tst_CodePage1252)
#include "tst_codepage1252.moc"
