#include "DataFolderLock.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "FolderLockBox.h"
#include "SaveTemporaries.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace varnook;
using namespace varnook::test;

namespace {

enum class Folder { Free, HeldByAnotherCopy, Gone, LeftByAnotherComputer, UsedOnAnotherComputer };

QString shown(const QString &folder) {
    return QDir::toNativeSeparators(folder);
}

const QByteArray OtherComputersLock = "1\nvarnook\nelsewhere-host\n";

} // namespace

Q_DECLARE_METATYPE(Folder)

class tst_FolderLockBox : public QObject {
    Q_OBJECT

private slots:
    void lockAndItsBox_data();
    void lockAndItsBox();
    void startClearsKilledSavesAndKeepsBackups();
};

void tst_FolderLockBox::lockAndItsBox_data() {
    QTest::addColumn<Folder>("folder");
    QTest::addColumn<MessageAnswer>("answer");
    QTest::addColumn<bool>("locked");
    QTest::addColumn<MessageIcon>("icon");
    QTest::addColumn<MessageButtons>("buttons");
    // The text with the folder as "@"; empty when no box may show.
    QTest::addColumn<QString>("text");
    QTest::newRow("free") << Folder::Free << MessageAnswer::Ok << true << MessageIcon::None << MessageButtons::Ok
                          << QString();
    QTest::newRow("held by another copy")
        << Folder::HeldByAnotherCopy << MessageAnswer::Ok << false << MessageIcon::Warning << MessageButtons::Ok
        << QStringLiteral("Varnook is already running with the data file in this folder:\n@\n\nOnly one copy at a "
                          "time may use it, so this one will now close.");
    QTest::newRow("gone") << Folder::Gone << MessageAnswer::Ok << false << MessageIcon::Critical << MessageButtons::Ok
                          << QStringLiteral("Varnook cannot lock the data file's folder, so it could not keep a "
                                            "second copy from overwriting its saves:\n@\n\nThe folder does not "
                                            "exist.\n\nVarnook will now close.");
    QTest::newRow("lock left by another computer")
        << Folder::LeftByAnotherComputer << MessageAnswer::Ok << true << MessageIcon::Warning << MessageButtons::Ok
        << QStringLiteral("The lock of this data folder was left behind, and Varnook has taken it over, since its "
                          "lock file was made on another computer (elsewhere-host) and has not been refreshed for "
                          "over 60 seconds:\n@\n\nIf another copy is still using this folder, both can go on: each "
                          "shows what the other saves, and merges its own saves with it.");
    const QString usedElsewhere =
        QStringLiteral("A copy of Varnook on another computer (elsewhere-host) is using the data file in this folder; "
                       "it refreshed its lock less than 60 seconds ago:\n@\n\nOpen the folder here as well? Both "
                       "copies then merge each save with what the other saved, and the copy on elsewhere-host says "
                       "in its status line that this one opened the folder.\n\nCancel closes Varnook here.");
    QTest::newRow("used on another computer, opened anyway")
        << Folder::UsedOnAnotherComputer << MessageAnswer::Ok << true << MessageIcon::Warning
        << MessageButtons::OkCancel << usedElsewhere;
    QTest::newRow("used on another computer, not opened")
        << Folder::UsedOnAnotherComputer << MessageAnswer::Cancel << false << MessageIcon::Warning
        << MessageButtons::OkCancel << usedElsewhere;
}

void tst_FolderLockBox::lockAndItsBox() {
    QFETCH(Folder, folder);
    QFETCH(MessageAnswer, answer);
    QFETCH(bool, locked);
    QFETCH(MessageIcon, icon);
    QFETCH(MessageButtons, buttons);
    QFETCH(QString, text);
    FakePlatform fake;
    QString path = fake.programFolder();
    const QString lockFile = QDir(path).filePath(QStringLiteral("data.enc.lock"));
    std::unique_ptr<DataFolderLock> other;
    switch (folder) {
    case Folder::Free:
        break;
    case Folder::HeldByAnotherCopy:
        other = std::make_unique<DataFolderLock>(path);
        QCOMPARE(other->tryLock().state, DataFolderLock::State::Locked);
        break;
    case Folder::Gone:
        path = QDir(path).filePath(QStringLiteral("gone"));
        break;
    case Folder::LeftByAnotherComputer:
        writeBytes(lockFile, OtherComputersLock);
        QVERIFY(setModified(lockFile, QDateTime::currentDateTime().addDays(-2)));
        break;
    case Folder::UsedOnAnotherComputer:
        // Refreshed a moment ago.
        writeBytes(lockFile, OtherComputersLock);
        break;
    }
    if (!text.isEmpty())
        fake.dialogs.answerMessage(answer);

    {
        DataFolderLock lock(path);
        QCOMPARE(lockFolderOrTell(lock), locked);
        if (folder == Folder::UsedOnAnotherComputer) {
            // Opened anyway, it leaves a mark beside the other copy's lock, which it never touches.
            const QStringList marks = QDir(path).entryList({QStringLiteral("data.enc.lock.*")}, QDir::Files);
            QCOMPARE(marks.size(), locked ? 1 : 0);
            QCOMPARE(readBytes(lockFile), OtherComputersLock);
        }
    }
    if (folder == Folder::UsedOnAnotherComputer)
        QCOMPARE(folderEntries(path), QStringList{QStringLiteral("data.enc.lock")});
    if (text.isEmpty()) {
        QVERIFY(fake.dialogs.shown.isEmpty());
        return;
    }
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox &box = fake.dialogs.shown[0];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.buttons, buttons);
    QCOMPARE(box.icon, icon);
    // Two copies at once must be chosen, never the Enter key's.
    QCOMPARE(box.defaultButton, buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel : MessageAnswer::Ok);
    QCOMPARE(box.text, text.replace(QLatin1Char('@'), shown(path)));
}

void tst_FolderLockBox::startClearsKilledSavesAndKeepsBackups() {
    FakePlatform fake;
    const QDir folder(fake.programFolder());
    const qint64 ended = endedProcessId();
    QVERIFY(ended > 0);
    const QString leftover = SaveTemporaries::stagingPath(fake.dataFile(), ended) + QStringLiteral(".Qw3rTy");
    const QStringList backups{QStringLiteral("data.enc.2024Q1"), QStringLiteral("data.enc.backup"),
                              QStringLiteral("data.enc.before")};
    for (const QString &name : backups + QStringList{QFileInfo(leftover).fileName()}) {
        writeBytes(folder.filePath(name), "every password");
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-1), QFileDevice::FileModificationTime));
    }
    DataFolderLock lock(fake.programFolder());
    QVERIFY(lockFolderOrTell(lock));
    QVERIFY(fake.dialogs.shown.isEmpty());
    QCOMPARE(folderEntries(fake.programFolder()), backups + QStringList{QStringLiteral("data.enc.lock")});
}

QTEST_GUILESS_MAIN(tst_FolderLockBox)
#include "tst_folderlockbox.moc"
