#include "DataFolderLock.h"
#include "FakePlatform.h"
#include "FileHelpers.h"

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
    void secondCopyIsToldAndStops();
    void freedAfterTheFirstCopyEnds();
    void lockOfADeadCopyIsTakenOver();
    void lockOfALiveProcessIsRespectedUntilItEnds();
    void folderWithoutLockRightsDoesNotStopTheProgram();
};

void tst_DataFolderLock::firstCopyLocks() {
    FakePlatform fake;
    DataFolderLock lock(fake.programFolder());
    QCOMPARE(lock.tryLock(), DataFolderLock::State::Locked);
    QCOMPARE(lock.lockFilePath(), QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock")));
    QVERIFY(QFileInfo::exists(lock.lockFilePath()));
    // Asking again changes nothing.
    QVERIFY(lock.lockOrTell());
    QVERIFY(fake.dialogs.shown.isEmpty());
}

void tst_DataFolderLock::secondCopyIsToldAndStops() {
    FakePlatform fake;
    DataFolderLock first(fake.programFolder());
    QVERIFY(first.lockOrTell());
    DataFolderLock second(fake.programFolder());
    QCOMPARE(second.tryLock(), DataFolderLock::State::HeldElsewhere);
    QVERIFY(!second.lockOrTell());
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox &box = fake.dialogs.shown[0];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.text, QStringLiteral("Varnook is already running with the data file in this folder:\n") +
                           QDir::toNativeSeparators(fake.programFolder()) +
                           QStringLiteral("\n\nOnly one copy at a time may use it, so this one will now close."));
}

void tst_DataFolderLock::freedAfterTheFirstCopyEnds() {
    FakePlatform fake;
    {
        DataFolderLock first(fake.programFolder());
        QVERIFY(first.lockOrTell());
    }
    QVERIFY(!QFileInfo::exists(QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock"))));
    DataFolderLock second(fake.programFolder());
    QCOMPARE(second.tryLock(), DataFolderLock::State::Locked);
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
    QCOMPARE(lock.tryLock(), DataFolderLock::State::Locked);
    QVERIFY(readBytes(lockFile).startsWith(QByteArray::number(QCoreApplication::applicationPid()) + '\n'));
    QVERIFY(fake.dialogs.shown.isEmpty());
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
    QCOMPARE(lock.tryLock(), DataFolderLock::State::HeldElsewhere);
    process.kill();
    QVERIFY(process.waitForFinished());
    QCOMPARE(lock.tryLock(), DataFolderLock::State::Locked);
}

void tst_DataFolderLock::folderWithoutLockRightsDoesNotStopTheProgram() {
    // No lock can be made in a folder that is gone (or read-only); saving reports its own failures.
    QTemporaryDir scratch;
    FakePlatform fake;
    DataFolderLock lock(QDir(scratch.path()).filePath(QStringLiteral("gone")));
    QCOMPARE(lock.tryLock(), DataFolderLock::State::Unavailable);
    QVERIFY(lock.lockOrTell());
    QVERIFY(fake.dialogs.shown.isEmpty());
}

QTEST_GUILESS_MAIN(tst_DataFolderLock)
#include "tst_datafolderlock.moc"
