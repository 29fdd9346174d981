#include "DataFolderLock.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "SaveTemporaries.h"
#include "SmallDisk.h"

#include <QDateTime>
#include <QDir>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

class tst_DataFolderLock : public QObject {
    Q_OBJECT

private slots:
    void firstCopyLocks();
    void secondCopyIsRefused();
    void freedAfterTheFirstCopyEnds();
    void lockOfADeadCopyIsTakenOver();
    void lockOfALiveProcessIsRespectedUntilItEnds();
    void lockThatCannotBeMadeIsReported_data();
    void lockThatCannotBeMadeIsReported();
    void lockWithoutALiveOwnerIsTakenOver_data();
    void lockWithoutALiveOwnerIsTakenOver();
    void emptyLockBeingWrittenIsRespected();
    void leftoverTemporaryCopiesAreRemoved();
    void lockOfAnotherComputerCountsWhileRefreshed_data();
    void lockOfAnotherComputerCountsWhileRefreshed();
    void copyOpenedAlongsideKeepsAMarkFresh();
    void holderIsToldOfEachMarkOnce();
};

namespace {

// A lock file as a copy on another computer writes it, in QLockFile's lines: process, program, computer.
const QByteArray OtherComputersLock = "1\nvarnook\nelsewhere-host\n";

QString lockFileIn(const QString &folder) {
    return QDir(folder).filePath(QStringLiteral("data.enc.lock"));
}

} // namespace

void tst_DataFolderLock::firstCopyLocks() {
    FakePlatform fake;
    DataFolderLock lock(fake.programFolder());
    QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
    QCOMPARE(lock.lockFilePath(), QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock")));
    QVERIFY(QFileInfo::exists(lock.lockFilePath()));
    QCOMPARE(accessRights(lock.lockFilePath()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    // Asking again changes nothing.
    const DataFolderLock::Result again = lock.tryLock();
    QCOMPARE(again.state, DataFolderLock::State::Locked);
    QVERIFY(again.takenOverBecause.isEmpty());
    QVERIFY(again.failureReason.isEmpty());
}

void tst_DataFolderLock::secondCopyIsRefused() {
    FakePlatform fake;
    DataFolderLock first(fake.programFolder());
    QCOMPARE(first.tryLock().state, DataFolderLock::State::Locked);
    DataFolderLock second(fake.programFolder());
    const DataFolderLock::Result result = second.tryLock();
    QCOMPARE(result.state, DataFolderLock::State::HeldElsewhere);
    QVERIFY(result.takenOverBecause.isEmpty());
    // The first copy keeps its lock.
    QCOMPARE(first.tryLock().state, DataFolderLock::State::Locked);
}

void tst_DataFolderLock::freedAfterTheFirstCopyEnds() {
    FakePlatform fake;
    {
        DataFolderLock first(fake.programFolder());
        QCOMPARE(first.tryLock().state, DataFolderLock::State::Locked);
    }
    QVERIFY(!QFileInfo::exists(QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock"))));
    DataFolderLock second(fake.programFolder());
    QCOMPARE(second.tryLock().state, DataFolderLock::State::Locked);
}

void tst_DataFolderLock::lockOfADeadCopyIsTakenOver() {
    FakePlatform fake;
    // A process that has ended leaves its number behind, as a copy that crashed would.
    QProcess process;
    qint64 deadPid = 0;
    connect(&process, &QProcess::started, this, [&] { deadPid = process.processId(); });
    process.start(QStringLiteral("/bin/true"), {});
    QVERIFY(process.waitForFinished());
    QVERIFY(deadPid > 0);
    const QString lockFile = QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock"));
    writeBytes(lockFile, QByteArray::number(deadPid) + '\n' + QCoreApplication::applicationName().toUtf8() + '\n' +
                             QSysInfo::machineHostName().toUtf8() + '\n');

    DataFolderLock lock(fake.programFolder());
    const DataFolderLock::Result result = lock.tryLock();
    QCOMPARE(result.state, DataFolderLock::State::Locked);
    QVERIFY(readBytes(lockFile).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
    // The lock of a copy that ended is QLockFile's to take: nothing to tell the user.
    QVERIFY(result.takenOverBecause.isEmpty());
}

void tst_DataFolderLock::lockOfALiveProcessIsRespectedUntilItEnds() {
    FakePlatform fake;
    QProcess process;
    process.start(QStringLiteral("/bin/sleep"), {QStringLiteral("60")});
    QVERIFY(process.waitForStarted());
    const QString lockFile = QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock"));
    writeBytes(lockFile,
               QByteArray::number(process.processId()) + "\nsleep\n" + QSysInfo::machineHostName().toUtf8() + '\n');

    DataFolderLock lock(fake.programFolder());
    QCOMPARE(lock.tryLock().state, DataFolderLock::State::HeldElsewhere);
    process.kill();
    QVERIFY(process.waitForFinished());
    QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
}

void tst_DataFolderLock::lockThatCannotBeMadeIsReported_data() {
    QTest::addColumn<bool>("fullDisk");
    QTest::addColumn<QString>("reason");
    QTest::newRow("folder gone") << false << QStringLiteral("The folder does not exist.");
    QTest::newRow("full disk") << true << QStringLiteral("No space left on device");
}

void tst_DataFolderLock::lockThatCannotBeMadeIsReported() {
    // Running without the lock would let a second copy overwrite this one's saves.
    QFETCH(bool, fullDisk);
    QFETCH(QString, reason);
    FakePlatform fake;
    QString folder = QDir(fake.programFolder()).filePath(QStringLiteral("gone"));
    std::unique_ptr<SmallDisk> disk;
    if (fullDisk) {
        folder = fake.programFolder();
        disk = std::make_unique<SmallDisk>(folder, 16);
        if (!disk->mounted())
            QSKIP(qPrintable(disk->reason()));
        QVERIFY(disk->fill(QStringLiteral("filler")));
    }
    DataFolderLock lock(folder);
    const DataFolderLock::Result result = lock.tryLock();
    QCOMPARE(result.state, DataFolderLock::State::Unavailable);
    QCOMPARE(result.failureReason, reason);
}

void tst_DataFolderLock::lockWithoutALiveOwnerIsTakenOver_data() {
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QString>("because");
    const QString unreadable = QStringLiteral("its lock file could not be read (it is empty or damaged)");
    QTest::newRow("empty") << QByteArray() << unreadable;
    QTest::newRow("damaged") << QByteArray("\x01\x02garbage") << unreadable;
    QTest::newRow("another computer") << QByteArray("1\nvarnook\nelsewhere-host\n")
                                      << QStringLiteral("its lock file was made on another computer (elsewhere-host) "
                                                        "and has not been refreshed for over 60 seconds");
}

void tst_DataFolderLock::lockWithoutALiveOwnerIsTakenOver() {
    QFETCH(QByteArray, contents);
    QFETCH(QString, because);
    FakePlatform fake;
    const QString lockFile = QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock"));
    writeBytes(lockFile, contents);
    // Left two days ago.
    QFile file(lockFile);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    file.close();

    DataFolderLock lock(fake.programFolder());
    const DataFolderLock::Result result = lock.tryLock();
    QCOMPARE(result.state, DataFolderLock::State::Locked);
    QCOMPARE(result.takenOverBecause, because);
    QVERIFY(readBytes(lockFile).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
}

void tst_DataFolderLock::emptyLockBeingWrittenIsRespected() {
    // A copy that is starting has made its lock file and not yet written it.
    FakePlatform fake;
    writeBytes(QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock")), QByteArray());
    DataFolderLock lock(fake.programFolder());
    QCOMPARE(lock.tryLock().state, DataFolderLock::State::HeldElsewhere);
}

void tst_DataFolderLock::leftoverTemporaryCopiesAreRemoved() {
    FakePlatform fake;
    const QDir folder(fake.programFolder());
    const auto make = [&](const QString &name, qint64 secondsFromNow) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("secret") == 6 && file.flush());
        QVERIFY(
            file.setFileTime(QDateTime::currentDateTime().addSecs(secondsFromNow), QFileDevice::FileModificationTime));
    };
    const QString dataFile = folder.filePath(QStringLiteral("data.enc"));
    const auto leftoverOf = [&](qint64 processId, const char *suffix = "") {
        return QFileInfo(SaveTemporaries::stagingPath(dataFile, processId)).fileName() + QLatin1String(suffix);
    };
    const qint64 ended = endedProcessId();
    QVERIFY(ended > 0);
    // The user's own copies, made long ago: whatever their names, they stay.
    for (const char *name : {"data.enc.backup", "data.enc.2024Q1", "data.enc.before", "data.enc.a1B2c3"})
        make(QString::fromLatin1(name), -3600);
    make(leftoverOf(ended, ".a1B2c3"), -3600); // a save killed an hour ago, while writing
    make(leftoverOf(ended), -3600);            // and one killed between its two renames
    make(leftoverOf(1, ".Zz9zZz"), -3600);     // a process that still runs
    make(leftoverOf(ended, ".q1w2e3"), 3600);  // newer than the lock: a running save's
    make(QStringLiteral(".notes.txt.varnook-save-%1.a1B2c3").arg(ended), -3600); // another file's
    DataFolderLock lock(fake.programFolder());
    QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
    QStringList expected{QStringLiteral(".notes.txt.varnook-save-%1.a1B2c3").arg(ended),
                         leftoverOf(1, ".Zz9zZz"),
                         leftoverOf(ended, ".q1w2e3"),
                         QStringLiteral("data.enc.2024Q1"),
                         QStringLiteral("data.enc.a1B2c3"),
                         QStringLiteral("data.enc.backup"),
                         QStringLiteral("data.enc.before"),
                         QStringLiteral("data.enc.lock")};
    expected.sort();
    QStringList left = folderEntries(fake.programFolder());
    left.sort();
    QCOMPARE(left, expected);
}

void tst_DataFolderLock::lockOfAnotherComputerCountsWhileRefreshed_data() {
    // Seconds since the other copy last refreshed its lock.
    QTest::addColumn<qint64>("age");
    QTest::addColumn<bool>("takenOver");
    QTest::newRow("just refreshed") << qint64(0) << false;
    QTest::newRow("a few refreshes missed") << qint64(DataFolderLock::StaleAfterSeconds - 10) << false;
    QTest::newRow("its clock ahead of ours") << qint64(-600) << false;
    QTest::newRow("not refreshed for the staleness period") << qint64(DataFolderLock::StaleAfterSeconds + 10) << true;
}

void tst_DataFolderLock::lockOfAnotherComputerCountsWhileRefreshed() {
    QFETCH(qint64, age);
    QFETCH(bool, takenOver);
    FakePlatform fake;
    const QString lockFile = lockFileIn(fake.programFolder());
    writeBytes(lockFile, OtherComputersLock);
    QVERIFY(setModified(lockFile, QDateTime::currentDateTime().addSecs(-age)));
    DataFolderLock lock(fake.programFolder());
    const DataFolderLock::Result result = lock.tryLock();
    QCOMPARE(result.state, takenOver ? DataFolderLock::State::Locked : DataFolderLock::State::HeldOnAnotherComputer);
    QCOMPARE(result.otherHost, takenOver ? QString() : QStringLiteral("elsewhere-host"));
    QCOMPARE(readBytes(lockFile) == OtherComputersLock, !takenOver);
}

void tst_DataFolderLock::copyOpenedAlongsideKeepsAMarkFresh() {
    FakePlatform fake;
    const QString lockFile = lockFileIn(fake.programFolder());
    writeBytes(lockFile, OtherComputersLock);
    const QString pid = QString::number(QCoreApplication::applicationPid());
    const QString markFile = lockFile + QLatin1Char('.') + QSysInfo::machineHostName() + QLatin1Char('.') + pid;
    {
        DataFolderLock lock(fake.programFolder());
        QCOMPARE(lock.tryLock().state, DataFolderLock::State::HeldOnAnotherComputer);
        QCOMPARE(lock.openAlongside().state, DataFolderLock::State::Alongside);
        QCOMPARE(readBytes(markFile), pid.toUtf8() + '\n' + QCoreApplication::applicationName().toUtf8() + '\n' +
                                          QSysInfo::machineHostName().toUtf8() + '\n');
        QCOMPARE(accessRights(markFile), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        // The mark is refreshed, the other copy's lock never touched.
        QVERIFY(setModified(markFile, QDateTime::currentDateTime().addSecs(-3600)));
        QVERIFY(setModified(lockFile, QDateTime::currentDateTime().addSecs(-30)));
        lock.refresh();
        QVERIFY(qAbs(secondsSinceModified(markFile)) < 10);
        QVERIFY(secondsSinceModified(lockFile) >= 29);
    }
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc.lock")});
}

void tst_DataFolderLock::holderIsToldOfEachMarkOnce() {
    FakePlatform fake;
    const QDir folder(fake.programFolder());
    DataFolderLock lock(fake.programFolder());
    QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
    // A live copy's mark, one whose copy ended without removing it, and a file of that name that is no mark.
    writeBytes(folder.filePath(QStringLiteral("data.enc.lock.elsewhere-host.42")), "42\nvarnook\nelsewhere-host\n");
    writeBytes(folder.filePath(QStringLiteral("data.enc.lock.ended-host.77")), "77\nvarnook\nended-host\n");
    QVERIFY(setModified(folder.filePath(QStringLiteral("data.enc.lock.ended-host.77")),
                        QDateTime::currentDateTime().addSecs(-DataFolderLock::StaleAfterSeconds - 10)));
    writeBytes(folder.filePath(QStringLiteral("data.enc.lock.Ab12Cd")), "0\n");
    QCOMPARE(lock.refresh().openedAlongside, QStringList{QStringLiteral("elsewhere-host")});
    QCOMPARE(lock.refresh().openedAlongside, QStringList());
    QCOMPARE(folderEntries(fake.programFolder()),
             (QStringList{QStringLiteral("data.enc.lock"), QStringLiteral("data.enc.lock.Ab12Cd"),
                          QStringLiteral("data.enc.lock.elsewhere-host.42")}));
}

QTEST_GUILESS_MAIN(tst_DataFolderLock)
#include "tst_datafolderlock.moc"
