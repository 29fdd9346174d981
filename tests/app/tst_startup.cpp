#include "AppTestSupport.h"

#include "Branding.h"
#include "Design.h"
#include "ProgramValues.h"
#include "StatusBar.h"
#include "frmAbout.h"
#include "frmSplash.h"
#include "frmWebsite.h"
#include "modGlobals.h"

#include <QDir>
#include <QHeaderView>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>

using namespace varnook;
using namespace varnook::test;

class tst_Startup : public QObject {
    Q_OBJECT

private:
    // The main window as the splash window opens it, on a data file with one known password.
    Form1 *openMainWindow(FakePlatform &fake) {
        return varnook::test::openMainWindow(fake, {"alice|||pw1|||www.one.example"});
    }

    QAction *menuItem(Form1 *window, const QString &name, int index) {
        const auto actions = window->findChildren<QAction *>(name);
        for (QAction *action : actions) {
            if (controlIndex(action) == index)
                return action;
        }
        return nullptr;
    }

private slots:
    void cleanup() { destroyAllWindows(); }

    void mainWindowOpensOnTheSeventyFifthTick() {
        FakePlatform fake;
        writeDataFile(fake, "secret");
        fake.dialogs.answerInput(QStringLiteral("secret"));
        frmSplash *splash = loadForm<frmSplash>();
        QVERIFY(splash);
        QVERIFY(splash->timer()->isActive());
        QCOMPARE(splash->timer()->interval(), 2);
        splash->timer()->stop(); // the test delivers the ticks itself
        splash->show();

        for (int tick = 1; tick <= 74; ++tick)
            splash->Timer2_Timer();
        QCOMPARE(splash->intTemp(), 148);
        QVERIFY(!findForm<Form1>());

        splash->Timer2_Timer();
        QCOMPARE(splash->intTemp(), 150);
        Form1 *main = findForm<Form1>();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QVERIFY(!splash->isVisible());
        QVERIFY(!splash->isUnloaded()); // hidden, still loaded: it holds the skin
        QVERIFY(!splash->timer()->isActive());
    }

    void realTimerOpensTheMainWindow() {
        FakePlatform fake;
        writeDataFile(fake, "secret");
        fake.dialogs.answerInput(QStringLiteral("secret"));
        frmSplash *splash = loadForm<frmSplash>();
        splash->show();
        QTRY_VERIFY_WITH_TIMEOUT(findForm<Form1>() && findForm<Form1>()->isVisible(), 10000);
        QVERIFY(!splash->isVisible());
    }

    void splashLoadSetsProgramValues() {
        FakePlatform fake;
        programValues().AppClosing = true;
        frmSplash *splash = loadForm<frmSplash>();
        splash->timer()->stop();
        QCOMPARE(programValues().AppClosing, false);
        QCOMPARE(programValues().Branding.ProgramName, QStringLiteral("Varnook"));
        QVERIFY(programValues().Branding.SkinOn);
        QCOMPARE(programValues().SkinRef.data(), splash->findChild<QObject *>(QStringLiteral("skn")));
        QCOMPARE(splash->size(), twipsSize(7170, 4770));
        QVERIFY(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
    }

    void brandingIsSetTheSameOnEveryCall() {
        FakePlatform fake;
        SetBranding();
        const BrandingValues first = programValues().Branding;
        SetBranding();
        const BrandingValues &second = programValues().Branding;
        QCOMPARE(second.ProgramName, first.ProgramName);
        QCOMPARE(second.CompanyWebsite, first.CompanyWebsite);
        QCOMPARE(second.CompanyName, QStringLiteral("Quillmere"));
        QVERIFY(second.AdServerPage.endsWith(QStringLiteral("/adserver.asp")));
        QVERIFY(second.ProductPage.endsWith(QStringLiteral("/showsoftware2.asp?soft_id=17")));
        QVERIFY(second.BannerOn);
    }

    void titleCaptionsAndColumns() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        QCOMPARE(main->windowTitle(), QStringLiteral("Varnook by Quillmere"));

        const QList<QPair<QString, QString>> captions = {
            {QStringLiteral("cmdAdd"), QStringLiteral("Add")},
            {QStringLiteral("cmdDelete"), QStringLiteral("Delete")},
            {QStringLiteral("cmdEdit"), QStringLiteral("Edit")},
            {QStringLiteral("cmdGoto"), QStringLiteral("Go To")},
            {QStringLiteral("cmdWebsite"), QStringLiteral("Visit www.quillmere.example")},
        };
        for (const auto &[name, caption] : captions)
            QCOMPARE(main->findChild<QPushButton *>(name)->text(), caption);
        QCOMPARE(qobject_cast<QPushButton *>(controlElement(main, QStringLiteral("cmdCopy"), 0))->text(),
                 QStringLiteral("Copy Username"));
        QCOMPARE(qobject_cast<QPushButton *>(controlElement(main, QStringLiteral("cmdCopy"), 1))->text(),
                 QStringLiteral("Copy Password"));
        QCOMPARE(qobject_cast<QPushButton *>(controlElement(main, QStringLiteral("cmdCopy"), 2))->text(),
                 QStringLiteral("Copy Used At"));

        ListView *list = main->lstPass();
        QCOMPARE(list->entries()->columnCount(), 3);
        QCOMPARE(list->entries()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Username"));
        QCOMPARE(list->entries()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Password"));
        QCOMPARE(list->entries()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Website/Location"));
        QCOMPARE(list->columnWidthTwips(0), 2345);
        QCOMPARE(list->columnWidthTwips(1), 2375);
        QCOMPARE(list->columnWidthTwips(2), 4095);
        QCOMPARE(main->statusBar()->panelCount(), 1);
    }

    void menusHaveTheirCaptions() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        QStringList titles;
        for (QAction *menu : main->findChild<QMenuBar *>()->actions())
            titles << menu->objectName() + QLatin1Char('=') + menu->text();
        QCOMPARE(titles,
                 QStringList({"mnuFile=File", "mnuData=Data", "mnuCopy=Copy", "mnuHelp=Help", "mnuAbout=About"}));

        const QList<QPair<QString, QStringList>> items = {
            {QStringLiteral("mnuFileItem"), {"Exit"}},
            {QStringLiteral("mnuDataItem"),
             {"Add Username/Password", "Delete Selected Item", "Edit Selected Item", "Goto \"Used At\" Location"}},
            {QStringLiteral("mnuCopyItem"), {"Selected Username", "Selected Password", "Selected Used At Location"}},
            {QStringLiteral("mnuHelpItem"), {"View Help"}},
            {QStringLiteral("mnuAboutItem"), {"About this software"}},
        };
        for (const auto &[name, captions] : items) {
            for (int i = 0; i < captions.size(); ++i) {
                QAction *action = menuItem(main, name, i);
                QVERIFY2(action, qPrintable(name));
                QCOMPARE(action->text(), captions[i]);
                QVERIFY(action->shortcut().isEmpty());
            }
        }
    }

    void aboutMenuShowsOneAboutWindow() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        menuItem(main, QStringLiteral("mnuAboutItem"), 0)->trigger();
        frmAbout *about = findForm<frmAbout>();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        menuItem(main, QStringLiteral("mnuAboutItem"), 0)->trigger();
        QCOMPARE(findForm<frmAbout>(), about); // shown again, not loaded anew
        main->unload();
        QVERIFY(about->isUnloaded());
    }

    void showStatusShowsOnlyTheLastText() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        ShowStatus(QStringLiteral("first"));
        ShowStatus(QStringLiteral("second"));
        QCOMPARE(main->statusText(), QStringLiteral("second"));
        ShowStatus(QString());
        QCOMPARE(main->statusText(), QString());
    }

    void bannerMakesRoomAboveTheList() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        // 945 twips of banner and 50 of gap: the list moves from 1980 to 2975 twips.
        QCOMPARE(main->lstPass()->y(), twipsToPixels(2975));
        QCOMPARE(main->client()->height(), twipsToPixels(7550));
        QCOMPARE(main->statusBar()->geometry().bottom() + 1, main->client()->height());
    }

    void refusedStartEndsWithAnErrorAndLeavesNoMainWindow_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("third wrong password") << QStringLiteral("wrong");
        QTest::newRow("login cancelled") << QStringLiteral("cancel");
        QTest::newRow("first-run creation cancelled") << QStringLiteral("create");
        QTest::newRow("unreadable data file") << QStringLiteral("unreadable");
    }
    void refusedStartEndsWithAnErrorAndLeavesNoMainWindow() {
        QFETCH(QString, how);
        FakePlatform fake;
        if (how == QStringLiteral("wrong")) {
            writeDataFile(fake, "secret");
            for (int i = 0; i < 3; ++i) {
                fake.dialogs.answerInput(QStringLiteral("wrong"));
                fake.dialogs.answerMessage(MessageAnswer::Retry);
            }
            fake.dialogs.answerMessage(MessageAnswer::Ok);
        } else if (how == QStringLiteral("cancel")) {
            writeDataFile(fake, "secret");
            fake.dialogs.answerInput(QStringLiteral("Pass"));
            fake.dialogs.answerMessage(MessageAnswer::Cancel);
        } else if (how == QStringLiteral("create")) {
            fake.dialogs.answerInput(QStringLiteral("abc"));
            fake.dialogs.answerMessage(MessageAnswer::Cancel);
        } else {
            QVERIFY(QDir().mkdir(fake.dataFile()));
            fake.dialogs.answerMessage(MessageAnswer::Ok);
        }
        SetBranding();
        QVERIFY(!loadForm<Form1>());
        QCOMPARE(fake.process.endCount, 1);
        QCOMPARE(fake.process.lastExitCode, 1);
        QCOMPARE(fake.dialogs.unexpected, 0);
        QVERIFY(!findForm<Form1>());
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<Form1 *>(window), "a main window outlived its failed load");
    }

    void exitEndsTheProgramAtOnce() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        const int boxesBefore = int(fake.dialogs.shown.size());
        menuItem(main, QStringLiteral("mnuFileItem"), 0)->trigger();
        QCOMPARE(fake.process.endCount, 1);
        QVERIFY(main->isUnloaded());
        QCOMPARE(int(fake.dialogs.shown.size()), boxesBefore); // no question, nothing saved
        QVERIFY(!programValues().AppClosing);
    }

    void closeBoxUnloadsLikeExit() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        main->show();
        main->close();
        QCOMPARE(fake.process.endCount, 1);
        QVERIFY(main->isUnloaded());
    }

    void unloadUnloadsTheOtherWindows() {
        FakePlatform fake;
        frmSplash *splash = loadForm<frmSplash>();
        splash->timer()->stop();
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        main->unload();
        QVERIFY(splash->isUnloaded());
        QVERIFY(!findForm<frmSplash>());
    }

    void visibleBrowserKeepsTheProgramRunning() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        main->cmdWebsite_Click(0);
        frmWebsite *browser = findForm<frmWebsite>();
        QVERIFY(browser);
        QVERIFY(browser->isVisible());

        main->unload();
        QCOMPARE(fake.process.endCount, 0);
        QVERIFY(programValues().AppClosing);
        QVERIFY(!browser->isUnloaded());

        browser->close();
        QCOMPARE(fake.process.endCount, 1);
    }

    void hiddenBrowserIsUnloadedWithTheMainWindow() {
        FakePlatform fake;
        Form1 *main = openMainWindow(fake);
        QVERIFY(main);
        main->cmdWebsite_Click(0);
        frmWebsite *browser = findForm<frmWebsite>();
        QVERIFY(browser);
        browser->hide();
        main->unload();
        QVERIFY(!programValues().AppClosing);
        QVERIFY(browser->isUnloaded());
        QCOMPARE(fake.process.endCount, 1);
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
