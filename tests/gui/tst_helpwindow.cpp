#include "Design.h"
#include "DesktopOpener.h"
#include "EventLoopWatch.h"
#include "FakePlatform.h"
#include "HelpWindow.h"
#include "MainWindow.h"
#include "Session.h"
#include "WindowCleanup.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPointer>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextImageFormat>

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

// The Help window's owner: a main window that has not loaded any data.
struct HelpOwner {
    Session session{Session::inDataFolder()};
    MainWindow main{session, Branding::fromVersion(VersionRecord::builtIn()), nullptr};
};

std::unique_ptr<HelpOwner> &helpOwner() {
    static std::unique_ptr<HelpOwner> owner;
    return owner;
}

// The open Help window, or null.
HelpWindow *openedHelp() {
    return helpOwner() ? helpOwner()->main.helpWindow() : nullptr;
}

// Opens the Help window as the View Help menu does.
HelpWindow *openHelp() {
    if (!helpOwner())
        helpOwner() = std::make_unique<HelpOwner>();
    helpOwner()->main.openHelp();
    return openedHelp();
}

QStringList shownParagraphs(const HelpWindow *help) {
    QStringList texts;
    const QTextDocument *document = help->textView()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        texts << block.text();
    return texts;
}

// Pictures of the document, counted by the characters that stand for them.
int shownPictures(const HelpWindow *help) {
    int pictures = 0;
    const QTextDocument *document = help->textView()->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            pictures += fragment.fragment().charFormat().isImageFormat() ? fragment.fragment().length() : 0;
    }
    return pictures;
}

bool anyHelpWindowVisible() {
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (qobject_cast<HelpWindow *>(window) && window->isVisible())
            return true;
    }
    return false;
}

} // namespace

class tst_HelpWindow : public QObject {
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
    void thousandsOfPageHighPicturesKeepTheWindowAnswering();
    void linkOpensThroughTheDesktopOpener_data();
    void linkOpensThroughTheDesktopOpener();
};

void tst_HelpWindow::cleanup() {
    helpOwner().reset();
    destroyAllWindows();
}

void tst_HelpWindow::design() {
    HelpWindow help(nullptr);
    QCOMPARE(help.windowTitle(), "Readme/Help");
    QCOMPARE(help.size(), twipsSize(10290, 7920));
    QCOMPARE(help.minimumSize(), help.maximumSize());
    const Qt::WindowFlags flags = help.windowFlags();
    QCOMPARE(flags & Qt::WindowType_Mask, Qt::Tool); // no taskbar button
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));

    auto *textView = help.findChild<QTextBrowser *>(QStringLiteral("rtf1"));
    QCOMPARE(textView, help.textView());
    QCOMPARE(textView->geometry(), twipsRect(0, 0, 10275, 7515));
    QVERIFY(textView->isReadOnly());

    auto *check1 = help.findChild<QCheckBox *>(QStringLiteral("Check1"));
    QCOMPARE(check1, help.showAtStartupBox());
    QCOMPARE(check1->text(), "Show at Startup");
    QCOMPARE(check1->geometry(), twipsRect(60, 7620, 1995, 255));
    QVERIFY(check1->isChecked());
}

void tst_HelpWindow::showsTheHelpFile() {
    FakePlatform fake;
    writeHelpFile(fake);
    HelpWindow *help = openHelp();
    QVERIFY(help);
    QVERIFY(help->isVisible());
    QCOMPARE(shownParagraphs(help), (QStringList{"Help heading", "Some help text."}));
    QTextCursor heading = help->textView()->document()->find(QStringLiteral("Help heading"));
    QCOMPARE(heading.charFormat().fontWeight(), int(QFont::Bold));
    QCOMPARE(heading.charFormat().fontPointSize(), 14.0);
}

void tst_HelpWindow::showsTheShippedHelpFile() {
    FakePlatform fake;
    QVERIFY(QFile::copy(QStringLiteral(VARNOOK_HELP_FILE), QDir(fake.programFolder()).filePath("Help.rtf")));
    HelpWindow *help = openHelp();
    QVERIFY(help && help->isVisible());
    QVERIFY(shownParagraphs(help).contains("What Varnook is"));
}

void tst_HelpWindow::withoutHelpFileNoWindow() {
    FakePlatform fake;
    storeShowHelp(fake, QStringLiteral("1"));
    QPointer<HelpWindow> help = openHelp();
    QVERIFY(!anyHelpWindowVisible());
    QVERIFY(!openedHelp());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(help.isNull());
    QCOMPARE(storedSettings(fake)->allKeys(), QStringList{"Settings/showHelp"});
    QCOMPARE(storedSettings(fake)->value("Settings/showHelp").toString(), "1");

    // Once the file is there, the next opening shows it.
    writeHelpFile(fake);
    HelpWindow *again = openHelp();
    QVERIFY(again && again->isVisible());
}

void tst_HelpWindow::helpFileThatIsAFolder() {
    FakePlatform fake;
    QVERIFY(QDir(fake.programFolder()).mkdir(QStringLiteral("Help.rtf")));
    openHelp();
    QVERIFY(!anyHelpWindowVisible());
    QVERIFY(!openedHelp());
}

void tst_HelpWindow::helpFileTooLargeToReadLeavesTheBoxEmpty() {
    FakePlatform fake;
    QFile file(QDir(fake.programFolder()).filePath(QStringLiteral("Help.rtf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(HelpWindow::MaxHelpFileSize + 1)); // sparse: costs no disk
    file.close();
    storeShowHelp(fake, QStringLiteral("0"));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^The help file .* is too large to read")));
    HelpWindow *help = openHelp();
    QVERIFY(help && help->isVisible());
    QVERIFY(help->textView()->document()->isEmpty());
    // The steps after the failed one still run.
    QVERIFY(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!help->showAtStartupBox()->isChecked());
}

void tst_HelpWindow::storedSetting_data() {
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

void tst_HelpWindow::storedSetting() {
    QFETCH(QVariant, stored);
    QFETCH(bool, checked);
    QFETCH(QVariant, storedAfter);
    FakePlatform fake;
    writeHelpFile(fake);
    if (stored.isValid())
        storeShowHelp(fake, stored.toString());
    HelpWindow *help = openHelp();
    QVERIFY(help && help->isVisible());
    QCOMPARE(help->showAtStartupBox()->isChecked(), checked);
    const auto settings = storedSettings(fake);
    QCOMPARE(settings->value(QStringLiteral("Settings/showHelp")), storedAfter);
    QCOMPARE(settings->allKeys().size(), storedAfter.isValid() ? 1 : 0);
}

void tst_HelpWindow::boxWritesZeroAndOne() {
    FakePlatform fake;
    writeHelpFile(fake);
    HelpWindow *help = openHelp();
    QVERIFY(help && help->showAtStartupBox()->isChecked());
    QVERIFY(!storedSettings(fake)->contains(QStringLiteral("Settings/showHelp")));

    QTest::mouseClick(help->showAtStartupBox(), Qt::LeftButton);
    QVERIFY(!help->showAtStartupBox()->isChecked());
    QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("0"));

    QTest::mouseClick(help->showAtStartupBox(), Qt::LeftButton);
    QVERIFY(help->showAtStartupBox()->isChecked());
    QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("1"));

    QCOMPARE(storedSettings(fake)->allKeys(), QStringList{"Settings/showHelp"});
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

void tst_HelpWindow::closingWritesNothing() {
    FakePlatform fake;
    writeHelpFile(fake);
    storeShowHelp(fake, QStringLiteral("yes"));
    QFile settingsFile(fake.settingsFile());
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    const QByteArray before = settingsFile.readAll();
    settingsFile.close();

    HelpWindow *help = openHelp();
    QVERIFY(help);
    QVERIFY(help->close());
    QVERIFY(!openedHelp());
    QVERIFY(settingsFile.open(QIODevice::ReadOnly));
    QCOMPARE(settingsFile.readAll(), before);
}

void tst_HelpWindow::staysOnTopInTheCentre() {
    FakePlatform fake;
    writeHelpFile(fake);
    HelpWindow *help = openHelp();
    QVERIFY(help);
    QVERIFY(help->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(help->isVisible());
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    // Centred up to the width of the frame, which the window manager adds after the load step.
    QVERIFY((help->frameGeometry().center() - centre).manhattanLength() <= 8);
}

void tst_HelpWindow::openingAgainBringsTheSameWindowForward() {
    FakePlatform fake;
    writeHelpFile(fake);
    HelpWindow *help = openHelp();
    QVERIFY(help);
    QVERIFY(QTest::qWaitForWindowExposed(help));

    QWidget other;
    other.setGeometry(10, 10, 100, 100);
    other.show();
    other.activateWindow();
    QTRY_VERIFY(other.isActiveWindow());

    // The load step does not run again: a changed file is not read, the box keeps its state.
    writeHelpFile(fake, "{\\rtf1 Changed}");
    help->showAtStartupBox()->setChecked(false);
    QCOMPARE(openHelp(), help);
    QCOMPARE(shownParagraphs(help), (QStringList{"Help heading", "Some help text."}));
    QVERIFY(!help->showAtStartupBox()->isChecked());
    QTRY_VERIFY(help->isActiveWindow());
}

void tst_HelpWindow::openingAfterClosingLoadsAnew() {
    FakePlatform fake;
    writeHelpFile(fake);
    QPointer<HelpWindow> first = openHelp();
    QVERIFY(first);
    first->close();
    writeHelpFile(fake, "{\\rtf1 Changed}");
    HelpWindow *second = openHelp();
    QVERIFY(second && second != first);
    QCOMPARE(shownParagraphs(second), QStringList{"Changed"});
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(first.isNull());
}

void tst_HelpWindow::failedSettingWriteIsReported() {
    FakePlatform fake;
    writeHelpFile(fake);
    // A settings file whose folder is a plain file can be neither created nor written, not even by root.
    const QString blocker = QDir(fake.programFolder()).filePath(QStringLiteral("not-a-folder"));
    QFile file(blocker);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    platform().settingsFile = blocker + QStringLiteral("/settings.ini");
    fake.dialogs.answerMessage(MessageAnswer::Ok);

    HelpWindow *help = openHelp();
    QVERIFY(help && help->showAtStartupBox()->isChecked());
    QCOMPARE(fake.dialogs.shown.size(), 0);
    QTest::mouseClick(help->showAtStartupBox(), Qt::LeftButton);
    QVERIFY(!help->showAtStartupBox()->isChecked());
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox box = fake.dialogs.shown.first();
    QCOMPARE(box.text, "The \"Show at Startup\" choice could not be saved in " + platform().settingsFile + ".");
    QCOMPARE(box.title, "Varnook");
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::Warning);
}

// One paragraph of 2 MB used to hold up the start for minutes: now the window shows the first part
// of it at once and takes clicks while the rest is read.
void tst_HelpWindow::longHelpFileShowsWhileItIsRead() {
    FakePlatform fake;
    QByteArray text;
    while (text.size() < 2 * 1024 * 1024)
        text += "The master password keeps other people from seeing your entries. ";
    writeHelpFile(fake, "{\\rtf1\\ansi " + text + "}");
    HelpWindow *help = openHelp();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    const QTextDocument *document = help->textView()->document();
    QVERIFY(document->toPlainText().startsWith("The master password keeps"));
    QVERIFY(document->characterCount() < text.size());

    QTest::mouseClick(help->showAtStartupBox(), Qt::LeftButton);
    QVERIFY(!help->showAtStartupBox()->isChecked());
    QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("0"));
    QVERIFY(document->characterCount() < text.size());

    QTRY_COMPARE_WITH_TIMEOUT(shownParagraphs(help).join(QString()), QString::fromLatin1(text), 60000);
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

// 16,000 metafile frames of 22 inches (1.4 MB) used to stop the program for good: read a slice at a
// time, Qt's layout never finished once some 10,150 of them stood one under another. Now the first
// 236, 500,000 pixels of them, are shown, the rest are left out with a line in the log, and the
// program answers all along.
void tst_HelpWindow::thousandsOfPageHighPicturesKeepTheWindowAnswering() {
    constexpr int Frames = 16000;
    FakePlatform fake;
    QByteArray text = "{\\rtf1\\ansi\\deff0 ";
    for (int i = 0; i < Frames; ++i)
        text += "{\\pict\\wmetafile8\\picw2540000\\pich2540000\\picwgoal31680\\pichgoal31680 0100090000}\\par\r\n";
    writeHelpFile(fake, text + "The end.\\par}");
    QTest::ignoreMessage(QtWarningMsg, "15764 of 16000 pictures are not shown: a document shows at most 1000 "
                                       "pictures, 500000 pixels high together");

    // A fault makes the longest gap tens of seconds or endless; a loaded machine some tens of milliseconds.
    const EventLoopWatch watch(std::chrono::seconds(30));
    HelpWindow *help = openHelp();
    QVERIFY(help && help->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(shownParagraphs(help).constLast(), "The end.", 60000);
    QVERIFY2(watch.longestGap() < 1000, qPrintable(QString::number(watch.longestGap()) + " ms"));

    QCOMPARE(shownPictures(help), 236);
    // Every paragraph stays; those of the frames left out are empty.
    const QStringList paragraphs = shownParagraphs(help);
    QCOMPARE(paragraphs.size(), Frames + 1);
    QCOMPARE(paragraphs[235], QString(QChar::ObjectReplacementCharacter));
    QCOMPARE(paragraphs[236], QString());
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

void tst_HelpWindow::linkOpensThroughTheDesktopOpener_data() {
    QTest::addColumn<QByteArray>("target");
    QTest::addColumn<QStringList>("opened"); // empty: nothing started

    QTest::newRow("web address") << QByteArray("http://www.example.org/help?a=1")
                                 << QStringList{"http://www.example.org/help?a=1"};
    QTest::newRow("without its scheme") << QByteArray("www.example.org") << QStringList{"http://www.example.org"};
    QTest::newRow("mail") << QByteArray("mailto:help@example.org") << QStringList{"mailto:help@example.org"};
    QTest::newRow("a local program is not started") << QByteArray("file:///bin/sh") << QStringList{};
}

// The AbiWord way of writing a link: the field's result in a starred group.
void tst_HelpWindow::linkOpensThroughTheDesktopOpener() {
    QFETCH(QByteArray, target);
    QFETCH(QStringList, opened);
    FakePlatform fake;
    writeHelpFile(fake, "{\\rtf1\\ansi See {\\field{\\*\\fldinst HYPERLINK \"" + target +
                            "\"}{\\*\\fldrslt the pages}} for more.\\par}");
    HelpWindow *help = openHelp();
    QVERIFY(help && QTest::qWaitForWindowExposed(help));
    QTRY_COMPARE(shownParagraphs(help), QStringList{"See the pages for more."});

    QTextCursor link = help->textView()->document()->find(QStringLiteral("the pages"));
    link.setPosition(link.selectionStart() + 2);
    const QPoint point = help->textView()->cursorRect(link).center();
    QTest::mouseClick(help->textView()->viewport(), Qt::LeftButton, {}, point);

    QCOMPARE(fake.launcher.launches.size(), opened.size());
    if (!opened.isEmpty()) {
        QCOMPARE(fake.launcher.launches[0].program, desktopOpener());
        QCOMPARE(fake.launcher.launches[0].arguments, opened);
    }
    // A click on the text around the link opens nothing.
    QTextCursor plain = help->textView()->document()->find(QStringLiteral("more"));
    QTest::mouseClick(help->textView()->viewport(), Qt::LeftButton, {}, help->textView()->cursorRect(plain).center());
    QCOMPARE(fake.launcher.launches.size(), opened.size());
    QCOMPARE(fake.dialogs.shown.size(), 0);
}

QTEST_MAIN(tst_HelpWindow)
#include "tst_helpwindow.moc"
