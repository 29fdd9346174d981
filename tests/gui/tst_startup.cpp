#include "AppTestSupport.h"

#include "AboutWindow.h"
#include "Branding.h"
#include "BrowserWindow.h"
#include "Design.h"
#include "ProgramValues.h"
#include "Session.h"
#include "SplashScreen.h"
#include "StatusBar.h"

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
    MainWindow *openMainWindow(FakePlatform &fake) {
        return varnook::test::openMainWindow(fake, {"alice|||pw1|||www.one.example"});
    }

    QAction *menuItem(MainWindow *window, const QString &name, int index) {
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
        SplashScreen *splash = loadForm<SplashScreen>();
        QVERIFY(splash);
        QVERIFY(splash->timer()->isActive());
        QCOMPARE(splash->timer()->interval(), 2);
        splash->timer()->stop(); // the test delivers the ticks itself
        splash->show();

        for (int tick = 1; tick <= 74; ++tick)
            splash->tick();
        QCOMPARE(splash->counter(), 148);
        QVERIFY(!findForm<MainWindow>());

        splash->tick();
        QCOMPARE(splash->counter(), 150);
        MainWindow *main = findForm<MainWindow>();
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
        SplashScreen *splash = loadForm<SplashScreen>();
        splash->show();
        QTRY_VERIFY_WITH_TIMEOUT(findForm<MainWindow>() && findForm<MainWindow>()->isVisible(), 10000);
        QVERIFY(!splash->isVisible());
    }

    void splashLoadSetsProgramValues() {
        FakePlatform fake;
        programValues().AppClosing = true;
        SplashScreen *splash = loadForm<SplashScreen>();
        splash->timer()->stop();
        QCOMPARE(programValues().AppClosing, false);
        QCOMPARE(programValues().Branding.programName, QStringLiteral("Varnook"));
        QVERIFY(programValues().Branding.skinOn);
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
        QCOMPARE(second.programName, first.programName);
        QCOMPARE(second.companyWebsite, first.companyWebsite);
        QCOMPARE(second.companyName, QStringLiteral("Quillmere"));
        QVERIFY(second.adServerPage.endsWith(QStringLiteral("/adserver.asp")));
        QVERIFY(second.productPage.endsWith(QStringLiteral("/showsoftware2.asp?soft_id=17")));
        QVERIFY(second.bannerOn);
    }

    void titleCaptionsAndColumns() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
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

        EntryListView *list = main->entryList();
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
        MainWindow *main = openMainWindow(fake);
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
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        menuItem(main, QStringLiteral("mnuAboutItem"), 0)->trigger();
        AboutWindow *about = findForm<AboutWindow>();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        menuItem(main, QStringLiteral("mnuAboutItem"), 0)->trigger();
        QCOMPARE(findForm<AboutWindow>(), about); // shown again, not loaded anew
        main->unload();
        QVERIFY(about->isUnloaded());
    }

    void showStatusShowsOnlyTheLastText() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        ShowStatus(QStringLiteral("first"));
        ShowStatus(QStringLiteral("second"));
        QCOMPARE(main->statusText(), QStringLiteral("second"));
        ShowStatus(QString());
        QCOMPARE(main->statusText(), QString());
    }

    void bannerMakesRoomAboveTheList() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        // 945 twips of banner and 50 of gap: the list moves from 1980 to 2975 twips.
        QCOMPARE(main->entryList()->y(), twipsToPixels(2975));
        QCOMPARE(main->client()->height(), twipsToPixels(7550));
        QCOMPARE(main->statusBar()->geometry().bottom() + 1, main->client()->height());
    }

    void exitEndsTheProgramAtOnce() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
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
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        main->show();
        main->close();
        QCOMPARE(fake.process.endCount, 1);
        QVERIFY(main->isUnloaded());
    }

    void unloadUnloadsTheOtherWindows() {
        FakePlatform fake;
        SplashScreen *splash = loadForm<SplashScreen>();
        splash->timer()->stop();
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        main->unload();
        QVERIFY(splash->isUnloaded());
        QVERIFY(!findForm<SplashScreen>());
    }

    void visibleBrowserKeepsTheProgramRunning() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        main->onVisitClicked(0);
        BrowserWindow *browser = findForm<BrowserWindow>();
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
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        main->onVisitClicked(0);
        BrowserWindow *browser = findForm<BrowserWindow>();
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
