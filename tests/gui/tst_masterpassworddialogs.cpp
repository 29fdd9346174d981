#include "FakePlatform.h"
#include "MasterPasswordDialogs.h"

#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

const QString LoginText = QStringLiteral("Please enter your password");
const QString LoginTitle = QStringLiteral("Password Required");
const QString WrongText = QStringLiteral("Sorry, the password you entered was not correct.");
const QString WrongTitle = QStringLiteral("Incorrect Password");
const QString LimitText = QStringLiteral("Only 3 tries allowed.  Click Ok to close.");
const QString LimitTitle = QStringLiteral("Varnook Demo");
const QString CreationText =
    QStringLiteral("Because this is the first time you have used Varnook, you will need to set up a password.\r\n"
                   "\r\n"
                   "This will prevent others from viewing data you store in Varnook.  A password that is at least "
                   "8 characters, and not a word that is found in a dictionary, is recommended.\r\n"
                   "\r\n"
                   "Please enter your password below.");
const QString CreationTitle = QStringLiteral("Password Creation");
const QString EmptyText = QStringLiteral("You must enter a password to use.  If you would like to quit, click Cancel.");
const QString ShortText = QStringLiteral("You must enter at least 4 alphanumeric characters.");
const QString OutsideText =
    QStringLiteral("Your password contains a character that the data file cannot store.  Use only Western European "
                   "letters, digits, punctuation and blanks (Windows-1252).");
const QString CannotStoreText =
    QStringLiteral("Your password contains a character that cannot be stored.  Please enter another one.");
const QString ErrorTitle = QStringLiteral("Password Error");

void checkLoginPrompt(const ShownBox &box) {
    QCOMPARE(box.kind, ShownBox::Input);
    QCOMPARE(box.text, LoginText);
    QCOMPARE(box.title, LoginTitle);
    QVERIFY(box.masked);
}

void checkWrongBox(const ShownBox &box) {
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.text, WrongText);
    QCOMPARE(box.title, WrongTitle);
    QCOMPARE(box.buttons, MessageButtons::RetryCancel);
    QCOMPARE(box.icon, MessageIcon::None);
    QCOMPARE(box.defaultButton, MessageAnswer::Retry);
}

void checkLimitBox(const ShownBox &box) {
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.text, LimitText);
    QCOMPARE(box.title, LimitTitle);
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::None);
}

void checkCreationPrompt(const ShownBox &box) {
    QCOMPARE(box.kind, ShownBox::Input);
    QCOMPARE(box.text, CreationText);
    QCOMPARE(box.title, CreationTitle);
    QVERIFY(!box.masked);
}

void checkErrorBox(const ShownBox &box, const QString &text) {
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.text, text);
    QCOMPARE(box.title, ErrorTitle);
    QCOMPARE(box.buttons, MessageButtons::OkCancel);
    QCOMPARE(box.icon, MessageIcon::None);
    QCOMPARE(box.defaultButton, MessageAnswer::Ok);
}

} // namespace

class tst_MasterPasswordDialogs : public QObject {
    Q_OBJECT

private slots:
    void rightPasswordAtOnce();
    void refusedTexts_data();
    void refusedTexts();
    void rightPasswordAtTheThirdTry();
    void cancelInThePromptCountsAsWrong();
    void cancelInTheWrongPasswordBox_data();
    void cancelInTheWrongPasswordBox();
    void threeWrongPasswordsThenTheLimit();
    void closedLimitBoxStillEnds();
    void passwordOutsideTheCodePage();

    void creationPromptText();
    void creationPromptFollowsTheProductName();
    void creationAccepts_data();
    void creationAccepts();
    void creationRefuses_data();
    void creationRefuses();
    void creationAsksAgainAfterEachRefusal();
    void creationMeasuresTheStoredPassword();
};

void tst_MasterPasswordDialogs::rightPasswordAtOnce() {
    FakePlatform fake;
    fake.dialogs.answerInput(QStringLiteral("Secret 1"));
    QVERIFY(MasterPasswordDialogs::login(QStringLiteral("Secret 1")));
    QCOMPARE(fake.dialogs.shown.size(), 1);
    checkLoginPrompt(fake.dialogs.shown[0]);
}

void tst_MasterPasswordDialogs::refusedTexts_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("letter case") << QStringLiteral("secret 1");
    QTest::newRow("trailing blank") << QStringLiteral("Secret 1 ");
    QTest::newRow("leading blank") << QStringLiteral(" Secret 1");
    QTest::newRow("shorter") << QStringLiteral("Secret");
    QTest::newRow("nothing") << QString();
}

void tst_MasterPasswordDialogs::refusedTexts() {
    QFETCH(QString, typed);
    FakePlatform fake;
    fake.dialogs.answerInput(typed);
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    QVERIFY(!MasterPasswordDialogs::login(QStringLiteral("Secret 1")));
    QCOMPARE(fake.dialogs.shown.size(), 2);
    checkLoginPrompt(fake.dialogs.shown[0]);
    checkWrongBox(fake.dialogs.shown[1]);
}

void tst_MasterPasswordDialogs::rightPasswordAtTheThirdTry() {
    FakePlatform fake;
    fake.dialogs.answerInput(QStringLiteral("one"));
    fake.dialogs.answerMessage(MessageAnswer::Retry);
    fake.dialogs.answerInput(QStringLiteral("two"));
    fake.dialogs.answerMessage(MessageAnswer::Retry);
    fake.dialogs.answerInput(QStringLiteral("right"));
    QVERIFY(MasterPasswordDialogs::login(QStringLiteral("right")));
    QCOMPARE(fake.dialogs.shown.size(), 5);
    checkLoginPrompt(fake.dialogs.shown[0]);
    checkWrongBox(fake.dialogs.shown[1]);
    checkLoginPrompt(fake.dialogs.shown[2]);
    checkWrongBox(fake.dialogs.shown[3]);
    checkLoginPrompt(fake.dialogs.shown[4]);
}

void tst_MasterPasswordDialogs::cancelInThePromptCountsAsWrong() {
    FakePlatform fake;
    fake.dialogs.answerInput(QString()); // Cancel
    fake.dialogs.answerMessage(MessageAnswer::Retry);
    fake.dialogs.answerInput(QStringLiteral("right"));
    QVERIFY(MasterPasswordDialogs::login(QStringLiteral("right")));
    QCOMPARE(fake.dialogs.shown.size(), 3);
    checkWrongBox(fake.dialogs.shown[1]);
}

void tst_MasterPasswordDialogs::cancelInTheWrongPasswordBox_data() {
    QTest::addColumn<int>("tries");
    QTest::newRow("after the first try") << 1;
    QTest::newRow("after the second try") << 2;
    QTest::newRow("after the third try") << 3;
}

void tst_MasterPasswordDialogs::cancelInTheWrongPasswordBox() {
    QFETCH(int, tries);
    FakePlatform fake;
    for (int i = 1; i < tries; ++i) {
        fake.dialogs.answerInput(QStringLiteral("wrong"));
        fake.dialogs.answerMessage(MessageAnswer::Retry);
    }
    fake.dialogs.answerInput(QStringLiteral("wrong"));
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    QVERIFY(!MasterPasswordDialogs::login(QStringLiteral("right")));
    // No box follows the Cancel.
    QCOMPARE(fake.dialogs.shown.size(), 2 * tries);
    checkWrongBox(fake.dialogs.shown.last());
}

void tst_MasterPasswordDialogs::threeWrongPasswordsThenTheLimit() {
    FakePlatform fake;
    for (int i = 0; i < 3; ++i) {
        fake.dialogs.answerInput(QStringLiteral("wrong %1").arg(i));
        fake.dialogs.answerMessage(MessageAnswer::Retry);
    }
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    QVERIFY(!MasterPasswordDialogs::login(QStringLiteral("right")));
    QCOMPARE(fake.dialogs.shown.size(), 7);
    for (int i = 0; i < 3; ++i) {
        checkLoginPrompt(fake.dialogs.shown[2 * i]);
        checkWrongBox(fake.dialogs.shown[2 * i + 1]);
    }
    checkLimitBox(fake.dialogs.shown[6]);
}

void tst_MasterPasswordDialogs::closedLimitBoxStillEnds() {
    FakePlatform fake;
    for (int i = 0; i < 3; ++i) {
        fake.dialogs.answerInput(QStringLiteral("wrong"));
        fake.dialogs.answerMessage(MessageAnswer::Retry);
    }
    // The limit box closed by its close box, which counts as its one button, OK.
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    QVERIFY(!MasterPasswordDialogs::login(QStringLiteral("right")));
    QCOMPARE(fake.dialogs.shown.size(), 7);
    checkLimitBox(fake.dialogs.shown[6]);
}

void tst_MasterPasswordDialogs::passwordOutsideTheCodePage() {
    // The file holds "?" where an older version stored a character it had no code for; typing
    // that character again no longer matches, typing what the file holds does.
    FakePlatform fake;
    fake.dialogs.answerInput(QStringLiteral("Māori 日本"));
    fake.dialogs.answerMessage(MessageAnswer::Retry);
    fake.dialogs.answerInput(QStringLiteral("Maori ??"));
    QVERIFY(MasterPasswordDialogs::login(QStringLiteral("Maori ??")));
    QCOMPARE(fake.dialogs.shown.size(), 3);
    checkWrongBox(fake.dialogs.shown[1]);
}

void tst_MasterPasswordDialogs::creationPromptText() {
    QCOMPARE(MasterPasswordDialogs::creationPrompt(QStringLiteral("Varnook")), CreationText);
    QVERIFY(CreationText.startsWith(QStringLiteral(
        "Because this is the first time you have used Varnook, you will need to set up a password.\r\n")));
}

void tst_MasterPasswordDialogs::creationPromptFollowsTheProductName() {
    FakePlatform fake;
    platform().version.productName = QStringLiteral("Other");
    fake.dialogs.answerInput(QStringLiteral("long enough"));
    QCOMPARE(MasterPasswordDialogs::askNew(), std::optional<QString>(QStringLiteral("long enough")));
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QCOMPARE(fake.dialogs.shown[0].text, MasterPasswordDialogs::creationPrompt(QStringLiteral("Other")));
    QVERIFY(fake.dialogs.shown[0].text.contains(QStringLiteral("you have used Other, you")));
}

void tst_MasterPasswordDialogs::creationAccepts_data() {
    QTest::addColumn<QString>("typed");
    QTest::newRow("four characters") << QStringLiteral("abcd");
    QTest::newRow("four blanks") << QStringLiteral("    ");
    QTest::newRow("punctuation") << QStringLiteral("!?.,");
    QTest::newRow("long") << QStringLiteral("correct horse battery staple");
    QTest::newRow("separator inside") << QStringLiteral("a|||b");
}

void tst_MasterPasswordDialogs::creationAccepts() {
    QFETCH(QString, typed);
    FakePlatform fake;
    fake.dialogs.answerInput(typed);
    QCOMPARE(MasterPasswordDialogs::askNew(), std::optional<QString>(typed));
    QCOMPARE(fake.dialogs.shown.size(), 1);
    checkCreationPrompt(fake.dialogs.shown[0]);
}

void tst_MasterPasswordDialogs::creationRefuses_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("nothing typed") << QString() << EmptyText;
    QTest::newRow("three characters") << QStringLiteral("abc") << ShortText;
    QTest::newRow("one blank") << QStringLiteral(" ") << ShortText;
    QTest::newRow("Greek") << QStringLiteral("ΩΩΩΩ") << OutsideText;
    QTest::newRow("Cyrillic and digits") << QStringLiteral("пароль12") << OutsideText;
    // U+008D is the code page's code 141, whose scrambled code is CR: it would cut the line short.
    QTest::newRow("code 141 inside") << QStringLiteral("pa\u008Dss") << CannotStoreText;
    QTest::newRow("code 141 at the end") << QStringLiteral("pass\u008D") << CannotStoreText;
    QTest::newRow("code 141 at the start") << QStringLiteral("\u008Dpass") << CannotStoreText;
    // The input the fuzzer found: a character outside the code page, named first, and code 141.
    QTest::newRow("as found") << QStringLiteral("\u7020\u008D\u0000\u0000") << OutsideText;
}

void tst_MasterPasswordDialogs::creationRefuses() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    FakePlatform fake;
    fake.dialogs.answerInput(typed);
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    QCOMPARE(MasterPasswordDialogs::askNew(), std::nullopt);
    QCOMPARE(fake.dialogs.shown.size(), 2);
    checkCreationPrompt(fake.dialogs.shown[0]);
    checkErrorBox(fake.dialogs.shown[1], text);
}

void tst_MasterPasswordDialogs::creationAsksAgainAfterEachRefusal() {
    FakePlatform fake;
    fake.dialogs.answerInput(QString());
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    fake.dialogs.answerInput(QStringLiteral("abc"));
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    fake.dialogs.answerInput(QStringLiteral("abcd"));
    QCOMPARE(MasterPasswordDialogs::askNew(), std::optional<QString>(QStringLiteral("abcd")));
    QCOMPARE(fake.dialogs.shown.size(), 5);
    checkCreationPrompt(fake.dialogs.shown[0]);
    checkErrorBox(fake.dialogs.shown[1], EmptyText);
    checkCreationPrompt(fake.dialogs.shown[2]);
    checkErrorBox(fake.dialogs.shown[3], ShortText);
    checkCreationPrompt(fake.dialogs.shown[4]);
}

void tst_MasterPasswordDialogs::creationMeasuresTheStoredPassword() {
    FakePlatform fake;
    // Characters the file has no code for are refused, not stored as stand-ins.
    fake.dialogs.answerInput(QStringLiteral("\U0001F600\U0001F600"));
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    fake.dialogs.answerInput(QStringLiteral("pāss"));
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    QCOMPARE(MasterPasswordDialogs::askNew(), std::optional<QString>(QStringLiteral("pass")));
    QCOMPARE(fake.dialogs.shown.size(), 5);
    checkErrorBox(fake.dialogs.shown[1], OutsideText);
    checkErrorBox(fake.dialogs.shown[3], OutsideText);
}

QTEST_GUILESS_MAIN(tst_MasterPasswordDialogs)
#include "tst_masterpassworddialogs.moc"
