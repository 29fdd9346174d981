#include "AppTestSupport.h"

#include "DataFile.h"
#include "EntryEditor.h"
#include "FailingSaveFile.h"

#include <QClipboard>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QSaveFile>
#include <QSet>

using namespace varnook;
using namespace varnook::test;

namespace {
// The first count saves find the disk full; the later ones succeed. Counts every save in attempts.
void failSaves(int count, int *attempts) {
    DataFile::setSaveFileFactory([count, attempts](const QString &path) -> std::unique_ptr<QSaveFile> {
        if (++*attempts <= count)
            return std::make_unique<FailingSaveFile>(path, 0);
        return std::make_unique<QSaveFile>(path);
    });
}

// Drawn text shows as more than two colours (glyphs are smoothed); a blank cell is one colour.
int coloursIn(const QImage &image) {
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    }
    return int(colours.size());
}
} // namespace

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
        const QRect rect = list->visualRect(list->model()->index(list->shownRows().rowOf(position), 0));
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
                                       << "https://www.example.com";
        QTest::newRow("other scheme in mixed case") << "Svn+SSH.x-1://www.example.org/repo"
                                                    << "Svn+SSH.x-1://www.example.org/repo";
        QTest::newRow("scheme inside, not in front") << "www.example.com/?next=https://x.org"
                                                     << "http://www.example.com/?next=https://x.org";
        QTest::newRow("folder holding a marker") << "/var/www/html"
                                                 << "/var/www/html";
        QTest::newRow("folder holding org") << "/home/jo/Organizer"
                                            << "/home/jo/Organizer";
        QTest::newRow("home folder") << "~/Organizer" << QDir::homePath() + "/Organizer";
        QTest::newRow("another user's home") << "~jo/www"
                                             << "~jo/www";
        QTest::newRow("network share") << "\\\\server\\www"
                                       << "\\\\server\\www";
        QTest::newRow("drive path holding a marker") << "d:\\www\\site.com"
                                                     << "d:\\www\\site.com";
        QTest::newRow("no drive, a marker") << "d:www.com"
                                            << "http://d:www.com";
        QTest::newRow("capitals, no scheme") << "WWW.SHOUT.COM"
                                             << "http://WWW.SHOUT.COM";
        QTest::newRow("dash in front of a web address") << "-www.example.com"
                                                        << "http://-www.example.com";
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

    void goToNeverHandsTheOpenerAnOption_data() {
        QTest::addColumn<QString>("location");
        QTest::newRow("long option") << "--help";
        QTest::newRow("short option") << "-x";
        QTest::newRow("scheme that starts with a dash") << "-x://www.example.com";
    }
    void goToNeverHandsTheOpenerAnOption() {
        QFETCH(QString, location);
        FakePlatform fake;
        MainWindow *main = open(fake, {"user|||pw|||" + location.toLatin1()});
        QVERIFY(main);
        clickRow(main, 1);
        QTest::mouseClick(button(main, QStringLiteral("cmdGoto")), Qt::LeftButton);
        QCOMPARE(fake.launcher.launches.size(), 0);
        QCOMPARE(main->statusText(), QStringLiteral("Could not open the location: it begins with \"-\", which the "
                                                    "opener would take for an option."));
    }

    void deleteQuestionShortensLongFields() {
        FakePlatform fake;
        const QByteArray user(80, 'u'), password(10 * 1024 * 1024, 'p'), location(81, 'w');
        MainWindow *main = open(fake, {user + "|||" + password + "|||" + location});
        QVERIFY(main);
        clickRow(main, 1);
        fake.dialogs.answerMessage(MessageAnswer::Cancel);
        QTest::mouseClick(button(main, QStringLiteral("cmdDelete")), Qt::LeftButton);
        QCOMPARE(fake.dialogs.shown.size(), 2); // the password prompt, the question
        QCOMPARE(fake.dialogs.shown[1].text,
                 QStringLiteral("Are you sure you want to delete the following information?\r\n\r\nUsername: ") +
                     QString(80, u'u') + QStringLiteral("\r\nPassword: ") + QString(80, u'p') +
                     QStringLiteral("\u2026 (10485760 characters)\r\nUsed At: ") + QString(80, u'w') +
                     QStringLiteral("\u2026 (81 characters)"));
    }

    void copyOfAHugeFieldShowsItShortenedAndCopiesItWhole() {
        // Laid out whole, a field this long kept the list cell and the status line busy for
        // seconds at every paint and then drew them blank.
        FakePlatform fake;
        const QByteArray password(100 * 1024 * 1024, 'p');
        MainWindow *main = open(fake, {"user|||" + password + "|||www.alpha.example"});
        QVERIFY(main);
        QTRY_VERIFY(main->bannerStarted()); // painted, and the web engine's start is behind us
        const QString shown = QString(80, u'p') + QStringLiteral("\u2026 (104857600 characters)");
        EntryListView *list = main->entryList();
        QCOMPARE(list->entries()->data(list->entries()->index(0, 1)).toString(), shown);
        clickRow(main, 1);

        QTest::mouseClick(button(main, QStringLiteral("cmdCopy"), 1), Qt::LeftButton);

        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY(data->text() == QString::fromLatin1(password)); // the whole of it, not the shown text
        QCOMPARE(main->statusText(), QStringLiteral("Copied Password ") + shown);

        // What is shown is drawn: the cell has glyphs, the status line differs from an empty one.
        const QRect cell = list->visualRect(list->model()->index(0, 1)).adjusted(3, 3, -3, -3);
        QVERIFY(coloursIn(list->viewport()->grab(cell).toImage()) > 2);
        const QImage status = main->statusLine()->grab().toImage();
        main->showStatus(QString());
        QVERIFY(status != main->statusLine()->grab().toImage());
    }

    void failedSaveIsInEveryStatusLineUntilASaveSucceeds() {
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        int attempts = 0;
        failSaves(1, &attempts);
        clickRow(main, 2);
        fake.dialogs.answerMessage(MessageAnswer::Ok); // delete bob
        fake.dialogs.answerMessage(MessageAnswer::Ok); // the box about the failed save
        QTest::mouseClick(button(main, QStringLiteral("cmdDelete")), Qt::LeftButton);
        QCOMPARE(main->statusText(), QStringLiteral("Not saved: No space left on device"));

        clickRow(main, 1);
        QTest::mouseClick(button(main, QStringLiteral("cmdCopy"), 0), Qt::LeftButton);
        QCOMPARE(main->statusText(), QStringLiteral("Not saved: No space left on device | Copied Username alice"));
        QTest::mouseClick(button(main, QStringLiteral("cmdEdit")), Qt::LeftButton);
        QCOMPARE(main->statusText(), QStringLiteral("Not saved: No space left on device | Copied Username alice"));
        main->entryEditor()->close();

        // The next save writes the earlier change too, and the status line is plain again.
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(button(main, QStringLiteral("cmdDelete")), Qt::LeftButton);
        QCOMPARE(main->statusText(), QStringLiteral("Entry deleted successfully, data saved."));
        QCOMPARE(readDataFile(fake), scrambled("secret") + "\r\n" + scrambled("carol|||pw-c|||intranet") + "\r\n\r\n");
    }

    void exitWithAChangeNotInTheFile_data() {
        QTest::addColumn<int>("failingSaves"); // the delete's save is the first
        QTest::addColumn<QList<MessageAnswer>>("answers");
        QTest::addColumn<bool>("byMenu");
        QTest::addColumn<bool>("bobGone");
        QTest::newRow("nothing unsaved: no question, no save") << 0 << QList<MessageAnswer>{} << true << true;
        QTest::newRow("saved again, quietly") << 1 << QList<MessageAnswer>{} << true << true;
        QTest::newRow("retry succeeds") << 2 << QList<MessageAnswer>{MessageAnswer::Retry} << false << true;
        QTest::newRow("retry fails, then succeeds")
            << 3 << QList<MessageAnswer>{MessageAnswer::Retry, MessageAnswer::Retry} << true << true;
        QTest::newRow("close without saving")
            << 99 << QList<MessageAnswer>{MessageAnswer::CloseWithoutSaving} << false << false;
        QTest::newRow("retry, then close without saving")
            << 99 << QList<MessageAnswer>{MessageAnswer::Retry, MessageAnswer::CloseWithoutSaving} << true << false;
    }
    void exitWithAChangeNotInTheFile() {
        QFETCH(int, failingSaves);
        QFETCH(QList<MessageAnswer>, answers);
        QFETCH(bool, byMenu);
        QFETCH(bool, bobGone);
        FakePlatform fake;
        MainWindow *main = open(fake, threeEntries);
        QVERIFY(main);
        int attempts = 0;
        failSaves(failingSaves, &attempts);
        clickRow(main, 2);
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        if (failingSaves > 0)
            fake.dialogs.answerMessage(MessageAnswer::Ok);
        QTest::mouseClick(button(main, QStringLiteral("cmdDelete")), Qt::LeftButton);
        const qsizetype boxesBefore = fake.dialogs.shown.size();

        for (MessageAnswer answer : answers)
            fake.dialogs.answerMessage(answer);
        if (byMenu)
            menuItem(main, QStringLiteral("mnuFileItem"), 0)->trigger();
        else
            main->close();

        QCOMPARE(fake.dialogs.shown.size(), boxesBefore + answers.size());
        for (qsizetype i = boxesBefore; i < fake.dialogs.shown.size(); ++i) {
            const ShownBox &box = fake.dialogs.shown[i];
            QCOMPARE(box.text, QStringLiteral("The data file could not be saved:\n") +
                                   QDir::toNativeSeparators(fake.dataFile()) +
                                   QStringLiteral("\n\nNo space left on device\n\nThe list holds changes that are not "
                                                  "in the file. Retry saves again; Close without saving loses "
                                                  "these changes."));
            QCOMPARE(box.buttons, MessageButtons::RetryCloseWithoutSaving);
            QCOMPARE(box.defaultButton, MessageAnswer::Retry);
        }
        const bool saveAtExit = failingSaves > 0;
        QCOMPARE(attempts, 1 + (saveAtExit ? 1 + int(answers.count(MessageAnswer::Retry)) : 0));
        QCOMPARE(fake.process.endCount, 1);
        QCOMPARE(fake.process.lastExitCode, 0);
        const QByteArray alice = scrambled("alice|||pw-a|||www.alpha.example") + "\r\n";
        const QByteArray bob = scrambled("bob|||pw-b|||C:\\Data") + "\r\n";
        const QByteArray carol = scrambled("carol|||pw-c|||intranet") + "\r\n";
        QCOMPARE(readDataFile(fake),
                 scrambled("secret") + "\r\n" + alice + (bobGone ? QByteArray() : bob) + carol + "\r\n");
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
