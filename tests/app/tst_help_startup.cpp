#include "AppTestSupport.h"

#include "Branding.h"
#include "Form8.h"

#include <QCheckBox>

#include <QDir>
#include <QSettings>
#include <QTextBrowser>
#include <QTextDocument>
#include <algorithm>

using namespace varnook;
using namespace varnook::test;

namespace {

void writeHelpFile(const FakePlatform &fake,
                   const QByteArray &text = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss "
                                            "Arial;}}\\viewkind4\\uc1\\pard Help text\\par}") {
    QFile file(QDir(fake.programFolder()).filePath(QStringLiteral("Help.rtf")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(text), text.size());
}

std::unique_ptr<QSettings> storedSettings(const FakePlatform &fake) {
    return std::make_unique<QSettings>(fake.settingsFile(), QSettings::IniFormat);
}

void storeShowHelp(const FakePlatform &fake, const QVariant &value) {
    if (!value.isValid())
        return; // nothing stored
    auto settings = storedSettings(fake);
    settings->setValue(QStringLiteral("Settings/showHelp"), value.toString());
    settings->sync();
}

// The main window as the start-up opens it, on a data file with one known password.
Form1 *startProgram(FakePlatform &fake) {
    writeDataFile(fake, "secret", {"alice|||pw1|||www.one.example"});
    fake.dialogs.answerInput(QStringLiteral("secret"));
    SetBranding();
    return loadForm<Form1>();
}

void chooseViewHelp(Form1 *main) {
    const auto actions = main->findChildren<QAction *>(QStringLiteral("mnuHelpItem"));
    for (QAction *action : actions) {
        if (controlIndex(action) == 0)
            action->trigger();
    }
}

Form8 *visibleHelpWindow() {
    Form8 *help = findForm<Form8>();
    return help && help->isVisible() ? help : nullptr;
}

} // namespace

class tst_HelpStartup : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { destroyAllWindows(); }

    void openedAtStartup_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("opened");
        QTest::newRow("missing") << QVariant() << true;
        QTest::newRow("1") << QVariant("1") << true;
        QTest::newRow("0") << QVariant("0") << false;
        QTest::newRow("2") << QVariant("2") << false;
        QTest::newRow("yes") << QVariant("yes") << false;
        QTest::newRow("empty") << QVariant("") << false;
        QTest::newRow("1 with blanks") << QVariant(" 1 ") << false;
    }

    void openedAtStartup() {
        QFETCH(QVariant, stored);
        QFETCH(bool, opened);
        FakePlatform fake;
        writeHelpFile(fake);
        storeShowHelp(fake, stored);
        QVERIFY(startProgram(fake));
        Form8 *help = visibleHelpWindow();
        QCOMPARE(help != nullptr, opened);
        if (help) {
            QVERIFY(help->Check1()->isChecked());
            QCOMPARE(help->rtf1()->document()->toPlainText(), "Help text");
        }
        // Opening or not, nothing is written at start-up.
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), stored);
    }

    void openedFromTheMenu_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("checked");
        QTest::newRow("missing") << QVariant() << true;
        QTest::newRow("1") << QVariant("1") << true;
        QTest::newRow("0") << QVariant("0") << false;
        QTest::newRow("2") << QVariant("2") << true;
        QTest::newRow("yes") << QVariant("yes") << true;
    }

    void openedFromTheMenu() {
        QFETCH(QVariant, stored);
        QFETCH(bool, checked);
        FakePlatform fake;
        writeHelpFile(fake);
        storeShowHelp(fake, stored);
        Form1 *main = startProgram(fake);
        QVERIFY(main);
        if (Form8 *atStart = findForm<Form8>())
            atStart->close();
        QVERIFY(!findForm<Form8>());

        chooseViewHelp(main);
        Form8 *help = visibleHelpWindow();
        QVERIFY(help);
        QCOMPARE(help->Check1()->isChecked(), checked);
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), stored);
    }

    void noHelpFileNoHelpWindow() {
        FakePlatform fake;
        Form1 *main = startProgram(fake);
        QVERIFY(main);
        QVERIFY(!visibleHelpWindow());
        chooseViewHelp(main);
        QVERIFY(!visibleHelpWindow());
        chooseViewHelp(main);
        QVERIFY(!visibleHelpWindow());
        QVERIFY(storedSettings(fake)->allKeys().isEmpty());
    }

    void menuWhileOpenBringsTheSameWindow() {
        FakePlatform fake;
        writeHelpFile(fake);
        Form1 *main = startProgram(fake);
        Form8 *help = visibleHelpWindow();
        QVERIFY(help);
        chooseViewHelp(main);
        QCOMPARE(visibleHelpWindow(), help);
        const auto windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                               [](QWidget *window) { return qobject_cast<Form8 *>(window) != nullptr; }),
                 1);
    }

    // One paragraph of 2 MB used to hold up the main window for minutes, the Help window opening first.
    void longHelpFileHoldsNothingUp() {
        FakePlatform fake;
        writeHelpFile(fake, "{\\rtf1\\ansi " + QByteArray("keep a backup of the data file ").repeated(70000) + "}");
        Form1 *main = startProgram(fake);
        QVERIFY(main);
        QCOMPARE(main->lstPass()->entries()->count(), 1);
        Form8 *help = visibleHelpWindow();
        QVERIFY(help);
        const QTextDocument *shown = help->rtf1()->document();
        QVERIFY(shown->toPlainText().startsWith("keep a backup of the data file"));
        QVERIFY(shown->characterCount() < 70000 * 31);

        // Closing the program while the rest is read stops the reading with the window.
        main->unload();
        QVERIFY(!findForm<Form8>());
        destroyAllWindows();
        QTest::qWait(50);
        QCOMPARE(fake.dialogs.shown.size(), 1); // the master password's box only
    }

    void uncheckingKeepsItClosedAtTheNextStart() {
        FakePlatform fake;
        writeHelpFile(fake);
        Form1 *main = startProgram(fake);
        Form8 *help = visibleHelpWindow();
        QVERIFY(help);
        QTest::mouseClick(help->Check1(), Qt::LeftButton);
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("0"));

        // The next start: the main window's unload closes the Help window; a new main window opens none.
        main->unload();
        QVERIFY(!findForm<Form8>());
        destroyAllWindows();
        main = startProgram(fake);
        QVERIFY(main);
        QVERIFY(!visibleHelpWindow());

        // The menu still opens it, with the box unchecked; checking it again writes "1".
        chooseViewHelp(main);
        help = visibleHelpWindow();
        QVERIFY(help);
        QVERIFY(!help->Check1()->isChecked());
        QTest::mouseClick(help->Check1(), Qt::LeftButton);
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("1"));
        QCOMPARE(storedSettings(fake)->allKeys(), QStringList{"Settings/showHelp"});

        main->unload();
        destroyAllWindows();
        QVERIFY(startProgram(fake));
        QVERIFY(visibleHelpWindow());
    }
};

QTEST_MAIN(tst_HelpStartup)
#include "tst_help_startup.moc"
