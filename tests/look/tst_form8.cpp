#include "Design.h"
#include "DesktopOpener.h"
#include "FakePlatform.h"
#include "Form8.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>

using namespace varnook;
using namespace varnook::test;

namespace {

const QByteArray HelpText = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}}\r\n"
                            "\\viewkind4\\uc1\\pard\\b\\f0\\fs28 Help heading\\b0\\fs20\\par\r\n"
                            "Some help text.\\par\r\n}\r\n";

void writeHelpFile(const FakePlatform &fake, const QByteArray &bytes = HelpText) {
    QFile file(QDir(fake.programFolder()).filePath(QStringLiteral("Help.rtf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The settings file as another reader sees it.
std::unique_ptr<QSettings> storedSettings(const FakePlatform &fake) {
    return std::make_unique<QSettings>(fake.settingsFile(), QSettings::IniFormat);
}

void storeShowHelp(const FakePlatform &fake, const QString &value) {
    auto settings = storedSettings(fake);
    settings->setValue(QStringLiteral("Settings/showHelp"), value);
    settings->sync();
}

// Opens the Help window as the main window does: load, then show.
Form8 *openHelp() {
    Form8 *help = loadForm<Form8>();
    if (help)
        help->show();
    return help;
}

QStringList shownParagraphs(const Form8 *help) {
    QStringList texts;
    const QTextDocument *document = help->rtf1()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        texts << block.text();
    return texts;
}

bool anyHelpWindowVisible() {
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<Form8 *>(window) && window->isVisible())
            return true;
    }
    return false;
}

} // namespace

class tst_Form8 : public QObject {
    Q_OBJECT

private slots:
    void cleanup();
    void design();
    void showsTheHelpFile();
    void showsTheShippedHelpFile();
    void withoutHelpFileNoWindow();
    void helpFileThatIsAFolder();
    void helpFileTooLargeToReadLeavesTheBoxEmpty();
    void storedSetting_data();
    void storedSetting();
    void boxWritesZeroAndOne();
    void closingWritesNothing();
    void staysOnTopInTheCentre();
    void openingAgainBringsTheSameWindowForward();
    void openingAfterClosingLoadsAnew();
    void failedSettingWriteIsReported();
    void longHelpFileShowsWhileItIsRead();
    void linkOpensThroughTheDesktopOpener_data();
    void linkOpensThroughTheDesktopOpener();
};

void tst_Form8::cleanup() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const auto windows = QApplication::topLevelWidgets();
    QList<QPointer<QWidget>> owned;
    for (QWidget *window : windows) {
        if (!window->parentWidget())
            owned.append(window);
    }
    for (const QPointer<QWidget> &window : owned)
        delete window.data();
}

void tst_Form8::design() {
    Form8 help;
    QCOMPARE(help.windowTitle(), "Readme/Help");
    QCOMPARE(help.size(), twipsSize(10290, 7920));
    QCOMPARE(help.minimumSize(), help.maximumSize());
    const Qt::WindowFlags flags = help.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool); // no taskbar button
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    auto *rtf1 = help.findChild<QTextBrowser *>(QStringLiteral("rtf1"));
    QCOMPARE(rtf1, help.rtf1());
    QCOMPARE(rtf1->geometry(), twipsRect(0, 0, 10275, 7515));
    QVERIFY(rtf1->isReadOnly());

    auto *check1 = help.findChild<QCheckBox *>(QStringLiteral("Check1"));
    QCOMPARE(check1, help.Check1());
    QCOMPARE(check1->text(), "Show at Startup");
    QCOMPARE(check1->geometry(), twipsRect(60, 7620, 1995, 255));
    QVERIFY(check1->isChecked());
}

void tst_Form8::showsTheHelpFile() {
    FakePlatform fake;
    writeHelpFile(fake);
    Form8 *help = openHelp();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QCOMPARE(shownParagraphs(help), (QStringList{"Help heading", "Some help text."}));
    QTextCursor heading = help->rtf1()->document()->find(QStringLiteral("Help heading"));
    QCOMPARE(heading.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(heading.charFormat().fontPointSize(), 14.0);
}

void tst_Form8::showsTheShippedHelpFile() {
    FakePlatform fake;
    QVERIFY(QFile::copy(QStringLiteral(VARNOOK_HELP_FILE), QDir(fake.programFolder()).filePath("Help.rtf")));
    Form8 *help = openHelp();
    QVERIFY(help && help->isVisible());
    QVERIFY(shownParagraphs(help).contains("What Varnook is"));
}

void tst_Form8::withoutHelpFileNoWindow() {
    FakePlatform fake;
    storeShowHelp(fake, QStringLiteral("1"));
    QPointer<Form8> help = openHelp();
    QVERIFY(!anyHelpWindowVisible());
    QVERIFY(!findForm<Form8>());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(help.isNull());
    QCOMPARE(storedSettings(fake)->allKeys(), QStringList{"Settings/showHelp"});
    QCOMPARE(storedSettings(fake)->value("Settings/showHelp").toString(), "1");

    // Once the file is there, the next opening shows it.
    writeHelpFile(fake);
    Form8 *again = openHelp();
    QVERIFY(again && again->isVisible());
}

void tst_Form8::helpFileThatIsAFolder() {
    FakePlatform fake;
    QVERIFY(QDir(fake.programFolder()).mkdir(QStringLiteral("Help.rtf")));
    openHelp();
    QVERIFY(!anyHelpWindowVisible());
    QVERIFY(!findForm<Form8>());
}

void tst_Form8::helpFileTooLargeToReadLeavesTheBoxEmpty() {
    FakePlatform fake;
    QFile file(QDir(fake.programFolder()).filePath(QStringLiteral("Help.rtf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(Form8::MaxHelpFileSize + 1)); // sparse: costs no disk
    file.close();
    storeShowHelp(fake, QStringLiteral("0"));
    Form8 *help = openHelp();
    QVERIFY(help && help->isVisible());
    QVERIFY(help->rtf1()->document()->isEmpty());
    // The steps after the failed one still run.
    QVERIFY(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!help->Check1()->isChecked());
}

void tst_Form8::storedSetting_data() {
    QTest::addColumn<QVariant>("stored"); // invalid: no setting stored
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QVariant>("storedAfter");

    QTest::newRow("missing") << QVariant() << true << QVariant();
    QTest::newRow("1") << QVariant("1") << true << QVariant("1");
    QTest::newRow("0") << QVariant("0") << false << QVariant("0");
    QTest::newRow("2") << QVariant("2") << true << QVariant("2");
    QTest::newRow("yes") << QVariant("yes") << true << QVariant("yes");
    QTest::newRow("empty") << QVariant("") << true << QVariant("");
    QTest::newRow("-1") << QVariant("-1") << true << QVariant("-1");
    QTest::newRow("0 with blanks") << QVariant(" 0 ") << false << QVariant("0");
}

void tst_Form8::storedSetting() {
    QFETCH(QVariant, stored);
    QFETCH(bool, checked);
    QFETCH(QVariant, storedAfter);
    FakePlatform fake;
    writeHelpFile(fake);
    if (stored.isValid())
        storeShowHelp(fake, stored.toString());
    Form8 *help = openHelp();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->Check1()->isChecked(), checked);
    const auto settings = storedSettings(fake);
    QCOMPARE(settings->value(QStringLiteral("Settings/showHelp")), storedAfter);
    QCOMPARE(settings->allKeys().size(), storedAfter.isValid() ? 1 : 0);
}

void tst_Form8::boxWritesZeroAndOne() {
    FakePlatform fake;
    writeHelpFile(fake);
    Form8 *help = openHelp();
    QVERIFY(help && help->Check1()->isChecked());
    QVERIFY(!storedSettings(fake)->contains(QStringLiteral("Settings/showHelp")));

    QTest::mouseClick(help->Check1(), Qt::LeftButton);
    QVERIFY(!help->Check1()->isChecked());
    QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("0"));

    QTest::mouseClick(help->Check1(), Qt::LeftButton);
    QVERIFY(help->Check1()->isChecked());
    QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("1"));

    QCOMPARE(storedSettings(fake)->allKeys(), QStringList{"Settings/showHelp"});
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

void tst_Form8::closingWritesNothing() {
    FakePlatform fake;
    writeHelpFile(fake);
    storeShowHelp(fake, QStringLiteral("yes"));
    QFile settingsFile(fake.settingsFile());
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    const QByteArray before = settingsFile.readAll();
    settingsFile.close();

    Form8 *help = openHelp();
    QVERIFY(help);
    QVERIFY(help->close());
    QVERIFY(!findForm<Form8>());
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    QCOMPARE(settingsFile.readAll(), before);
}

void tst_Form8::staysOnTopInTheCentre() {
    FakePlatform fake;
    writeHelpFile(fake);
    Form8 *help = openHelp();
    QVERIFY(help);
    QVERIFY(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(help->isVisible());
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Centred up to the width of the frame, which the window manager adds after the load step.
    QVERIFY((help->frameGeometry().center() - centre).manhattanLength() <= 8);
}

void tst_Form8::openingAgainBringsTheSameWindowForward() {
    FakePlatform fake;
    writeHelpFile(fake);
    Form8 *help = openHelp();
    QVERIFY(help);
    QVERIFY(QTest::qWaitForWindowExposed(help));

    QWidget other;
    other.setGeometry(10, 10, 100, 100);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());

    // The load step does not run again: a changed file is not read, the box keeps its state.
    writeHelpFile(fake, "{\\rtf1 Changed}");
    help->Check1()->setChecked(false);
    QCOMPARE(openHelp(), help);
    QCOMPARE(shownParagraphs(help), (QStringList{"Help heading", "Some help text."}));
    QVERIFY(!help->Check1()->isChecked());
    QTRY_VERIFY(help->isActiveWindow());
}

void tst_Form8::openingAfterClosingLoadsAnew() {
    FakePlatform fake;
    writeHelpFile(fake);
    QPointer<Form8> first = openHelp();
    QVERIFY(first);
    first->close();
    writeHelpFile(fake, "{\\rtf1 Changed}");
    Form8 *second = openHelp();
    QVERIFY(second && second != first);
    QCOMPARE(shownParagraphs(second), QStringList{"Changed"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

void tst_Form8::failedSettingWriteIsReported() {
    FakePlatform fake;
    writeHelpFile(fake);
    // A settings file whose folder is a plain file can be neither created nor written, not even by root.
    const QString blocker = QDir(fake.programFolder()).filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    platform().settingsFile = blocker + QStringLiteral("/settings.ini");
    fake.dialogs.answerMessage(MessageAnswer::Ok);

    Form8 *help = openHelp();
    QVERIFY(help && help->Check1()->isChecked());
    QCOMPARE(fake.dialogs.shown.size(), 0);
    QTest::mouseClick(help->Check1(), Qt::LeftButton);
    QVERIFY(!help->Check1()->isChecked());
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox box = fake.dialogs.shown.first();
    QCOMPARE(box.text, "The \"Show at Startup\" choice could not be saved in " + platform().settingsFile + ".");
    QCOMPARE(box.title, "Varnook");
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::Warning);
    QCOMPARE(fake.dialogs.unexpected, 0);
}

// One paragraph of 2 MB used to hold up the start for minutes: now the window shows the first part
// of it at once and takes clicks while the rest is read.
void tst_Form8::longHelpFileShowsWhileItIsRead() {
    FakePlatform fake;
    QByteArray text;
    while (text.size() < 2 * 1024 * 1024)
        text += "The master password keeps other people from seeing your entries. ";
    writeHelpFile(fake, "{\\rtf1\\ansi " + text + "}");
    Form8 *help = openHelp();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    const QTextDocument *document = help->rtf1()->document();
    QVERIFY(document->toPlainText().startsWith("The master password keeps"));
    QVERIFY(document->characterCount() < text.size());

    QTest::mouseClick(help->Check1(), Qt::LeftButton);
    QVERIFY(!help->Check1()->isChecked());
    QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("0"));
    QVERIFY(document->characterCount() < text.size());

    QTRY_COMPARE_WITH_TIMEOUT(shownParagraphs(help).join(QString()), QString::fromLatin1(text), 60000);
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

void tst_Form8::linkOpensThroughTheDesktopOpener_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QStringList>("opened"); // empty: nothing started

    QTest::newRow("web address") << QByteArray("http://www.example.org/help?a=1")
                                 << QStringList{"http://www.example.org/help?a=1"};
    QTest::newRow("without its scheme") << QByteArray("www.example.org") << QStringList{"http://www.example.org"};
    QTest::newRow("mail") << QByteArray("mailto:help@example.org") << QStringList{"mailto:help@example.org"};
    QTest::newRow("a local program is not started") << QByteArray("file:///bin/sh") << QStringList{};
}

// The AbiWord way of writing a link: the field's result in a starred group.
void tst_Form8::linkOpensThroughTheDesktopOpener() {
    QFETCH(QByteArray, target);
    QFETCH(QStringList, opened);
    FakePlatform fake;
    writeHelpFile(fake, "{\\rtf1\\ansi See {\\field{\\*\\fldinst HYPERLINK \"" + target +
                            "\"}{\\*\\fldrslt the pages}} for more.\\par}");
    Form8 *help = openHelp();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    QTRY_COMPARE(shownParagraphs(help), QStringList{"See the pages for more."});

    QTextCursor link = help->rtf1()->document()->find(QStringLiteral("the pages"));
    link.setPosition(link.selectionStart() + 2);
    const QPoint point = help->rtf1()->cursorRect(link).center();
    QTest::mouseClick(help->rtf1()->viewport(), Qt::LeftButton, {}, point);

    QCOMPARE(fake.launcher.launches.size(), opened.size());
    if (!opened.isEmpty()) {
        QCOMPARE(fake.launcher.launches[0].program, desktopOpener());
        QCOMPARE(fake.launcher.launches[0].arguments, opened);
    }
    // A click on the text around the link opens nothing.
    QTextCursor plain = help->rtf1()->document()->find(QStringLiteral("more"));
    QTest::mouseClick(help->rtf1()->viewport(), Qt::LeftButton, {}, help->rtf1()->cursorRect(plain).center());
    QCOMPARE(fake.launcher.launches.size(), opened.size());
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

QTEST_MAIN(tst_Form8)
#include "tst_form8.moc"
