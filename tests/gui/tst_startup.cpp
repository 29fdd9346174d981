#include "AppTestSupport.h"

#include "AboutWindow.h"
#include "Branding.h"
#include "BrowserWindow.h"
#include "Design.h"
#include "SplashScreen.h"
#include "StatusBar.h"

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
    void cleanup() { closeApplication(); }

    void mainWindowOpensOnTheSeventyFifthTick() {
        FakePlatform fake;
        writeDataFile(fake, "secret");
        fake.dialogs.answerInput(QStringLiteral("secret"));
        Application &app = newApplication();
        app.start();
        SplashScreen *splash = app.splashScreen();
        QVERIFY(splash);
        QVERIFY(splash->timer()->isActive());
        QCOMPARE(splash->timer()->interval(), 2);
        splash->timer()->stop(); // the test delivers the ticks itself
        splash->show();

        // On a busy machine the real timer may have ticked once before it was stopped: those count.
        const int ticked = splash->counter() / 2;
        QVERIFY(ticked <= 2);
        for (int tick = ticked + 1; tick <= 74; ++tick)
            splash->tick();
        QCOMPARE(splash->counter(), 148);
        QVERIFY(!app.mainWindow());

        splash->tick();
        QCOMPARE(splash->counter(), 150);
        MainWindow *main = app.mainWindow();
        QVERIFY(main);
        QVERIFY(main->isVisible());
        QVERIFY(!splash->isVisible());
        QCOMPARE(app.splashScreen(), splash); // hidden until the main window closes
        QVERIFY(!splash->timer()->isActive());
    }

    // The file is read from the start, under the splash screen. Another computer's save that comes
    // in before the password's OK is what the list shows; the session then sees nothing new.
    void fileReplacedBeforeTheOkIsTheOneShown() {
        FakePlatform fake;
        writeDataFile(fake, "secret", {"ann|||pw1|||a.example"});
        Application &app = newApplication();
        app.start();
        app.splashScreen()->timer()->stop();
        fake.dialogs.onShow = [&](const ShownBox &) {
            const QString incoming = fake.dataFile() + QStringLiteral(".incoming");
            QFile::rename(fake.dataFile(), incoming);
            writeDataFile(fake, "secret", {"ann|||pw1|||a.example", "bob|||pw2|||b.example"});
            QFile::remove(incoming);
        };
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = app.openMainWindow();
        QVERIFY(main);
        QCOMPARE(fake.dialogs.shown.size(), 1);
        QCOMPARE(main->statusLine()->text(), QStringLiteral("Loaded 2 entries"));
        QCOMPARE(app.session().entries().count(), 2);
        QCOMPARE(app.session().entries().entry(2).username, QStringLiteral("bob"));
        int looks = 0;
        connect(&app.session(), &Session::reloadStarted, main, [&] { ++looks; });
        app.session().checkForChanges();
        QCOMPARE(looks, 0);
        QCOMPARE(app.session().entries().count(), 2);
    }

    void realTimerOpensTheMainWindow() {
        FakePlatform fake;
        writeDataFile(fake, "secret");
        fake.dialogs.answerInput(QStringLiteral("secret"));
        Application &app = newApplication();
        app.start();
        QTRY_VERIFY_WITH_TIMEOUT(app.mainWindow() && app.mainWindow()->isVisible(), 10000);
        QVERIFY(!app.splashScreen()->isVisible());
    }

    void splashScreenIsSkinnedAndFramed() {
        FakePlatform fake;
        Application &app = newApplication();
        app.start();
        SplashScreen *splash = app.splashScreen();
        splash->timer()->stop();
        QCOMPARE(app.branding().programName, QStringLiteral("Varnook"));
        QVERIFY(app.branding().skinOn);
        QVERIFY(app.skin());
        QCOMPARE(SkinEngine::appliedSkin(splash), app.skin()->skinName());
        QCOMPARE(splash->size(), twipsSize(7170, 4770));
        QVERIFY(splash->windowFlags().testFlag(Qt::FramelessWindowHint));
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
        QCOMPARE(main->statusLine()->panelCount(), 1);
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

        // The original's captions, with the shortcuts added beside them.
        const QList<QPair<QString, QStringList>> items = {
            {QStringLiteral("mnuFileItem"), {"Exit\tCtrl+Q"}},
            {QStringLiteral("mnuDataItem"),
             {"Add Username/Password\tCtrl+N", "Delete Selected Item\tDel", "Edit Selected Item\tCtrl+E",
              "Goto \"Used At\" Location\tCtrl+Shift+U"}},
            {QStringLiteral("mnuCopyItem"),
             {"Selected Username\tCtrl+B", "Selected Password\tCtrl+C", "Selected Used At Location\tCtrl+U"}},
            {QStringLiteral("mnuHelpItem"), {"View Help\tF1"}},
            {QStringLiteral("mnuAboutItem"), {"About this software\t"}},
        };
        for (const auto &[name, captions] : items) {
            for (int i = 0; i < captions.size(); ++i) {
                QAction *action = menuItem(main, name, i);
                QVERIFY2(action, qPrintable(name));
                QCOMPARE(action->text() + QLatin1Char('\t') + action->shortcut().toString(), captions[i]);
            }
        }
    }

    void aboutMenuShowsOneAboutWindow() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        menuItem(main, QStringLiteral("mnuAboutItem"), 0)->trigger();
        QPointer<AboutWindow> about = main->aboutWindow();
        QVERIFY(about);
        QVERIFY(about->isVisible());
        menuItem(main, QStringLiteral("mnuAboutItem"), 0)->trigger();
        QCOMPARE(main->aboutWindow(), about.data()); // shown again, not made anew
        main->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!about);
    }

    void showStatusShowsOnlyTheLastText() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        main->showStatus(QStringLiteral("first"));
        main->showStatus(QStringLiteral("second"));
        QCOMPARE(main->statusText(), QStringLiteral("second"));
        main->showStatus(QString());
        QCOMPARE(main->statusText(), QString());
    }

    void bannerMakesRoomAboveTheList() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        // 945 twips of banner and 50 of gap: the list moves from 1980 to 2975 twips.
        QCOMPARE(main->entryList()->y(), twipsToPixels(2975));
        QCOMPARE(main->client()->height(), twipsToPixels(7550));
        QCOMPARE(main->statusLine()->geometry().bottom() + 1, main->client()->height());
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
        QVERIFY(!newApplication().openMainWindow());
        QCOMPARE(fake.process.endCount, 1);
        QCOMPARE(fake.process.lastExitCode, 1);
        QVERIFY(!application().mainWindow());
        for (QWidget *window : QApplication::topLevelWidgets())
            QVERIFY2(!qobject_cast<MainWindow *>(window), "a main window outlived its failed load");
    }

    void exitEndsTheProgramAtOnce() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        const int boxesBefore = int(fake.dialogs.shown.size());
        menuItem(main, QStringLiteral("mnuFileItem"), 0)->trigger();
        QCOMPARE(fake.process.endCount, 1);
        QVERIFY(!main->isVisible());
        QVERIFY(!application().mainWindow());
        QCOMPARE(int(fake.dialogs.shown.size()), boxesBefore); // no question, nothing saved
        QVERIFY(!application().endsWithBrowser());
    }

    void closeBoxUnloadsLikeExit() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        main->show();
        main->close();
        QCOMPARE(fake.process.endCount, 1);
        QVERIFY(!application().mainWindow());
    }

    void unloadUnloadsTheOtherWindows() {
        FakePlatform fake;
        writeDataFile(fake, "secret", {});
        fake.dialogs.answerInput(QStringLiteral("secret"));
        Application &app = newApplication();
        app.start();
        QPointer<SplashScreen> splash = app.splashScreen();
        splash->timer()->stop();
        MainWindow *main = app.openMainWindow();
        QVERIFY(main);
        main->close();
        QVERIFY(!splash);
        QVERIFY(!app.splashScreen());
    }

    void visibleBrowserKeepsTheProgramRunning() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdWebsite")), Qt::LeftButton);
        BrowserWindow *browser = application().browserWindow();
        QVERIFY(browser);
        QVERIFY(browser->isVisible());

        main->close();
        QCOMPARE(fake.process.endCount, 0);
        QVERIFY(application().endsWithBrowser());
        QCOMPARE(application().browserWindow(), browser);

        browser->close();
        QCOMPARE(fake.process.endCount, 1);
    }

    void hiddenBrowserIsUnloadedWithTheMainWindow() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake);
        QVERIFY(main);
        QTest::mouseClick(main->findChild<QPushButton *>(QStringLiteral("cmdWebsite")), Qt::LeftButton);
        QPointer<BrowserWindow> browser = application().browserWindow();
        QVERIFY(browser);
        browser->hide();
        main->close();
        QVERIFY(!application().endsWithBrowser());
        QVERIFY(!application().browserWindow());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!browser);
        QCOMPARE(fake.process.endCount, 1);
    }
};

QTEST_MAIN(tst_Startup)
#include "tst_startup.moc"
