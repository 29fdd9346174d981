#include "MasterPasswordRules.h"

#include <QTest>

using namespace varnook;

using Problem = MasterPasswordRules::Problem;
using MaybeProblem = std::optional<Problem>;
Q_DECLARE_METATYPE(MaybeProblem)

class tst_MasterPasswordRules : public QObject {
    Q_OBJECT

private slots:
    void newPassword_data();
    void newPassword();
    void login_data();
    void login();
};

void tst_MasterPasswordRules::newPassword_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<MaybeProblem>("problem");
    QTest::newRow("four characters") << QStringLiteral("abcd") << MaybeProblem();
    QTest::newRow("four blanks") << QStringLiteral("    ") << MaybeProblem();
    QTest::newRow("punctuation") << QStringLiteral("!?.,") << MaybeProblem();
    QTest::newRow("long") << QStringLiteral("correct horse battery staple") << MaybeProblem();
    QTest::newRow("separator inside") << QStringLiteral("a|||b") << MaybeProblem();
    QTest::newRow("Western European letters") << QStringLiteral("ÄÖÜß€") << MaybeProblem();
    QTest::newRow("nothing typed") << QString() << MaybeProblem(Problem::Empty);
    QTest::newRow("three characters") << QStringLiteral("abc") << MaybeProblem(Problem::TooShort);
    QTest::newRow("one blank") << QStringLiteral(" ") << MaybeProblem(Problem::TooShort);
    // Characters the file has no code for are refused, not stored as stand-ins.
    QTest::newRow("emoji") << QStringLiteral("\U0001F600\U0001F600") << MaybeProblem(Problem::OutsideCodePage);
    QTest::newRow("a macron") << QStringLiteral("pāss") << MaybeProblem(Problem::OutsideCodePage);
    QTest::newRow("Greek") << QStringLiteral("ΩΩΩΩ") << MaybeProblem(Problem::OutsideCodePage);
    QTest::newRow("Cyrillic and digits") << QStringLiteral("пароль12") << MaybeProblem(Problem::OutsideCodePage);
    // U+008D is the code page's code 141, whose scrambled code is CR: it would end its line.
    QTest::newRow("code 141 inside") << QStringLiteral("pa\u008Dss") << MaybeProblem(Problem::NotStorable);
    QTest::newRow("code 141 at the end") << QStringLiteral("pass\u008D") << MaybeProblem(Problem::NotStorable);
    QTest::newRow("code 141 at the start") << QStringLiteral("\u008Dpass") << MaybeProblem(Problem::NotStorable);
    QTest::newRow("code 141, too short") << QStringLiteral("\u008D") << MaybeProblem(Problem::NotStorable);
    // The protected form's first line begins with NUL: a master password never does, nor holds one.
    QTest::newRow("NUL first") << QString(QChar(u'\0')) + QStringLiteral("Varnook")
                               << MaybeProblem(Problem::NotStorable);
    QTest::newRow("NUL inside") << QStringLiteral("pass") + QChar(u'\0') + QStringLiteral("word")
                                << MaybeProblem(Problem::NotStorable);
    // The input the fuzzer found: a character outside the code page comes first, and is named.
    QTest::newRow("as found") << QStringLiteral("\u7020\u008D\u0000\u0000") << MaybeProblem(Problem::OutsideCodePage);
}

void tst_MasterPasswordRules::newPassword() {
    QFETCH(QString, typed);
    QFETCH(MaybeProblem, problem);
    QCOMPARE(MasterPasswordRules::problemWithNewPassword(typed), problem);
}

void tst_MasterPasswordRules::login_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("matches");
    QTest::newRow("exactly") << QStringLiteral("Secret 1") << QStringLiteral("Secret 1") << true;
    QTest::newRow("letter case") << QStringLiteral("secret 1") << QStringLiteral("Secret 1") << false;
    QTest::newRow("trailing blank") << QStringLiteral("Secret 1 ") << QStringLiteral("Secret 1") << false;
    QTest::newRow("leading blank") << QStringLiteral(" Secret 1") << QStringLiteral("Secret 1") << false;
    QTest::newRow("shorter") << QStringLiteral("Secret") << QStringLiteral("Secret 1") << false;
    QTest::newRow("nothing") << QString() << QStringLiteral("Secret 1") << false;
    // The file holds "?" where an older version stored a character it had no code for; typing
    // that character again no longer matches, typing what the file holds does.
    QTest::newRow("characters stored as question marks")
        << QStringLiteral("Māori 日本") << QStringLiteral("Maori ??") << false;
    QTest::newRow("the question marks as stored") << QStringLiteral("Maori ??") << QStringLiteral("Maori ??") << true;
    QTest::newRow("Cyrillic for question marks") << QStringLiteral("жжжж") << QStringLiteral("????") << false;
}

void tst_MasterPasswordRules::login() {
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(bool, matches);
    QCOMPARE(MasterPasswordRules::matchesStored(typed, stored), matches);
}

QTEST_GUILESS_MAIN(tst_MasterPasswordRules)
#include "tst_masterpasswordrules.moc"
