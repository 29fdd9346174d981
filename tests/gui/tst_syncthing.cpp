// Two computers sync one program folder through Syncthing: the program runs on computer A, and the
// program or varnook-cli on computer B. Every change made on either side reaches the other whole,
// none is lost, and both folders end with the same data file.

#include "AppTestSupport.h"
#include "CliRunner.h"
#include "ControlArray.h"
#include "DataFolderLock.h"
#include "EditorClicks.h"
#include "EntryEditor.h"
#include "FileHelpers.h"
#include "SyncthingPair.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace varnook;
using namespace varnook::test;

namespace {

// A change crosses in a second or two (Syncthing notices it after a second, then sends it); the
// bound is for a loaded machine. The waits on Syncthing fail at their bound, unlike QTRY_*, which
// waits twice as long again to say when the condition would have held.
constexpr int SyncedWithinMs = 30000;
// How long the program may take to show a file that has arrived.
constexpr int ShownWithinMs = 5000;
// How long a conflict copy may stay before the test calls it unmerged.
constexpr int MergedWithinMs = 15000;

const QByteArray Alice = "alice|||pw-a|||mail.example";
const QByteArray Carol = "carol|||pw-c|||intranet";
const QByteArray Dave = "dave|||pw-d|||bank.example";
const QByteArray Erin = "erin|||pw-e|||shop.example";

QByteArray fileOf(const QList<QByteArray> &lines) {
    QByteArray bytes = scrambled("secret") + "\r\n";
    for (const QByteArray &line : lines)
        bytes += scrambled(line) + "\r\n";
    return bytes + "\r\n";
}

// A data file's lines in plain text, for a failure message or to compare files whose order of
// entries is not known.
QList<QByteArray> plainLines(const QByteArray &file) {
    QList<QByteArray> lines = file.split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
        line = scrambled(line);
    }
    lines.removeAll(QByteArray());
    return lines;
}

// Looks at condition every 50 ms, handling events in between, until it holds or timeoutMs have
// passed. Each look at Syncthing is a few REST calls: not more often than that.
bool waitUntil(const std::function<bool()> &condition, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(50);
    }
    return true;
}

QString dataFileIn(const QString &folder) {
    return folder + QStringLiteral("/data.enc");
}

// What computer B's program is: a session on B's folder holding its lock, as a running copy there.
struct ProgramOnB {
    explicit ProgramOnB(const QString &folder)
        : lock(folder)
        , session(DataFile(dataFileIn(folder))) {}
    DataFolderLock lock;
    Session session;
};

// Computer A's program folder, with the program open in it and holding its lock, and computer B's
// folder, each with its Syncthing.
struct TwoComputers {
    ~TwoComputers() { closeApplication(); } // the program ends before its folder goes

    QString folderA() const { return fake.programFolder(); }
    QString folderB() const { return scratchB.path(); }
    QByteArray fileA() const { return readBytes(dataFileIn(folderA())); }
    QByteArray fileB() const { return readBytes(dataFileIn(folderB())); }

    FakePlatform fake;
    DataFolderLock lockA{fake.programFolder()};
    QTemporaryDir scratchB;
    SyncthingPair pair;
    MainWindow *main = nullptr;
};

// Both folders hold expected, and Syncthing has nothing left to do.
bool bothHold(const TwoComputers &two, const QByteArray &expected) {
    return two.fileA() == expected && two.fileB() == expected && two.pair.idle();
}

// Both folders hold the same data file, and Syncthing has nothing left to do.
bool settled(const TwoComputers &two) {
    const QByteArray file = two.fileA();
    return plainLines(file).value(0) == "secret" && two.fileB() == file && two.pair.idle();
}

// What each side holds and does, for a failure message.
QByteArray syncState(const TwoComputers &two) {
    return "A's data.enc holds " + plainLines(two.fileA()).join(", ") + "; B's holds " +
           plainLines(two.fileB()).join(", ") + "; " + two.pair.describe().toUtf8();
}

// The conflict copies in either folder and what they hold, for a failure message.
QByteArray unmergedCopies(const TwoComputers &two) {
    QByteArray text = "Syncthing left conflict copies that nothing merged:";
    for (const QString &copy : two.pair.conflictCopies()) {
        const QFileInfo file(copy);
        const QByteArray side = file.absolutePath() == QDir(two.folderA()).absolutePath() ? "A" : "B";
        text += "\n    " + file.fileName().toUtf8() + " in " + side + "'s folder, holding " +
                plainLines(readBytes(copy)).join(", ");
    }
    return text + "\n" + syncState(two);
}

void verifyNoConflictCopies(const TwoComputers &two) {
    QVERIFY2(two.pair.conflictCopies().isEmpty(), unmergedCopies(two).constData());
}

void waitUntilBothHold(const TwoComputers &two, const QByteArray &expected) {
    const bool held = waitUntil([&] { return bothHold(two, expected); }, SyncedWithinMs);
    QVERIFY2(held, ("expected " + plainLines(expected).join(", ") + "; " + syncState(two)).constData());
}

} // namespace

// Runs a helper that checks with QVERIFY and QCOMPARE, and ends the test function when one failed:
// the steps after it would only wait out their bounds.
#define STEP(call)                                                                                                     \
    do {                                                                                                               \
        call;                                                                                                          \
        if (QTest::currentTestFailed())                                                                                \
            return;                                                                                                    \
    } while (false)

class tst_Syncthing : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_scratch; // the CSV files B imports: outside both synced folders
    int m_csvFiles = 0;

    // Opens the program on A's file of lines, starts both Syncthings and waits until B has the file.
    void start(TwoComputers &two, const QList<QByteArray> &lines) {
        // As the program starts: the folder locked, the lock kept fresh, the data file opened.
        QCOMPARE(two.lockA.tryLock().state, DataFolderLock::State::Locked);
        writeDataFile(two.fake, "secret", lines);
        two.fake.dialogs.answerInput(QStringLiteral("secret"));
        newApplication().keepFolderLock(two.lockA);
        two.main = application().openMainWindow();
        QVERIFY(two.main);
        QVERIFY2(two.pair.start(two.folderA(), two.folderB()), qPrintable(two.pair.error()));
        waitUntilBothHold(two, fileOf(lines));
    }
    void importOnB(const TwoComputers &two, const QByteArray &csv, const QString &said) {
        const QString path = m_scratch.filePath(QStringLiteral("import%1.csv").arg(++m_csvFiles));
        writeBytes(path, csv);
        const CliResult result = runCli({QStringLiteral("import"), path, QStringLiteral("--folder"), two.folderB()},
                                        QByteArrayLiteral("secret\n"));
        QCOMPARE(QString::fromUtf8(result.err), QString());
        QCOMPARE(QString::fromUtf8(result.out), said);
        QCOMPARE(result.exitCode, 0);
    }
    void openProgramOnB(TwoComputers &two, ProgramOnB &b) {
        QCOMPARE(b.lock.tryLock().state, DataFolderLock::State::Locked);
        two.fake.dialogs.answerInput(QStringLiteral("secret"));
        QVERIFY(b.session.load());
    }

private slots:
    void initTestCase() {
        if (SyncthingInstance::program().isEmpty())
            QSKIP("syncthing is not installed: tools/install-deps.sh installs Debian's syncthing package");
        QVERIFY(m_scratch.isValid());
    }
    void cleanup() { closeApplication(); }

    void changesInTurnReachBothSides() {
        TwoComputers two;
        STEP(start(two, {Alice, Carol}));

        STEP(
            addThroughEditor(two.main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example")));
        STEP(waitUntilBothHold(two, fileOf({Alice, Carol, Dave})));

        // varnook-cli on B: it would refuse to run if A's folder lock had been synced there.
        STEP(importOnB(two, "Username,Password,URL\nerin,pw-e,shop.example\n",
                       QStringLiteral("Imported 1 entry; the data file now holds 4 entries.\n")));
        STEP(waitUntilBothHold(two, fileOf({Alice, Carol, Dave, Erin})));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(two.main), (QStringList{"alice", "carol", "dave", "erin"}), ShownWithinMs);
        QCOMPARE(two.main->statusText(),
                 QStringLiteral("Reloaded: the data file was changed by another program. Loaded 4 entries"));

        const QByteArray aliceEdited = "alice|||new-a|||mail.example";
        STEP(editThroughEditor(two.main, 1, QStringLiteral("alice"), QStringLiteral("new-a"),
                               QStringLiteral("mail.example")));
        STEP(waitUntilBothHold(two, fileOf({aliceEdited, Carol, Dave, Erin})));

        // The program on B deletes another entry than the one A edited.
        ProgramOnB b(two.folderB());
        STEP(openProgramOnB(two, b));
        QCOMPARE(usernames(b.session.entries()), (QStringList{"alice", "carol", "dave", "erin"}));
        const EntryChange removal{EntryChange::Kind::Delete, b.session.entries().entry(2), {}};
        b.session.entries().remove(2);
        QVERIFY(b.session.save(removal));
        STEP(waitUntilBothHold(two, fileOf({aliceEdited, Dave, Erin})));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(two.main), (QStringList{"alice", "dave", "erin"}), ShownWithinMs);
        QCOMPARE(two.main->entryList()->entries()->entry(1).password, QStringLiteral("new-a"));

        verifyNoConflictCopies(two);
        QCOMPARE(two.fake.dialogs.shown.size(), 2); // the two logins
    }

    void aChangeArrivingJustBeforeASaveIsMerged() {
        // B's save lands in A's folder, and A saves before its program has looked: A's save carries
        // B's entry along, and Syncthing sees a newer file, no conflict.
        TwoComputers two;
        STEP(start(two, {Alice, Carol}));
        ProgramOnB b(two.folderB());
        STEP(openProgramOnB(two, b));
        const Entry dave{QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example")};
        b.session.entries().add(dave);
        QVERIFY(b.session.save(EntryChange{EntryChange::Kind::Add, {}, dave}));

        const QByteArray fromB = fileOf({Alice, Carol, Dave});
        QVERIFY2(waitUntil([&] { return two.fileA() == fromB; }, SyncedWithinMs), syncState(two).constData());
        STEP(
            addThroughEditor(two.main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example")));
        // Which way A got B's entry depends on how fast the test clicked: said, not checked.
        qInfo().noquote() << "A's save:" << two.main->statusText();

        STEP(waitUntilBothHold(two, fileOf({Alice, Carol, Dave, Erin})));
        QCOMPARE(usernames(two.main), (QStringList{"alice", "carol", "dave", "erin"}));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(b.session.entries()), (QStringList{"alice", "carol", "dave", "erin"}),
                                  ShownWithinMs);
        verifyNoConflictCopies(two);
    }

    void changesAtTheSameTimeAreBothKept() {
        // A's program and B's varnook-cli each save before the other's save has reached them.
        // Syncthing keeps the newer file and moves the other aside as a conflict copy, which the
        // program on A offers to merge.
        TwoComputers two;
        STEP(start(two, {Alice, Carol}));
        // Each instance names the copy it makes after the second it found the conflict in: one name,
        // or two when those moments straddle a second, and a copy that arrives before the other
        // computer's file may be offered first and again. Each offer is accepted.
        for (int offer = 0; offer < 3; ++offer)
            two.fake.dialogs.answerMessage(MessageAnswer::Ok);
        STEP(
            addThroughEditor(two.main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("bank.example")));
        STEP(importOnB(two, "Username,Password,URL\nerin,pw-e,shop.example\n",
                       QStringLiteral("Imported 1 entry; the data file now holds 3 entries.\n")));
        QVERIFY2(waitUntil([&] { return settled(two); }, SyncedWithinMs), syncState(two).constData());

        // Nothing of the side that lost may stay in a conflict copy alone.
        const bool merged =
            waitUntil([&] { return two.pair.conflictCopies().isEmpty() && settled(two); }, MergedWithinMs);
        QVERIFY2(merged, unmergedCopies(two).constData());
        QList<QByteArray> held = plainLines(two.fileA());
        QCOMPARE(held.takeFirst(), QByteArray("secret"));
        std::sort(held.begin(), held.end());
        QCOMPARE(held.join(", "), QList<QByteArray>({Alice, Carol, Dave, Erin}).join(", "));
        QStringList shown = usernames(two.main);
        shown.sort();
        QCOMPARE(shown, (QStringList{"alice", "carol", "dave", "erin"}));
        const QList<ShownBox> &boxes = two.fake.dialogs.shown;
        QVERIFY(boxes.size() >= 2); // the login, then the offers
        qInfo() << "Conflict copies offered:" << boxes.size() - 1;
        for (qsizetype box = 1; box < boxes.size(); ++box) {
            QVERIFY2(boxes[box].text.startsWith(QStringLiteral("A sync engine left a conflicting copy")) &&
                         boxes[box].text.contains(QStringLiteral("data.sync-conflict-")),
                     qPrintable(boxes[box].text));
        }
    }
};

QTEST_MAIN(tst_Syncthing)
#include "tst_syncthing.moc"
