#include "DataFile.h"
#include "DataFileFormat.h"
#include "EntryTableModel.h"
#include "FailingSaveFile.h"
#include "FakePlatform.h"
#include "FileHelpers.h"
#include "MainWindow.h"
#include "Messages.h"
#include "SabotagedSaveFile.h"
#include "Session.h"
#include "SmallDisk.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

const Entry Bob{QStringLiteral("bob"), QStringLiteral("pw1"), QStringLiteral("x.org")};
const Entry Alice{QStringLiteral("alice"), QStringLiteral("s3cret"), QStringLiteral("mail.example")};
const Entry Carol{QStringLiteral("carol"), QStringLiteral("p"), QString()};
const QByteArray PasswordLine = hexBytes("F0 E1 F3 F3 0D 0A");
const QByteArray BobLine = hexBytes("E2 EF E2 FC FC FC F0 F7 B1 FC FC FC F8 AE EF F2 E7 0D 0A");
const QByteArray AliceLine =
    hexBytes("E1 EC E9 E3 E5 FC FC FC F3 B3 E3 F2 E5 F4 FC FC FC ED E1 E9 EC AE E5 F8 E1 ED F0 EC E5 0D 0A");
const QByteArray CarolLine = hexBytes("E3 E1 F2 EF EC FC FC FC F0 FC FC FC 0D 0A");
const QByteArray SavedBob = PasswordLine + BobLine + "\r\n";

QString savedStatus() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return QStringLiteral("Saved ") + locale.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(now.time(), QLocale::LongFormat);
}

// A session and the main window that shows it, not loaded: the load step's other work has no part
// in these tests.
struct RecordedSession {
    EntryTableModel &list() { return session.entries(); }
    QString status() const { return window.statusText(); }
    bool load() { return session.load(); }
    bool save() { return session.save(); }

    Session session{Session::inDataFolder()};
    MainWindow window{session, Branding::fromVersion(VersionRecord::builtIn()), nullptr};
};

// Logs in to a file holding SavedBob.
void loginToBob(FakePlatform &fake, RecordedSession &window) {
    writeBytes(fake.dataFile(), SavedBob);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    QVERIFY(window.load());
    fake.dialogs.shown.clear();
}

} // namespace

class tst_DataFileApp : public QObject {
    Q_OBJECT

private slots:
    void firstStartCreatesThePassword();
    void loginFillsTheList();
    void refusedLoginEndsTheProgram();
    void cancelledCreationEndsTheProgram();
    void unreadableFileEndsTheProgram();

    void saveWritesTheListInDisplayOrder();
    void saveOfAnEmptyList();
    void saveAfterASort();
    void saveLeavesTheMasterPasswordAlone();
    void failedSave_data();
    void failedSave();
    void failedSaveIntoAReadOnlyFolder();
    void failedSaveAtEachStep_data();
    void failedSaveAtEachStep();
    void failedSaveOnAFullDisk();
    void loadThenSaveGivesTheSameBytes_data();
    void loadThenSaveGivesTheSameBytes();
};

void tst_DataFileApp::firstStartCreatesThePassword() {
    FakePlatform fake;
    RecordedSession window;
    fake.dialogs.answerInput(QStringLiteral("pass"));
    QVERIFY(window.load());
    QCOMPARE(window.status(), QStringLiteral("Password created successfully"));
    QCOMPARE(window.list().count(), 0);
    QCOMPARE(window.session.masterPassword(), QStringLiteral("pass"));
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine);
    QCOMPARE(fake.process.endCount, 0);
}

void tst_DataFileApp::loginFillsTheList() {
    FakePlatform fake;
    RecordedSession window;
    writeBytes(fake.dataFile(), PasswordLine + BobLine + AliceLine + "\r\n");
    fake.dialogs.onShow = [&](const ShownBox &) {
        QCOMPARE(window.list().count(), 0);
    };
    fake.dialogs.answerInput(QStringLiteral("pass"));
    QVERIFY(window.load());
    QCOMPARE(window.status(), QStringLiteral("Loaded 2 entries"));
    QCOMPARE(window.list().count(), 2);
    QCOMPARE(window.list().entry(1), Bob);
    QCOMPARE(window.list().entry(2), Alice);
    QCOMPARE(fake.process.endCount, 0);
}

void tst_DataFileApp::refusedLoginEndsTheProgram() {
    FakePlatform fake;
    RecordedSession window;
    writeBytes(fake.dataFile(), SavedBob);
    for (int i = 0; i < 3; ++i) {
        fake.dialogs.answerInput(QStringLiteral("wrong"));
        fake.dialogs.answerMessage(MessageAnswer::Retry);
    }
    fake.dialogs.answerMessage(MessageAnswer::Ok);
    QVERIFY(!window.load());
    QCOMPARE(fake.process.endCount, 1);
    QCOMPARE(fake.process.lastExitCode, 1);
    QCOMPARE(fake.dialogs.shown.size(), 7);
    QCOMPARE(fake.dialogs.shown.last().text, QStringLiteral("Only 3 tries allowed.  Click Ok to close."));
    QCOMPARE(window.list().count(), 0);
    QCOMPARE(window.status(), QString());
    QCOMPARE(readBytes(fake.dataFile()), SavedBob);
}

void tst_DataFileApp::cancelledCreationEndsTheProgram() {
    FakePlatform fake;
    RecordedSession window;
    fake.dialogs.answerInput(QStringLiteral("abc"));
    fake.dialogs.answerMessage(MessageAnswer::Cancel);
    QVERIFY(!window.load());
    QCOMPARE(fake.process.endCount, 1);
    QCOMPARE(fake.process.lastExitCode, 1);
    QCOMPARE(window.status(), QString());
    QCOMPARE(readBytes(fake.dataFile()), QByteArray("\r\n"));
}

void tst_DataFileApp::unreadableFileEndsTheProgram() {
    FakePlatform fake;
    RecordedSession window;
    QVERIFY(QDir().mkdir(fake.dataFile()));
    fake.dialogs.answerMessage(MessageAnswer::Ok); // the box that says why
    QVERIFY(!window.load());
    QCOMPARE(fake.process.endCount, 1);
    QCOMPARE(fake.process.lastExitCode, 1);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QVERIFY(fake.dialogs.shown[0].text.contains(QDir::toNativeSeparators(fake.dataFile())));
    QVERIFY(fake.dialogs.shown[0].text.contains(QStringLiteral("It is a folder, not a file.")));
    QCOMPARE(window.status(), QString());
    QVERIFY(QFileInfo(fake.dataFile()).isDir());
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFileApp::saveWritesTheListInDisplayOrder() {
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    window.list().add(Alice);
    window.list().add(Carol);
    const QString before = savedStatus();
    QVERIFY(window.save());
    const QString after = savedStatus();
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine + BobLine + AliceLine + CarolLine + "\r\n");
    QVERIFY2(window.status() == before || window.status() == after, qPrintable(window.status()));
    QVERIFY(fake.dialogs.shown.isEmpty());
}

void tst_DataFileApp::saveOfAnEmptyList() {
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    window.list().remove(1);
    QVERIFY(window.save());
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine + "\r\n");
    QVERIFY(window.status().startsWith(QStringLiteral("Saved ")));
}

void tst_DataFileApp::saveAfterASort() {
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    window.list().add(Carol);
    window.list().add(Alice);
    QVERIFY(window.list().toggleSort(1)); // the first click sorts ascending
    QVERIFY(window.save());
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine + AliceLine + BobLine + CarolLine + "\r\n");

    // The next start shows them in that order.
    RecordedSession next;
    fake.dialogs.answerInput(QStringLiteral("pass"));
    QVERIFY(next.load());
    QCOMPARE(next.list().entry(1), Alice);
    QCOMPARE(next.list().entry(2), Bob);
    QCOMPARE(next.list().entry(3), Carol);
}

void tst_DataFileApp::saveLeavesTheMasterPasswordAlone() {
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    QVERIFY(window.save());
    QVERIFY(window.save());
    QCOMPARE(window.session.masterPassword(), QStringLiteral("pass"));
    QCOMPARE(readBytes(fake.dataFile()), SavedBob);
}

void tst_DataFileApp::failedSave_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a folder in the file's place")
        << QStringLiteral("folder") << QStringLiteral("It is a folder, not a file.");
    QTest::newRow("the disk fills up part-way")
        << QStringLiteral("device") << QStringLiteral("No space left on device");
}

void tst_DataFileApp::failedSave() {
    QFETCH(QString, how);
    QFETCH(QString, reason);
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    window.window.showStatus(QStringLiteral("Loaded 1 entries"));
    window.list().add(Alice);

    const QString inside = QDir(fake.dataFile()).filePath(QStringLiteral("inside"));
    if (how == QStringLiteral("folder")) {
        QVERIFY(QFile::remove(fake.dataFile()));
        QVERIFY(QDir().mkdir(fake.dataFile()));
        writeBytes(inside, SavedBob);
    } else {
        DataFile::setSaveFileFactory([](const QString &path) { return std::make_unique<FailingSaveFile>(path, 20); });
    }

    fake.dialogs.answerMessage(MessageAnswer::Ok); // the box that says why
    QVERIFY(!window.save());
    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox &box = fake.dialogs.shown[0];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.buttons, MessageButtons::Ok);
    QCOMPARE(box.icon, MessageIcon::Critical);
    QCOMPARE(box.text, QStringLiteral("The data file could not be saved:\n") +
                           QDir::toNativeSeparators(fake.dataFile()) + QStringLiteral("\n\n") + reason +
                           QStringLiteral("\n\nThe file keeps its previous contents. The change stays in the list "
                                          "and is saved again with the next change."));
    QCOMPARE(window.status(), QStringLiteral("Not saved: ") + reason);
    QCOMPARE(window.list().count(), 2);
    QCOMPARE(fake.process.endCount, 0);
    if (how == QStringLiteral("folder")) {
        QVERIFY(QFileInfo(fake.dataFile()).isDir());
        QCOMPARE(readBytes(inside), SavedBob);
        QVERIFY(QFile::remove(inside));
        QVERIFY(QDir().rmdir(fake.dataFile()));
    } else {
        QCOMPARE(readBytes(fake.dataFile()), SavedBob);
        DataFile::setSaveFileFactory({});
    }
    QCOMPARE(folderEntries(fake.programFolder()),
             how == QStringLiteral("folder") ? QStringList() : QStringList{QStringLiteral("data.enc")});

    // Once the disk is sound again, the next change saves everything; a file that is gone now is
    // made again only when the user says so.
    const bool gone = how == QStringLiteral("folder");
    if (gone)
        fake.dialogs.answerMessage(MessageAnswer::Ok);
    window.list().add(Carol);
    QVERIFY(window.save());
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine + BobLine + AliceLine + CarolLine + "\r\n");
    QVERIFY(window.status().startsWith(QStringLiteral("Saved ")));
    QCOMPARE(fake.dialogs.shown.size(), gone ? 2 : 1);
    if (gone) {
        QCOMPARE(fake.dialogs.shown[1].buttons, MessageButtons::OkCancel);
        QCOMPARE(fake.dialogs.shown[1].text, QStringLiteral("The data file was removed by another program:\n") +
                                                 QDir::toNativeSeparators(fake.dataFile()) +
                                                 QStringLiteral("\n\nMake it again, with the entries the list shows?"));
    }
}

void tst_DataFileApp::failedSaveIntoAReadOnlyFolder() {
    if (!folderPermissionsApply())
        QSKIP("Folder rights do not bind this process (it runs as the super-user), so no folder is read-only here; "
              "the failed saves above test the failure instead.");
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    window.list().add(Alice);
    QVERIFY(QFile::setPermissions(fake.programFolder(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    fake.dialogs.answerMessage(MessageAnswer::Ok); // the box that says why
    const bool saved = window.save();
    QFile::setPermissions(fake.programFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!saved);
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QVERIFY(fake.dialogs.shown[0].text.startsWith(QStringLiteral("The data file could not be saved:\n") +
                                                  QDir::toNativeSeparators(fake.dataFile())));
    QVERIFY(window.status().startsWith(QStringLiteral("Not saved: ")));
    QCOMPARE(readBytes(fake.dataFile()), SavedBob);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});
}

void tst_DataFileApp::failedSaveAtEachStep_data() {
    QTest::addColumn<QString>("step");
    QTest::addColumn<QString>("reason"); // empty: the system's own words
    QTest::newRow("open") << QStringLiteral("open") << QStringLiteral("Permission denied");
    QTest::newRow("first byte written") << QStringLiteral("write 0") << QStringLiteral("No space left on device");
    QTest::newRow("last byte written") << QStringLiteral("write last") << QStringLiteral("No space left on device");
    QTest::newRow("flush") << QStringLiteral("flush") << QStringLiteral("Bad file descriptor");
    QTest::newRow("rename") << QStringLiteral("rename") << QString();
}

void tst_DataFileApp::failedSaveAtEachStep() {
    QFETCH(QString, step);
    QFETCH(QString, reason);
    FakePlatform fake;
    RecordedSession window;
    loginToBob(fake, window);
    window.window.showStatus(QStringLiteral("Loaded 1 entries"));
    window.list().add(Alice);
    const qsizetype newSize = (PasswordLine + BobLine + AliceLine + "\r\n").size();

    bool sabotaged = true;
    DataFile::setSaveFileFactory([&](const QString &path) -> std::unique_ptr<QSaveFile> {
        if (step == QStringLiteral("open"))
            return std::make_unique<SabotagedSaveFile>(path, SabotagedSaveFile::Step::Open, &sabotaged);
        if (step == QStringLiteral("flush"))
            return std::make_unique<SabotagedSaveFile>(path, SabotagedSaveFile::Step::Flush, &sabotaged);
        if (step == QStringLiteral("rename"))
            return std::make_unique<SabotagedSaveFile>(path, SabotagedSaveFile::Step::Rename, &sabotaged);
        return std::make_unique<FailingSaveFile>(path, step == QStringLiteral("write 0") ? 0 : newSize - 1);
    });
    fake.dialogs.answerMessage(MessageAnswer::Ok); // the box that says why
    QVERIFY(!window.save());
    DataFile::setSaveFileFactory({});
    QVERIFY(sabotaged);

    QCOMPARE(fake.dialogs.shown.size(), 1);
    const ShownBox &box = fake.dialogs.shown[0];
    QCOMPARE(box.kind, ShownBox::Message);
    QCOMPARE(box.title, QStringLiteral("Varnook Demo"));
    QCOMPARE(box.icon, MessageIcon::Critical);
    if (!reason.isEmpty()) {
        QCOMPARE(box.text, Messages::saveFailed(fake.dataFile(), reason));
    } else {
        const QString withoutReason = Messages::saveFailed(fake.dataFile(), QStringLiteral("@"));
        const qsizetype at = withoutReason.indexOf(u'@');
        QVERIFY2(box.text.startsWith(withoutReason.left(at)) && box.text.endsWith(withoutReason.mid(at + 1)) &&
                     box.text.size() > withoutReason.size(),
                 qPrintable(box.text));
    }
    QVERIFY2(window.status().startsWith(QStringLiteral("Not saved: ") + reason), qPrintable(window.status()));
    QCOMPARE(window.list().count(), 2);
    QCOMPARE(readBytes(fake.dataFile()), SavedBob);
    QCOMPARE(folderEntries(fake.programFolder()), QStringList{QStringLiteral("data.enc")});

    window.list().add(Carol);
    QVERIFY(window.save());
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine + BobLine + AliceLine + CarolLine + "\r\n");
    QVERIFY(window.status().startsWith(QStringLiteral("Saved ")));
}

void tst_DataFileApp::failedSaveOnAFullDisk() {
    FakePlatform fake;
    SmallDisk disk(fake.programFolder(), 64);
    if (!disk.mounted())
        QSKIP(qPrintable(disk.reason()));
    RecordedSession window;
    loginToBob(fake, window);
    window.window.showStatus(QStringLiteral("Loaded 1 entries"));
    QVERIFY(disk.fill(QStringLiteral("filler")));

    window.list().add(Alice);
    fake.dialogs.answerMessage(MessageAnswer::Ok); // the box that says why
    QVERIFY(!window.save());
    QCOMPARE(fake.dialogs.shown.size(), 1);
    QCOMPARE(fake.dialogs.shown[0].text,
             Messages::saveFailed(fake.dataFile(), QStringLiteral("No space left on device")));
    QCOMPARE(window.status(), QStringLiteral("Not saved: No space left on device"));
    QCOMPARE(readBytes(fake.dataFile()), SavedBob);
    QCOMPARE(folderEntries(fake.programFolder()), (QStringList{QStringLiteral("data.enc"), QStringLiteral("filler")}));

    // Room again: the next change saves everything.
    QVERIFY(QFile::remove(QDir(fake.programFolder()).filePath(QStringLiteral("filler"))));
    window.list().add(Carol);
    QVERIFY(window.save());
    QCOMPARE(readBytes(fake.dataFile()), PasswordLine + BobLine + AliceLine + CarolLine + "\r\n");
    QVERIFY(window.status().startsWith(QStringLiteral("Saved ")));
    QCOMPARE(fake.dialogs.shown.size(), 1);
}

void tst_DataFileApp::loadThenSaveGivesTheSameBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("no entries") << PasswordLine + "\r\n";
    QTest::newRow("several") << PasswordLine + BobLine + AliceLine + CarolLine + "\r\n";
    QTest::newRow("special characters") << DataFileFormat::serialize(
        QStringLiteral("pass"),
        std::vector<Entry>{Entry{QStringLiteral(" Š "), QStringLiteral("é€\u00A0"), QStringLiteral("|||")}, Entry{},
                           Entry{QStringLiteral("u"), QStringLiteral("p"), QStringLiteral("a|||b")}});
}

void tst_DataFileApp::loadThenSaveGivesTheSameBytes() {
    QFETCH(QByteArray, bytes);
    FakePlatform fake;
    RecordedSession window;
    writeBytes(fake.dataFile(), bytes);
    fake.dialogs.answerInput(QStringLiteral("pass"));
    QVERIFY(window.load());
    QVERIFY(window.save());
    QCOMPARE(readBytes(fake.dataFile()), bytes);
}

QTEST_MAIN(tst_DataFileApp)
#include "tst_datafile_app.moc"
