// The running program keeps its folder lock fresh, and says in its status line when a copy on
// another computer opened the folder too or took the lock over.

#include "AppTestSupport.h"
#include "DataFolderLock.h"
#include "FileHelpers.h"
#include "LockKeeper.h"

#include <QDir>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

// Short, so that a test sees several refreshes without a long wait.
constexpr int TestPeriodMs = 20;

const QString OpenedOnElsewhere = QStringLiteral(
    "Another copy of Varnook has opened this data folder on elsewhere-host; saves from both are merged.");

QString lockFileOf(const FakePlatform &fake) {
    return QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock"));
}

// What a copy on another computer leaves when it opens the folder anyway.
void leaveMark(const FakePlatform &fake, const QByteArray &host, int pid) {
    writeBytes(QDir(fake.programFolder()).filePath(QStringLiteral("data.enc.lock.%1.%2").arg(host).arg(pid)),
               QByteArray::number(pid) + "\nvarnook\n" + host + '\n');
}

// Waits until the keeper has refreshed the lock once more: every look before it is done.
bool anotherRefreshRan(const QString &lockFile) {
    return setModified(lockFile, QDateTime::currentDateTime().addSecs(-3600)) &&
           QTest::qWaitFor([&] { return secondsSinceModified(lockFile) < 60; }, 5000);
}

} // namespace

class tst_LockKeeper : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeApplication(); }

    void liveCopyRefreshesItsLock() {
        FakePlatform fake;
        DataFolderLock lock(fake.programFolder());
        QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
        const QString lockFile = lockFileOf(fake);
        QVERIFY(setModified(lockFile, QDateTime::currentDateTime().addSecs(-3600)));
        LockKeeper keeper(lock, TestPeriodMs);
        keeper.start();
        QVERIFY(qAbs(secondsSinceModified(lockFile)) < 10); // at once
        QVERIFY(anotherRefreshRan(lockFile));               // and as time goes by
        QVERIFY(anotherRefreshRan(lockFile));
    }

    void firstCopyIsToldOnceOfASecondCopy() {
        FakePlatform fake;
        DataFolderLock lock(fake.programFolder());
        QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
        MainWindow *main = openMainWindow(fake, {"alice|||pw-a|||mail.example"});
        QVERIFY(main);
        application().keepFolderLock(lock, TestPeriodMs);
        const QString loaded = main->statusText();

        leaveMark(fake, "elsewhere-host", 4242);
        QTRY_COMPARE_WITH_TIMEOUT(main->statusText(), OpenedOnElsewhere, 5000);
        main->showStatus(loaded);
        QVERIFY(anotherRefreshRan(lockFileOf(fake)));
        QCOMPARE(main->statusText(), loaded);

        // And a copy that took the lock over while this computer slept: its lock is not touched here.
        writeBytes(lockFileOf(fake), "1\nvarnook\nelsewhere-host\n");
        QVERIFY(setModified(lockFileOf(fake), QDateTime::currentDateTime().addSecs(-3600)));
        QTRY_COMPARE_WITH_TIMEOUT(main->statusText(),
                                  QStringLiteral("Another copy of Varnook, on elsewhere-host, has taken over this data "
                                                 "folder's lock; saves from both are merged."),
                                  5000);
        QVERIFY(secondsSinceModified(lockFileOf(fake)) > 3000);
        QCOMPARE(fake.dialogs.shown.size(), 1); // the login only
    }

    void copyThereBeforeTheWindowIsToldOnceItShows() {
        // Found under the login box, where there is no status line yet.
        FakePlatform fake;
        DataFolderLock lock(fake.programFolder());
        QCOMPARE(lock.tryLock().state, DataFolderLock::State::Locked);
        leaveMark(fake, "elsewhere-host", 4242);
        writeDataFile(fake, "secret", {"alice|||pw-a|||mail.example"});
        fake.dialogs.answerInput(QStringLiteral("secret"));
        Application &program = newApplication();
        program.keepFolderLock(lock, 60000);
        MainWindow *main = program.openMainWindow();
        QVERIFY(main);
        QCOMPARE(main->statusText(), OpenedOnElsewhere);
    }
};

QTEST_MAIN(tst_LockKeeper)
#include "tst_lockkeeper.moc"
