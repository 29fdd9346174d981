#include "AppTestSupport.h"

#include "EntryEditor.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

using namespace varnook;
using namespace varnook::test;

class tst_EntryCommands : public QObject {
    Q_OBJECT

private:
    const QList<QByteArray> threeEntries = {"alice|||pw-a|||www.alpha.example", "bob|||pw-b|||C:\\Data",
                                            "carol|||pw-c|||intranet"};

    MainWindow *open(FakePlatform &fake, const QList<QByteArray> &lines) { return openMainWindow(fake, lines); }

    QPushButton *button(MainWindow *main, const QString &name, int index = -1) {
        if (index >= 0)
            return qobject_cast<QPushButton *>(controlElement(main->client(), name, index));
        return main->findChild<QPushButton *>(name);
    }

    QAction *menuItem(MainWindow *main, const QString &name, int index) {
        for (QAction *action : main->findChildren<QAction *>(name)) {
            if (controlIndex(action) == index)
                return action;
        }
        return nullptr;
    }

    // Selects a row the way a user does: a click on it.
    void clickRow(MainWindow *main, int position, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        EntryListView *list = main->entryList();
        const QRect rect = list->visualRect(list->entries()->index(position - 1, 0));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers, rect.center());
    }

private slots:
    void cleanup() { closeApplication(); }

    void commandsWithoutSelectionAskForOne_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("menuIndex");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("status");
        QTest::newRow("edit") << "cmdEdit" << -1 << 2 << "mnuDataItem"
                              << "You must first select an entry to edit.";
        QTest::newRow("delete") << "cmdDelete" << -1 << 1 << "mnuDataItem"
                                << "You must first select an entry to delete.";
        QTest::newRow("go to") << "cmdGoto" << -1 << 3 << "mnuDataItem"
                               << "You must first select an entry to go to.";
        QTest::newRow("copy user") << "cmdCopy" << 0 << 0 << "mnuCopyItem"
                                   << "You must first select a row to copy from.";
        QTest::newRow("copy password") << "cmdCopy" << 1 << 1 << "mnuCopyItem"
                                       << "You must first select a row to copy from.";
        QTest::newRow("copy location") << "cmdCopy" << 2 << 2 << "mnuCopyItem"
                                       << "You must first select a row to copy from.";
    }
    void commandsWithoutSelectionAskForOne() {
        QFETCH(QString, name);
        QFETCH(int, index);
        QFETCH(int, menuIndex);
        QFETCH(QString, menu);
        QFETCH(QString, status);
        for (bool emptyList : {true, false}) {
            FakePlatform fake;
            MainWindow *main = open(fake, emptyList ? QList<QByteArray>{} : threeEntries);
            QVERIFY(main);
            const QByteArray before = readDataFile(fake);
            QGuiApplication::clipboard()->setText(QStringLiteral("left over"));

            QTest::mouseClick(button(main, name, index), Qt::LeftButton);
            QCOMPARE(main->statusText(), status);
            main->showStatus(QString());
            menuItem(main, menu, menuIndex)->trigger();
            QCOMPARE(main->statusText(), status);

            QCOMPARE(readDataFile(fake), before);
            QVERIFY(fake.launcher.launches.isEmpty());
            QVERIFY(!main->entryEditor());
            if (name == QLatin1String("cmdCopy"))
                QCOMPARE(QGuiApplication::clipboard()->text(), QString()); // emptied before looking
            closeApplication();
        }
    }

    void deleteAsksWithTheEntrysTexts() {
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        clickRow(main, 2);
        fake.dialogs.answerMessage(MessageAnswer::Cancel);
        const QByteArray before = readDataFile(fake);

        QTest::mouseClick(button(main, QStringLiteral("cmdDelete")), Qt::LeftButton);

        QVERIFY(!fake.dialogs.shown.isEmpty());
        const ShownBox &box = fake.dialogs.shown.last();
        QCOMPARE(box.title, QStringLiteral("Confirm Delete"));
        QCOMPARE(box.text, QStringLiteral("Are you sure you want to delete the following information?\r\n\r\n"
                                          "Username: bob\r\nPassword: pw-b\r\nUsed At: C:\\Data"));
        QCOMPARE(box.buttons, MessageButtons::OkCancel);
        QCOMPARE(box.defaultButton, MessageAnswer::Ok);
        QCOMPARE(box.icon, MessageIcon::None);
        QCOMPARE(main->statusText(), QStringLiteral("Entry not deleted, cancelled by user"));
        QCOMPARE(main->entryList()->entries()->count(), 3);
        QCOMPARE(readDataFile(fake), before);
    }

    void deleteOkRemovesTheRowAndSaves() {
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        clickRow(main, 2);
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        menuItem(main, QStringLiteral("mnuDataItem"), 1)->trigger();

        QCOMPARE(main->statusText(), QStringLiteral("Entry deleted successfully, data saved."));
        QCOMPARE(main->entryList()->entries()->count(), 2);
        QCOMPARE(main->entryList()->entries()->entry(2).username, QStringLiteral("carol"));
        QCOMPARE(readDataFile(fake), scrambled("secret") + "\r\n" + scrambled("alice|||pw-a|||www.alpha.example") +
                                         "\r\n" + scrambled("carol|||pw-c|||intranet") + "\r\n\r\n");
    }

    void firstSelectedRowWins() {
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        clickRow(main, 3);
        clickRow(main, 2, Qt::ControlModifier);
        QVERIFY(main->entryList()->isSelected(2) && main->entryList()->isSelected(3));
        QTest::mouseClick(button(main, QStringLiteral("cmdCopy"), 0), Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("bob"));
        QCOMPARE(main->statusText(), QStringLiteral("Copied Username bob"));
    }

    void copyPutsOneFieldOnTheClipboard_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("secret");
        QTest::newRow("user name") << 0 << "alice"
                                   << "Copied Username alice" << false;
        QTest::newRow("password") << 1 << "pw-a"
                                  << "Copied Password pw-a" << true;
        QTest::newRow("location") << 2 << "www.alpha.example"
                                  << "Copied Location www.alpha.example" << false;
    }
    void copyPutsOneFieldOnTheClipboard() {
        QFETCH(int, index);
        QFETCH(QString, text);
        QFETCH(QString, status);
        QFETCH(bool, secret);
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        clickRow(main, 1);
        menuItem(main, QStringLiteral("mnuCopyItem"), index)->trigger();
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->text(), text);
        QCOMPARE(data->data(QStringLiteral("x-kde-passwordManagerHint")), secret ? QByteArray("secret") : QByteArray());
        QCOMPARE(main->statusText(), status);
    }

    void goToOpensTheLocationAsOneArgument_data() {
        QTest::addColumn<QString>("location");
        QTest::addColumn<QString>("opened");
        QTest::newRow("capitals") << "WWW.EXAMPLE.COM"
                                  << "http://WWW.EXAMPLE.COM";
        QTest::newRow("scheme in capitals") << "HTTP://www.example.com"
                                            << "HTTP://www.example.com";
        QTest::newRow("secure scheme") << "https://www.example.com"
                                       << "http://https://www.example.com";
        QTest::newRow("bare host") << "intranet"
                                   << "intranet";
        QTest::newRow("marker inside a word") << "organic.example"
                                              << "http://organic.example";
        QTest::newRow("folder") << "C:\\Data"
                                << "C:\\Data";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("shell characters") << "x.com; rm -rf ~ $(id)"
                                          << "http://x.com; rm -rf ~ $(id)";
    }
    void goToOpensTheLocationAsOneArgument() {
        QFETCH(QString, location);
        QFETCH(QString, opened);
        FakePlatform fake;
        MainWindow *main = open(fake, {"user|||pw|||" + location.toLatin1()});
        QVERIFY(main);
        clickRow(main, 1);
        QTest::mouseClick(button(main, QStringLiteral("cmdGoto")), Qt::LeftButton);
        QCOMPARE(fake.launcher.launches.size(), 1);
        QCOMPARE(fake.launcher.launches[0].program, QStringLiteral("xdg-open"));
        QCOMPARE(fake.launcher.launches[0].arguments, QStringList{opened});
        QCOMPARE(main->statusText(), QStringLiteral("Opening Location..."));
    }

    void goToSaysSoWhenTheOpenerCannotStart() {
        FakePlatform fake;
        fake.launcher.succeed = false;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        clickRow(main, 1);
        menuItem(main, QStringLiteral("mnuDataItem"), 3)->trigger();
        QVERIFY(main->statusText().startsWith(QStringLiteral("Could not open the location")));
    }

    void addAndEditOpenTheEditor() {
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        menuItem(main, QStringLiteral("mnuDataItem"), 0)->trigger();
        EntryEditor *editor = main->entryEditor();
        QVERIFY(editor);
        QVERIFY(editor->isVisible());
        QCOMPARE(editor->windowTitle(), QStringLiteral("Add an entry"));
        QCOMPARE(editor->row(), EntryTableModel::RowId(0));
        editor->close();
        QVERIFY(!main->entryEditor());

        clickRow(main, 3);
        QTest::mouseClick(button(main, QStringLiteral("cmdEdit")), Qt::LeftButton);
        editor = main->entryEditor();
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), QStringLiteral("Edit an entry"));
        QCOMPARE(editor->row(), main->entryList()->entries()->rowId(3));
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtUsername"))->text(), QStringLiteral("carol"));
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->text(), QStringLiteral("pw-c"));
        QCOMPARE(editor->findChild<QLineEdit *>(QStringLiteral("txtWebsite"))->text(), QStringLiteral("intranet"));
    }
};

QTEST_MAIN(tst_EntryCommands)
#include "tst_entry_commands.moc"
