#include "AppTestSupport.h"

#include "FileHelpers.h"
#include "HelpWindow.h"

#include <QCheckBox>

#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
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
MainWindow *startProgram(FakePlatform &fake) {
    writeDataFile(fake, "secret", {"alice|||pw1|||www.one.example"});
    fake.dialogs.answerInput(QStringLiteral("secret"));
    return newApplication().openMainWindow();
}

void chooseViewHelp(MainWindow *main) {
    const auto actions = main->findChildren<QAction *>(QStringLiteral("mnuHelpItem"));
    for (QAction *action : actions) {
        if (controlIndex(action) == 0)
            action->trigger();
    }
}

HelpWindow *visibleHelpWindow() {
    MainWindow *main = application().mainWindow();
    HelpWindow *help = main ? main->helpWindow() : nullptr;
    return help && help->isVisible() ? help : nullptr;
}

} // namespace

class tst_HelpStartup : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeApplication(); }

    // One reading of the stored choice for the start-up and the box: shown unless it reads as 0.
    void openedAtStartup_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<bool>("opened");
        QTest::newRow("missing") << QVariant() << true;
        QTest::newRow("1") << QVariant("1") << true;
        QTest::newRow("0") << QVariant("0") << false;
        QTest::newRow("0 with blanks") << QVariant(" 0 ") << false;
        QTest::newRow("2") << QVariant("2") << true;
        QTest::newRow("yes") << QVariant("yes") << true;
        QTest::newRow("empty") << QVariant("") << true;
        QTest::newRow("1 with blanks") << QVariant(" 1 ") << true;
    }

    void openedAtStartup() {
        QFETCH(QVariant, stored);
        QFETCH(bool, opened);
        FakePlatform fake;
        writeHelpFile(fake);
        storeShowHelp(fake, stored);
        QVERIFY(startProgram(fake));
        HelpWindow *help = visibleHelpWindow();
        QCOMPARE(help != nullptr, opened);
        if (help) {
            QVERIFY(help->showAtStartupBox()->isChecked());
            QCOMPARE(help->textView()->document()->toPlainText(), "Help text");
        }
        // Opening or not, nothing is written at start-up.
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), stored);
    }

    void openedFromTheMenu_data() { openedAtStartup_data(); }

    void openedFromTheMenu() {
        QFETCH(QVariant, stored);
        QFETCH(bool, opened);
        const bool checked = opened;
        FakePlatform fake;
        writeHelpFile(fake);
        storeShowHelp(fake, stored);
        MainWindow *main = startProgram(fake);
        QVERIFY(main);
        if (HelpWindow *atStart = main->helpWindow())
            atStart->close();
        QVERIFY(!main->helpWindow());

        chooseViewHelp(main);
        HelpWindow *help = visibleHelpWindow();
        QVERIFY(help);
        QCOMPARE(help->showAtStartupBox()->isChecked(), checked);
        // Unchecking the box as the stored value asks writes it back in the program's own form.
        const QVariant after = checked ? stored : QVariant("0");
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), after);
    }

    void noHelpFileNoHelpWindow() {
        FakePlatform fake;
        MainWindow *main = startProgram(fake);
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
        MainWindow *main = startProgram(fake);
        HelpWindow *help = visibleHelpWindow();
        QVERIFY(help);
        chooseViewHelp(main);
        QCOMPARE(visibleHelpWindow(), help);
        const auto windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.cbegin(), windows.cend(),
                               [](QWidget *window) { return qobject_cast<HelpWindow *>(window) != nullptr; }),
                 1);
    }

    // One paragraph of 2 MB used to hold up the main window for minutes, the Help window opening first.
    void longHelpFileHoldsNothingUp() {
        FakePlatform fake;
        writeHelpFile(fake, "{\\rtf1\\ansi " + QByteArray("keep a backup of the data file ").repeated(70000) + "}");
        MainWindow *main = startProgram(fake);
        QVERIFY(main);
        QCOMPARE(main->entryList()->entries()->count(), 1);
        HelpWindow *help = visibleHelpWindow();
        QVERIFY(help);
        const QTextDocument *shown = help->textView()->document();
        QVERIFY(shown->toPlainText().startsWith("keep a backup of the data file"));
        QVERIFY(shown->characterCount() < 70000 * 31);

        // Closing the program while the rest is read stops the reading with the window.
        main->close();
        QVERIFY(!main->helpWindow());
        closeApplication();
        QTest::qWait(50);
        QCOMPARE(fake.dialogs.shown.size(), 1); // the master password's box only
    }

    void uncheckingKeepsItClosedAtTheNextStart() {
        FakePlatform fake;
        writeHelpFile(fake);
        MainWindow *main = startProgram(fake);
        HelpWindow *help = visibleHelpWindow();
        QVERIFY(help);
        QTest::mouseClick(help->showAtStartupBox(), Qt::LeftButton);
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("0"));

        // The next start: the main window's unload closes the Help window; a new main window opens none.
        main->close();
        QVERIFY(!main->helpWindow());
        closeApplication();
        main = startProgram(fake);
        QVERIFY(main);
        QVERIFY(!visibleHelpWindow());

        // The menu still opens it, with the box unchecked; checking it again writes "1".
        chooseViewHelp(main);
        help = visibleHelpWindow();
        QVERIFY(help);
        QVERIFY(!help->showAtStartupBox()->isChecked());
        QTest::mouseClick(help->showAtStartupBox(), Qt::LeftButton);
        QCOMPARE(storedSettings(fake)->value(QStringLiteral("Settings/showHelp")), QVariant("1"));
        QCOMPARE(storedSettings(fake)->allKeys(), QStringList{"Settings/showHelp"});

        main->close();
        closeApplication();
        QVERIFY(startProgram(fake));
        QVERIFY(visibleHelpWindow());
    }

    // An installed program reads its help file among its own files and keeps data.enc in the
    // user's data folder: each file is read from and written to its own folder only.
    void helpAndDataFromTheirOwnFolders() {
        FakePlatform fake;
        writeHelpFile(fake);
        QTemporaryDir dataFolder;
        platform().dataFolder = dataFolder.path();
        const QString data = dataFolder.filePath(QStringLiteral("data.enc"));
        writeBytes(data, scrambled("secret") + "\r\n" + scrambled("alice|||pw1|||www.one.example") + "\r\n\r\n");
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        QCOMPARE(main->session().entries().count(), 1);
        HelpWindow *help = visibleHelpWindow();
        QVERIFY(help);
        QCOMPARE(help->textView()->document()->toPlainText(), "Help text");

        QVERIFY(main->session().save());
        QCOMPARE(readBytes(data),
                 scrambled("secret") + "\r\n" + scrambled("alice|||pw1|||www.one.example") + "\r\n\r\n");
        QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("Help.rtf")});
    }
};

QTEST_MAIN(tst_HelpStartup)
#include "tst_help_startup.moc"
