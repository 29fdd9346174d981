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

enum class Folder { Free, HeldByAnotherCopy, Gone, LeftByAnotherComputer };

QString shown(const QString &folder) {
    return QDir::toNativeSeparators(folder);
}

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
    QTest::addColumn<bool>("locked");
    QTest::addColumn<MessageIcon>("icon");
    // The text with the folder as "@"; empty when no box may show.
    QTest::addColumn<QString>("text");
    QTest::newRow("free") << Folder::Free << true << MessageIcon::None << QString();
    QTest::newRow("held by another copy")
        << Folder::HeldByAnotherCopy << false << MessageIcon::Warning
        << QStringLiteral("Varnook is already running with the data file in this folder:\n@\n\nOnly one copy at a "
                          "time may use it, so this one will now close.");
    QTest::newRow("gone") << Folder::Gone << false << MessageIcon::Critical
                          << QStringLiteral("Varnook cannot lock the data file's folder, so it could not keep a "
                                            "second copy from overwriting its saves:\n@\n\nThe folder does not "
                                            "exist.\n\nVarnook will now close.");
    QTest::newRow("lock left by another computer")
        << Folder::LeftByAnotherComputer << true << MessageIcon::Warning
        << QStringLiteral("The lock of this data folder was left behind, and Varnook has taken it over, since its "
                          "lock file was made on another computer (elsewhere-host):\n@\n\nIf another copy is still "
                          "using this folder, close one of the two now: their saves would overwrite each other.");
}

void tst_FolderLockBox::lockAndItsBox() {
    QFETCH(Folder, folder);
    QFETCH(bool, locked);
    QFETCH(MessageIcon, icon);
    QFETCH(QString, text);
    FakePlatform fake;
    QString path = fake.programFolder();
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
    case Folder::LeftByAnotherComputer: {
        const QString lockFile = QDir(path).filePath(QStringLiteral("data.enc.lock"));
        writeBytes(lockFile, "1\nvarnook\nelsewhere-host\n");
        QFile file(lockFile);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        break;
    }
    }
    if (!text.isEmpty())
        fake.dialogs.answerMessage(MessageAnswer::Ok);

    DataFolderLock lock(path);
    QCOMPARE(lockFolderOrTell(lock), locked);
    if (text.isEmpty()) {
        QVERIFY(fake.dialogs.shown.isEmpty());
        return;
    }
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox &box = fake.dialogs.shown[0];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, icon);
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
