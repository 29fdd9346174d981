// Another program changes the data file while the program has it open: a sync engine renaming a
// second computer's save over it, a restored backup, a removal.

#include "AppTestSupport.h"
#include "ControlArray.h"
#include "EditorClicks.h"
#include "EntryEditor.h"
#include "FileHelpers.h"

#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QTest>

#include <thread>

using namespace varnook;
using namespace varnook::test;

namespace {

// How long another program's change may take to show: what a user would still call at once.
constexpr int ShownWithinMs = 2000;

QByteArray fileOf(const QByteArray &master, const QList<QByteArray> &lines) {
    QByteArray bytes = scrambled(master) + "\r\n";
    for (const QByteArray &line : lines)
        bytes += scrambled(line) + "\r\n";
    return bytes + "\r\n";
}

// What a sync engine does when the other computer saved: a new file renamed over the old one.
void renameOver(const FakePlatform &fake, const QByteArray &bytes) {
    QSaveFile file(fake.dataFile());
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
    QVERIFY(file.commit());
}

const QByteArray Alice = "alice|||pw-a|||mail.example";
const QByteArray Carol = "carol|||pw-c|||intranet";
const QByteArray Dave = "dave|||pw-d|||bank.example";
const QByteArray Erin = "erin|||pw-e|||shop.example";

// Many entries, u000 to u<count - 1>, each with its own password: more than a few lines out of
// place, so that a file in another order is looked up rather than followed.
QList<QByteArray> manyLines(int count) {
    QList<QByteArray> lines;
    for (int i = 0; i < count; ++i) {
        const QByteArray number = QByteArray::number(i).rightJustified(3, '0');
        lines << "u" + number + "|||pw" + number + "|||site" + number;
    }
    return lines;
}

QStringList usernamesOf(const QList<QByteArray> &lines) {
    QStringList names;
    for (const QByteArray &line : lines)
        names << QString::fromLatin1(line.left(line.indexOf("|||")));
    return names;
}

} // namespace

class tst_OtherWriters : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeApplication(); }

    void aChangeElsewhereShowsAndIsKept() {
        // The list holds nothing unsaved: the new file shows, sorted as the list was, with the
        // selected entry still selected; the next change here keeps the other program's entry.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Carol, Alice});
        QVERIFY(main);
        QVERIFY(main->entryList()->entries()->toggleSort(1)); // by user name: alice, carol
        main->entryList()->selectPosition(2);
        renameOver(fake, fileOf("secret", {Alice, Carol, Dave}));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), (QStringList{"alice", "carol", "dave"}), ShownWithinMs);
        QCOMPARE(main->statusText(),
                 QStringLiteral("Reloaded: the data file was changed by another program. Loaded 3 entries"));
        QCOMPARE(main->entryList()->firstSelectedPosition(), 2);

        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example"));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, Carol, Dave, Erin}));
        QCOMPARE(fake.dialogs.shown.size(), 1); // the login only
    }

    void aSaveMergesWhatItFinds() {
        // The other program's file arrives just before a save, before the watcher looks: the save
        // carries the change made here into it, and the other program's entry stays.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        renameOver(fake, fileOf("secret", {Alice, Carol, Dave}));
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example"));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, Carol, Dave, Erin}));
        QCOMPARE(usernames(main), (QStringList{"alice", "carol", "dave", "erin"}));
        QCOMPARE(main->statusText(), QStringLiteral("Added new entry.  Data saved. Merged with the changes another "
                                                    "program made to the data file."));

        // An edit of an entry the other program left alone applies as made; the other program's
        // lines, even one a save would write otherwise, stay byte for byte.
        renameOver(fake, fileOf("secret", {Alice, Carol, Dave, Erin, "ivan|||pw|"}));
        editThroughEditor(main, 1, QStringLiteral("alice"), QStringLiteral("new-a"), QStringLiteral("mail.example"));
        QCOMPARE(readDataFile(fake),
                 fileOf("secret", {"alice|||new-a|||mail.example", Carol, Dave, Erin, "ivan|||pw|"}));
        QCOMPARE(fake.dialogs.shown.size(), 1);
    }

    void twoVersionsOfOneEntryAreTheUsersChoice_data() {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<QByteArray>("saved");
        const QByteArray mine = "alice|||mine|||mail.example";
        const QByteArray theirs = "alice|||theirs|||mail.example";
        QTest::newRow("keep both") << MessageAnswer::KeepBoth << fileOf("secret", {theirs, Carol, mine});
        QTest::newRow("keep mine") << MessageAnswer::KeepMine << fileOf("secret", {mine, Carol});
        QTest::newRow("keep the file's") << MessageAnswer::KeepTheirs << fileOf("secret", {theirs, Carol});
    }
    void twoVersionsOfOneEntryAreTheUsersChoice() {
        QFETCH(MessageAnswer, answer);
        QFETCH(QByteArray, saved);
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        renameOver(fake, fileOf("secret", {"alice|||theirs|||mail.example", Carol}));
        fake.dialogs.answerMessage(answer);
        editThroughEditor(main, 1, QStringLiteral("alice"), QStringLiteral("mine"), QStringLiteral("mail.example"));
        QCOMPARE(readDataFile(fake), saved);
        QCOMPARE(fake.dialogs.shown.size(), 2);
        const ShownBox &box = fake.dialogs.shown[1];
        QCOMPARE(box.buttons, MessageButtons::KeepBothMineTheirs);
        QCOMPARE(box.defaultButton, MessageAnswer::KeepBoth);
        QCOMPARE(box.text,
                 QStringLiteral("You changed an entry here that another program changed in the data file meanwhile.\n\n"
                                "Here:\n    Username: alice\n    Password: mine\n    Used At: mail.example\n\n"
                                "In the data file:\n    Username: alice\n    Password: theirs\n    Used At: "
                                "mail.example\n\nKeep Both keeps the two entries; Keep Mine keeps only the one made "
                                "here; Keep the File's keeps only the one in the file."));
        QVERIFY(main->statusText().endsWith(QStringLiteral("; 1 settled as you chose.")));
    }

    void aDeleteOfAnEntryChangedElsewhereAsks() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        renameOver(fake, fileOf("secret", {Alice, "carol|||changed|||intranet"}));
        main->entryList()->selectPosition(2);
        fake.dialogs.answerMessage(MessageAnswer::Ok);         // the delete question
        fake.dialogs.answerMessage(MessageAnswer::KeepTheirs); // the file's version stays
        QTest::mouseClick(mainButton(main, "cmdDelete"), Qt::LeftButton);
        QCOMPARE(fake.dialogs.shown.size(), 3);
        QVERIFY(fake.dialogs.shown[2].text.startsWith(
            QStringLiteral("You deleted an entry here that another program changed in the data file meanwhile.")));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, "carol|||changed|||intranet"}));
        QCOMPARE(usernames(main), (QStringList{"alice", "carol"}));
    }

    void aFileWrittenInPlaceShowsOnlyWhole() {
        // Another program writes the file in place a piece at a time: no half list ever shows.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        QList<int> shownCounts;
        connect(main->entryList()->entries(), &QAbstractItemModel::modelReset, main,
                [&] { shownCounts << main->entryList()->entries()->count(); });
        QList<QByteArray> lines;
        for (int i = 0; i < 40; ++i)
            lines << "user" + QByteArray::number(i) + "|||pw|||site";
        const QByteArray whole = fileOf("secret", lines);
        std::thread writer([&] {
            QFile file(fake.dataFile());
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
                return;
            for (qsizetype at = 0; at < whole.size(); at += 64) {
                file.write(whole.mid(at, 64));
                file.flush();
                std::this_thread::sleep_for(std::chrono::milliseconds(40));
            }
        });
        QTRY_COMPARE_WITH_TIMEOUT(main->entryList()->entries()->count(), 40, 10000);
        writer.join();
        QCOMPARE(shownCounts, QList<int>{40});
    }

    void itsOwnFileWrittenAgainIsNoChange() {
        // A backup restored, or a sync engine putting back the very file saved here: under another
        // identity it is looked at, and neither reloaded nor merged.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example"));
        const QByteArray saved = readDataFile(fake);
        QCOMPARE(saved, fileOf("secret", {Alice, Carol, Erin}));
        const QString savedStatus = main->statusText();
        int looks = 0;
        int resets = 0;
        connect(&application().session(), &Session::reloadStarted, main, [&] { ++looks; });
        connect(main->entryList()->entries(), &QAbstractItemModel::modelReset, main, [&] { ++resets; });
        renameOver(fake, saved);
        QTRY_COMPARE_WITH_TIMEOUT(looks, 1, ShownWithinMs);
        QCOMPARE(resets, 0);
        QCOMPARE(main->statusText(), savedStatus);

        // Nor does the next save say it merged anything.
        renameOver(fake, readDataFile(fake));
        addThroughEditor(main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example"));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, Carol, Erin, Dave}));
        QVERIFY2(!main->statusText().contains(QStringLiteral("Merged")), qPrintable(main->statusText()));
        QCOMPARE(fake.dialogs.shown.size(), 1);
    }

    void aRemovedFileIsMadeAgainOnlyWhenTheUserSays() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        QVERIFY(QFile::remove(fake.dataFile()));
        QTRY_COMPARE_WITH_TIMEOUT(main->statusText(),
                                  QStringLiteral("The data file was removed by another program. The next change "
                                                 "asks before making it again."),
                                  ShownWithinMs);
        QCOMPARE(usernames(main), QStringList{"alice"});

        fake.dialogs.answerMessage(MessageAnswer::Cancel); // not made again
        fake.dialogs.answerMessage(MessageAnswer::Ok);     // the box that says it was not saved
        addThroughEditor(main, QStringLiteral("carol"), QStringLiteral("pw-c"), QStringLiteral("intranet"));
        QVERIFY(!QFileInfo::exists(fake.dataFile()));
        QVERIFY(main->statusText().startsWith(QStringLiteral("Not saved: The data file was removed")));

        fake.dialogs.answerMessage(MessageAnswer::Ok); // made again
        addThroughEditor(main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example"));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, Carol, Dave}));
        QCOMPARE(fake.dialogs.shown.size(), 4);
    }

    void conflictCopiesAreOfferedAndMerged() {
        FakePlatform fake;
        const QDir folder(fake.programFolder());
        const QString dropbox = folder.filePath(QStringLiteral("data (Jo's conflicted copy 2026-12-09).enc"));
        const QString nextcloud = folder.filePath(QStringLiteral("data (conflicted copy 2026-12-09 101530).enc"));
        const QString syncthing = folder.filePath(QStringLiteral("data.sync-conflict-20261209-101530-ABCDEFG.enc"));
        writeBytes(dropbox, fileOf("secret", {"frank|||pw-f|||"}));
        writeBytes(nextcloud, fileOf("other", {Alice, Erin}));
        writeBytes(syncthing, fileOf("secret", {Dave, Alice}));
        writeBytes(folder.filePath(QStringLiteral("data.enc.backup")), fileOf("secret", {"gina|||pw-g|||"}));
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        // The copies are offered once the window is up.
        fake.dialogs.answerMessage(MessageAnswer::Cancel); // the Dropbox copy stays
        fake.dialogs.answerMessage(MessageAnswer::Ok);     // the Nextcloud copy, under its own password
        fake.dialogs.answerInput(QStringLiteral("other"));
        fake.dialogs.answerMessage(MessageAnswer::Ok); // the Syncthing copy
        QTRY_COMPARE_WITH_TIMEOUT(fake.dialogs.shown.size(), 5, ShownWithinMs);
        QCOMPARE(fake.dialogs.shown[1].text,
                 QStringLiteral("A sync engine left a conflicting copy of the data file beside it:\n") +
                     QDir::toNativeSeparators(dropbox) +
                     QStringLiteral("\n\nIt holds 1 entries that the list does not have. Merge them into the list? "
                                    "The copy is removed once they are saved; Cancel leaves it as it is."));
        QCOMPARE(fake.dialogs.shown[3].text, QStringLiteral("Please enter your password"));
        QTRY_COMPARE_WITH_TIMEOUT(readDataFile(fake), fileOf("secret", {Alice, Carol, Erin, Dave}), ShownWithinMs);
        QCOMPARE(
            main->statusText(),
            QStringLiteral("Merged 1 entries from the conflict copy data.sync-conflict-20261209-101530-ABCDEFG.enc"));
        QVERIFY(QFileInfo::exists(dropbox));
        QVERIFY(!QFileInfo::exists(nextcloud));
        QVERIFY(!QFileInfo::exists(syncthing));

        // One that appears while the program runs is offered too; the declined one is not asked again.
        const QString later = folder.filePath(QStringLiteral("data.sync-conflict-20261209-111111-HIJKLMN.enc"));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        writeBytes(later, fileOf("secret", {"hank|||pw-h|||"}));
        QTRY_COMPARE_WITH_TIMEOUT(readDataFile(fake), fileOf("secret", {Alice, Carol, Erin, Dave, "hank|||pw-h|||"}),
                                  ShownWithinMs);
        QCOMPARE(fake.dialogs.shown.size(), 6);
        QVERIFY(!QFileInfo::exists(later));
    }

    void aConflictCopyOfTheLastSaveHereIsMerged() {
        // The sync engine keeps the other computer's file: this computer's last save is moved aside
        // as a conflict copy and the other file put in its place. Until the list shows that file,
        // the copy seems to hold nothing new; the entry saved here must not go with it.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        addThroughEditor(main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example"));
        const QString copy =
            QDir(fake.programFolder()).filePath(QStringLiteral("data.sync-conflict-20261209-101530-ABCDEFG.enc"));
        QVERIFY(QFile::rename(fake.dataFile(), copy));
        renameOver(fake, fileOf("secret", {Alice, Carol, Erin}));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        QTRY_COMPARE_WITH_TIMEOUT(readDataFile(fake), fileOf("secret", {Alice, Carol, Erin, Dave}), ShownWithinMs);
        QVERIFY(!QFileInfo::exists(copy));
        QCOMPARE(usernames(main), (QStringList{"alice", "carol", "erin", "dave"}));
        QCOMPARE(fake.dialogs.shown.size(), 2);
        QVERIFY(fake.dialogs.shown[1].text.contains(QStringLiteral("It holds 1 entries that the list does not have.")));
    }

    void anEmptiedFileLosesNoEntry() {
        // Another program leaves the file without its master password line: the list is no version of
        // it, so the next change keeps every entry the list shows, and those the file still holds.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        renameOver(fake, "\r\n" + scrambled(Dave) + "\r\n");
        QTRY_COMPARE_WITH_TIMEOUT(main->statusText(),
                                  QStringLiteral("The data file was changed by another program and has no master "
                                                 "password now; the list stays as it was."),
                                  ShownWithinMs);
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example"));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, Carol, Erin, Dave}));
        QCOMPARE(fake.dialogs.shown.size(), 1);
    }

    void aLongListReloadsInAnotherOrder() {
        // The other program saved the list in its own order, with one entry edited, one deleted and
        // one added: the sorted list shows exactly its entries, the selected one still selected, and
        // the next save writes them in the list's order.
        FakePlatform fake;
        const QList<QByteArray> lines = manyLines(200);
        MainWindow *main = openMainWindow(fake, lines);
        QVERIFY(main);
        QVERIFY(main->entryList()->entries()->toggleSort(1));
        main->entryList()->selectPosition(150); // u149
        QList<QByteArray> theirs(lines.rbegin(), lines.rend());
        theirs[10] = "u189|||changed|||site189";
        theirs.removeAt(100); // u099
        theirs.insert(50, "u05a|||pw-new|||new.example");
        renameOver(fake, fileOf("secret", theirs));
        QList<QByteArray> sorted = theirs;
        std::sort(sorted.begin(), sorted.end());
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), usernamesOf(sorted), ShownWithinMs);
        const EntryTableModel &list = *main->entryList()->entries();
        QCOMPARE(list.entry(main->entryList()->firstSelectedPosition()).username, QStringLiteral("u149"));
        const int changed = int(usernamesOf(sorted).indexOf(QStringLiteral("u189"))) + 1;
        QCOMPARE(list.entry(changed).password, QStringLiteral("changed"));

        addThroughEditor(main, QStringLiteral("u500"), QStringLiteral("pw500"), QStringLiteral("site500"));
        sorted << "u500|||pw500|||site500";
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(readDataFile(fake), fileOf("secret", sorted));
        QCOMPARE(fake.dialogs.shown.size(), 1);
    }

    void aLongListMergesInAnotherOrder() {
        // The same, arriving just before a save: the add made here joins the other program's entries,
        // whose lines keep their order and bytes.
        FakePlatform fake;
        const QList<QByteArray> lines = manyLines(150);
        MainWindow *main = openMainWindow(fake, lines);
        QVERIFY(main);
        QList<QByteArray> theirs(lines.rbegin(), lines.rend());
        theirs[3] = "u146|||changed|||site146";
        theirs.removeAt(80);
        theirs << "u900|||pw|";
        renameOver(fake, fileOf("secret", theirs));
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example"));
        QCOMPARE(readDataFile(fake), fileOf("secret", theirs + QList<QByteArray>{Erin}));
        QCOMPARE(usernames(main), usernamesOf(theirs + QList<QByteArray>{Erin}));
        QCOMPARE(main->entryList()->entries()->entry(4).password, QStringLiteral("changed"));
        QCOMPARE(fake.dialogs.shown.size(), 1);
    }

    void aLineTwiceIsTwoRows() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice, Carol});
        QVERIFY(main);
        renameOver(fake, fileOf("secret", {Alice, Carol, Alice}));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), (QStringList{"alice", "carol", "alice"}), ShownWithinMs);
        main->entryList()->selectPosition(1);
        fake.dialogs.answerMessage(MessageAnswer::Ok); // the delete question
        QTest::mouseClick(mainButton(main, "cmdDelete"), Qt::LeftButton);
        QCOMPARE(readDataFile(fake), fileOf("secret", {Carol, Alice}));
        QCOMPARE(usernames(main), (QStringList{"carol", "alice"}));
    }

    void aRowSavedAsAnotherEntryShowsAsTheFileHasIt() {
        // A row whose entry the file cannot hold as it is (a separator in its user name) is saved as
        // the line its fields make, which reads as another entry. Read again, the list shows what
        // the file holds, not the row as it was.
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        Session &session = application().session();
        const Entry odd{QStringLiteral("x|||y"), QStringLiteral("pw"), QStringLiteral("site")};
        session.entries().add(odd);
        QVERIFY(session.save(EntryChange{EntryChange::Kind::Add, {}, odd}));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, "x|||y|||pw|||site"}));

        renameOver(fake, fileOf("secret", {Alice, "x|||y|||pw|||site", Dave}));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), (QStringList{"alice", "x", "dave"}), ShownWithinMs);
        QCOMPARE(session.entries().entry(2),
                 (Entry{QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("pw|||site")}));

        // And so does a merge.
        session.entries().add(odd);
        renameOver(fake, fileOf("secret", {Alice, "x|||y|||pw|||site", Dave, Carol}));
        QVERIFY(session.save(EntryChange{EntryChange::Kind::Add, {}, odd}));
        QCOMPARE(usernames(main), (QStringList{"alice", "x", "dave", "carol", "x|||y"}));
        QCOMPARE(session.entries().entry(2).password, QStringLiteral("y"));
        QCOMPARE(readDataFile(fake), fileOf("secret", {Alice, "x|||y|||pw|||site", Dave, Carol, "x|||y|||pw|||site"}));
    }

    void anotherMasterPasswordIsAskedFor() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        // Cancelled: the list stays as it was.
        fake.dialogs.answerInput(QString());
        fake.dialogs.answerMessage(MessageAnswer::Cancel);
        renameOver(fake, fileOf("other", {Alice, Carol}));
        QTRY_COMPARE_WITH_TIMEOUT(main->statusText(),
                                  QStringLiteral("Not reloaded: the data file was changed by another program, under "
                                                 "another master password. The next change asks for it again."),
                                  ShownWithinMs);
        QCOMPARE(usernames(main), QStringList{"alice"});

        // The next change asks again; with the password given, the file's entries and password stay.
        fake.dialogs.answerInput(QStringLiteral("other"));
        addThroughEditor(main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example"));
        QCOMPARE(readDataFile(fake), fileOf("other", {Alice, Carol, Dave}));
        QCOMPARE(fake.dialogs.shown.size(), 4);
        QCOMPARE(fake.dialogs.shown[3].text, QStringLiteral("Please enter your password"));
    }
};

QTEST_MAIN(tst_OtherWriters)
#include "tst_otherwriters.moc"
