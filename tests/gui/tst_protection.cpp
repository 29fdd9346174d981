// The protected form from the user's side: opening it, the File menu's protection and master password
// items, and the lock.

#include "AppTestSupport.h"
#include "DataFileKey.h"
#include "DataLoader.h"
#include "EditorClicks.h"
#include "FileHelpers.h"
#include "Messages.h"
#include "ProtectedForm.h"

#include <QAction>
#include <QSettings>
#include <QTest>

using namespace varnook;
using namespace varnook::test;

namespace {

const QByteArray Alice = "alice|||pw-a|||mail.example";
const QByteArray Carol = "carol|||pw-c|||intranet";

// A file no save writes (a lone CR, no last line end): its bytes show what protection keeps.
QByteArray oddFile() {
    return scrambled("secret") + "\r\n" + scrambled(Alice) + "\r" + scrambled(Carol);
}

// New keys made by the File menu cost next to nothing here.
void cheapKeys(const FakePlatform &fake) {
    QSettings settings(fake.settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Protection/keyDerivationPasses"), 1);
    settings.setValue(QStringLiteral("Protection/keyDerivationMemoryKiB"), 8);
}

void writeProtected(const FakePlatform &fake, const QByteArray &plain, const QString &password = "secret",
                    std::uint8_t version = ProtectedForm::NewestVersion) {
    const auto key = DataFileKey::forNewProtection(password, KdfCost::cheapest(), version);
    QVERIFY(DataFile(fake.dataFile()).writePlain(plain, key.get()));
}

// The plain form inside the protected file on disk, opened with password.
QByteArray openedOnDisk(const FakePlatform &fake, const QString &password) {
    LoadResult read = DataLoader::readExisting(DataFile(fake.dataFile()));
    if (read.state != LoadResult::State::Protected)
        return "not protected";
    const auto key = DataFileKey::derive(password, read.header.cost, read.header.salt, read.header.version);
    if (!DataLoader::unseal(read, key) || read.state != LoadResult::State::HasMasterPassword)
        return "not opened";
    return read.plain;
}

// The key another computer holds for the same protected file: the same salt, the same password.
std::shared_ptr<const FileKey> keyOfFileOnDisk(const FakePlatform &fake, const QString &password) {
    const LoadResult read = DataLoader::readExisting(DataFile(fake.dataFile()));
    return DataFileKey::derive(password, read.header.cost, read.header.salt, read.header.version);
}

QByteArray plainOf(const QList<QByteArray> &lines) {
    QByteArray bytes = scrambled("secret") + "\r\n";
    for (const QByteArray &line : lines)
        bytes += scrambled(line) + "\r\n";
    return bytes + "\r\n";
}

bool isProtectedOnDisk(const FakePlatform &fake) {
    return ProtectedForm::isProtected(readDataFile(fake));
}

int versionOnDisk(const FakePlatform &fake) {
    return readDataFile(fake).at(31);
}

QStringList kindsAndTexts(const QList<ShownBox> &shown) {
    QStringList list;
    for (const ShownBox &box : shown)
        list << QString::number(box.kind) + QLatin1Char(' ') + box.title + QLatin1Char(':') + box.text.left(40);
    return list;
}

} // namespace

class tst_Protection : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { closeApplication(); }

    void startOpensAProtectedFileAndSavesKeepItProtected() {
        FakePlatform fake;
        // A file of the first version, as an older build writes it: its saves keep that version.
        writeProtected(fake, oddFile(), "secret", ProtectedForm::OnePieceVersion);
        fake.dialogs.answerInput(QStringLiteral("wrong"));
        fake.dialogs.answerMessage(MessageAnswer::Retry);
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        QCOMPARE(usernames(main), (QStringList{"alice", "carol"}));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 2 entries"));
        // A wrong password is one try, told by the same box as for the plain form; each try derives
        // the key under a box that says so.
        QCOMPARE(kindsAndTexts(fake.dialogs.shown),
                 (QStringList{"1 Password Required:Please enter your password",
                              "2 Varnook Demo:Checking the master password…",
                              "0 Incorrect Password:Sorry, the password you entered was not ",
                              "1 Password Required:Please enter your password",
                              "2 Varnook Demo:Checking the master password…"}));

        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("shop.example"));
        QVERIFY(isProtectedOnDisk(fake));
        QCOMPARE(openedOnDisk(fake, "secret"), scrambled("secret") + "\r\n" + scrambled(Alice) + "\r\n" +
                                                   scrambled(Carol) + "\r\n" + scrambled("erin|||pw-e|||shop.example") +
                                                   "\r\n\r\n");
        QVERIFY(!readDataFile(fake).contains(scrambled("pw-e")));
        QCOMPARE(versionOnDisk(fake), 1);
        QCOMPARE(fake.dialogs.shown.size(), 5); // the save asked nothing: the key is this run's
    }

    void damagedFileIsRefusedAndKept() {
        FakePlatform fake;
        writeProtected(fake, oddFile());
        QByteArray cut = readDataFile(fake);
        cut.chop(3);
        writeBytes(fake.dataFile(), cut);
        fake.dialogs.answerInput(QStringLiteral("secret"));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        QVERIFY(!newApplication().openMainWindow());
        QCOMPARE(fake.process.lastExitCode, 1);
        const ShownBox &box = fake.dialogs.shown.constLast();
        QCOMPARE(box.icon, MessageIcon::Critical);
        QCOMPARE(box.text,
                 Messages::dataFileDamaged(fake.dataFile(), QStringLiteral("it is cut short: 3 bytes are missing")));
        QVERIFY(box.text.startsWith(QStringLiteral("The data file is damaged and cannot be opened:\n")));
        QVERIFY(box.text.contains(QStringLiteral("\n\nIt is cut short: 3 bytes are missing.\n\n")));
        QCOMPARE(readDataFile(fake), cut);
    }

    void protectThenRemoveGivesBackTheVeryBytes() {
        FakePlatform fake;
        cheapKeys(fake);
        writeBytes(fake.dataFile(), oddFile());
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        QVERIFY(main->protectAction()->isEnabled());
        QVERIFY(!main->removeProtectionAction()->isEnabled());

        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->protectAction()->trigger();
        QVERIFY(isProtectedOnDisk(fake));
        QCOMPARE(versionOnDisk(fake), 2);
        QCOMPARE(openedOnDisk(fake, "secret"), oddFile());
        QCOMPARE(main->statusText(), QStringLiteral("The data file is protected now."));
        const ShownBox &asked = fake.dialogs.shown[1];
        QCOMPARE(asked.title, QStringLiteral("Protect the Data File"));
        QVERIFY(asked.masked);
        QVERIFY(asked.text.contains(QStringLiteral("The original program cannot read a protected file")));
        QCOMPARE(fake.dialogs.shown[2].text, QStringLiteral("Protecting the data file…"));

        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->removeProtectionAction()->trigger();
        QCOMPARE(readDataFile(fake), oddFile());
        QCOMPARE(main->statusText(), QStringLiteral("Protection removed: the data file is in its plain form again."));
        QCOMPARE(fake.dialogs.shown.size(), 4);
    }

    void protectAfterAChangeKeepsIt() {
        FakePlatform fake;
        cheapKeys(fake);
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->protectAction()->trigger();
        addThroughEditor(main, QStringLiteral("carol"), QStringLiteral("pw-c"), QStringLiteral("intranet"));
        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->removeProtectionAction()->trigger();
        QCOMPARE(readDataFile(fake),
                 scrambled("secret") + "\r\n" + scrambled(Alice) + "\r\n" + scrambled(Carol) + "\r\n\r\n");
    }

    void wrongOrNoPasswordChangesNothing() {
        FakePlatform fake;
        cheapKeys(fake);
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        const QByteArray before = readDataFile(fake);
        fake.dialogs.answerInput(QStringLiteral("Secret"));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        main->protectAction()->trigger();
        QCOMPARE(fake.dialogs.shown.constLast().title, QStringLiteral("Incorrect Password"));
        fake.dialogs.answerInput(QString()); // Cancel
        main->protectAction()->trigger();
        QCOMPARE(fake.dialogs.shown.size(), 4);
        QCOMPARE(readDataFile(fake), before);
        QVERIFY(!application().session().isProtected());
    }

    void changeMasterPasswordReplacesLineOneOnly() {
        FakePlatform fake;
        writeBytes(fake.dataFile(), oddFile());
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        // Too short, then two that differ, then the same twice.
        for (const char *typed : {"secret", "abc"})
            fake.dialogs.answerInput(QString::fromLatin1(typed));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        for (const char *typed : {"longer1", "longer2"})
            fake.dialogs.answerInput(QString::fromLatin1(typed));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        for (const char *typed : {"longer1", "longer1"})
            fake.dialogs.answerInput(QString::fromLatin1(typed));
        main->changePasswordAction()->trigger();
        QCOMPARE(readDataFile(fake), scrambled("longer1") + oddFile().mid(6));
        QCOMPARE(main->statusText(), QStringLiteral("Master password changed."));
        QCOMPARE(kindsAndTexts(fake.dialogs.shown).mid(1),
                 (QStringList{"1 Change Master Password:Please enter your current password.",
                              "1 Change Master Password:Please enter your new password.",
                              "0 Password Error:You must enter at least 4 alphanumeric c",
                              "1 Change Master Password:Please enter your new password.",
                              "1 Change Master Password:Please enter your new password again.",
                              "0 Password Error:The two passwords you entered differ.",
                              "1 Change Master Password:Please enter your new password.",
                              "1 Change Master Password:Please enter your new password again."}));
        // The next save writes the new password as line 1.
        addThroughEditor(main, QStringLiteral("dave"), QStringLiteral("pw-d"), QStringLiteral("x"));
        QVERIFY(readDataFile(fake).startsWith(scrambled("longer1") + "\r\n"));
    }

    void changeMasterPasswordOfAProtectedFile() {
        FakePlatform fake;
        cheapKeys(fake);
        writeProtected(fake, oddFile(), "secret", ProtectedForm::OnePieceVersion);
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        for (const char *typed : {"secret", "longer1", "longer1"})
            fake.dialogs.answerInput(QString::fromLatin1(typed));
        main->changePasswordAction()->trigger();
        QCOMPARE(openedOnDisk(fake, "secret"), QByteArray("not opened"));
        QCOMPARE(openedOnDisk(fake, "longer1"), scrambled("longer1") + oddFile().mid(6));
        QCOMPARE(versionOnDisk(fake), 1); // a new master password keeps the file's version
        QCOMPARE(fake.dialogs.shown.constLast().kind, ShownBox::Wait);
    }

    void anotherComputersSavesOfTheProtectedFile() {
        FakePlatform fake;
        writeProtected(fake, plainOf({Alice}));
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        // Saved elsewhere under the same key: shown without a question.
        const auto sameKey = keyOfFileOnDisk(fake, "secret");
        QVERIFY(DataFile(fake.dataFile()).writePlain(plainOf({Alice, Carol}), sameKey.get()));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), (QStringList{"alice", "carol"}), 2000);
        QCOMPARE(fake.dialogs.shown.size(), 2);

        // Saved elsewhere just before a save here: merged, and still protected.
        QVERIFY(DataFile(fake.dataFile()).writePlain(plainOf({Alice, Carol, "dave|||pw-d|||x"}), sameKey.get()));
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("y"));
        QCOMPARE(openedOnDisk(fake, "secret"), plainOf({Alice, Carol, "dave|||pw-d|||x", "erin|||pw-e|||y"}));
        QCOMPARE(fake.dialogs.shown.size(), 2);

        // Protected anew elsewhere (another salt): the login box, then the new file.
        writeProtected(fake, plainOf({Alice}));
        fake.dialogs.answerInput(QStringLiteral("secret"));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), QStringList{"alice"}, 2000);
        QCOMPARE(kindsAndTexts(fake.dialogs.shown.mid(2)),
                 (QStringList{"1 Password Required:Please enter your password",
                              "2 Varnook Demo:Checking the master password…"}));

        // Protection removed elsewhere: the list follows, and the next save writes the plain form.
        writeBytes(fake.dataFile(), plainOf({Carol}));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), QStringList{"carol"}, 2000);
        QVERIFY(!application().session().isProtected());
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("y"));
        QCOMPARE(readDataFile(fake), plainOf({Carol, "erin|||pw-e|||y"}));
        QCOMPARE(fake.dialogs.shown.size(), 4);
    }

    void aLineMoreOftenElsewhereIsOneRowMore() {
        // Saved here, then saved elsewhere with one of its lines once more (the same entry added
        // on the other computer): each line is a row of its own, the new one as full as the others.
        FakePlatform fake;
        writeProtected(fake, plainOf({Alice, Alice}));
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("y"));
        const QByteArray erin = "erin|||pw-e|||y";
        QCOMPARE(openedOnDisk(fake, "secret"), plainOf({Alice, Alice, erin}));
        const auto sameKey = keyOfFileOnDisk(fake, "secret");
        QVERIFY(DataFile(fake.dataFile()).writePlain(plainOf({Alice, Alice, erin, Alice, erin}), sameKey.get()));
        QTRY_COMPARE_WITH_TIMEOUT(usernames(main), (QStringList{"alice", "alice", "erin", "alice", "erin"}), 2000);
        addThroughEditor(main, QStringLiteral("frank"), QStringLiteral("pw-f"), QStringLiteral("z"));
        QCOMPARE(openedOnDisk(fake, "secret"), plainOf({Alice, Alice, erin, Alice, erin, "frank|||pw-f|||z"}));
        QCOMPARE(fake.dialogs.shown.size(), 2);
    }

    void aDamagedFileElsewhereIsNeverSavedOver() {
        FakePlatform fake;
        writeProtected(fake, plainOf({Alice}));
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        const auto sameKey = keyOfFileOnDisk(fake, "secret");
        QVERIFY(DataFile(fake.dataFile()).writePlain(plainOf({Alice, Carol}), sameKey.get()));
        QByteArray damaged = readDataFile(fake);
        damaged[damaged.size() - 1] = char(damaged[damaged.size() - 1] ^ 1);
        writeBytes(fake.dataFile(), damaged);
        QTRY_VERIFY_WITH_TIMEOUT(main->statusText().startsWith(QStringLiteral("Not reloaded")), 2000);
        QCOMPARE(main->statusText(),
                 QStringLiteral("Not reloaded: the data file was changed by another program and is damaged (its "
                                "contents do not match their check: bytes were changed); the list stays as it was."));
        fake.dialogs.answerMessage(MessageAnswer::Ok);
        addThroughEditor(main, QStringLiteral("erin"), QStringLiteral("pw-e"), QStringLiteral("y"));
        QCOMPARE(fake.dialogs.shown.constLast().icon, MessageIcon::Critical);
        QVERIFY(fake.dialogs.shown.constLast().text.contains(QStringLiteral("it is damaged now")));
        QCOMPARE(readDataFile(fake), damaged);
        QCOMPARE(usernames(main), (QStringList{"alice", "erin"}));
        QVERIFY(application().session().hasUnsavedChanges());
    }

    void lockForgetsAndTheLoginBringsTheListBack() {
        FakePlatform fake;
        writeProtected(fake, oddFile());
        fake.dialogs.answerInput(QStringLiteral("secret"));
        MainWindow *main = newApplication().openMainWindow();
        QVERIFY(main);
        main->entryList()->selectPosition(2);
        // While the login box is up, no window shows an entry and the session holds none.
        bool hiddenWhileAsked = false;
        fake.dialogs.onShow = [&](const ShownBox &box) {
            if (box.kind == ShownBox::Input)
                hiddenWhileAsked = !main->isVisible() && application().session().entries().count() == 0 &&
                                   application().session().masterPassword().isEmpty() &&
                                   !application().session().isProtected();
        };
        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
        QVERIFY(hiddenWhileAsked);
        QVERIFY(main->isVisible());
        QVERIFY(!main->isLocked());
        QCOMPARE(usernames(main), (QStringList{"alice", "carol"}));
        QCOMPARE(main->statusText(), QStringLiteral("Loaded 2 entries"));
        QVERIFY(application().session().isProtected());
    }

    void refusedUnlockEndsTheProgram() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        const QByteArray before = readDataFile(fake);
        fake.dialogs.answerInput(QString());
        fake.dialogs.answerMessage(MessageAnswer::Cancel);
        main->lockAction()->trigger();
        QCOMPARE(fake.process.lastExitCode, 1);
        QVERIFY(!main->isVisible());
        QCOMPARE(readDataFile(fake), before);
    }

    void lockWithTheEditorOpen() {
        FakePlatform fake;
        MainWindow *main = openMainWindow(fake, {Alice});
        QVERIFY(main);
        QTest::mouseClick(mainButton(main, "cmdAdd"), Qt::LeftButton);
        QVERIFY(main->entryEditor());
        // Ctrl+L asks first; Cancel leaves everything open.
        fake.dialogs.answerMessage(MessageAnswer::Cancel);
        main->lockAction()->trigger();
        QCOMPARE(fake.dialogs.shown.constLast().text,
                 QStringLiteral("The entry editor is open. Lock anyway? What it holds is not saved."));
        QVERIFY(main->entryEditor());
        QVERIFY(main->isVisible());

        // The idle lock waits for the editor to close. Once the login box shows, it is switched off,
        // or it would lock again and again here.
        fake.dialogs.onShow = [main](const ShownBox &box) {
            if (box.kind == ShownBox::Input)
                main->idleLock().setAfter(0);
        };
        main->idleLock().setAfter(30);
        QTest::qWait(150);
        QVERIFY(main->entryEditor());
        QVERIFY(main->isVisible());
        fake.dialogs.answerInput(QStringLiteral("secret"));
        main->entryEditor()->close();
        QTRY_COMPARE(fake.dialogs.shown.constLast().kind, ShownBox::Input);
        QTRY_VERIFY(main->isVisible());
        QCOMPARE(usernames(main), QStringList{"alice"});
        QCOMPARE(fake.dialogs.shown.size(), 3);
    }
};

QTEST_MAIN(tst_Protection)
#include "tst_protection.moc"
