#include "CliRunner.h"
#include "DataFile.h"
#include "DataFileFormat.h"
#include "DataFileKey.h"
#include "EntryCsv.h"
#include "FileHelpers.h"
#include "ProtectedForm.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

using namespace varnook;
using namespace varnook::test;

namespace {

const QString Master = QStringLiteral("Term-Master-7");

// A pseudo terminal whose far end becomes varnook-cli's standard input, so that the program sees a
// terminal while the test types into it. The test keeps the far end open too, to read its settings.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
            return;
        m_slave = ::open(ptsname(m_master), O_RDWR | O_NOCTTY);
        fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    bool isOpen() const { return m_master >= 0 && m_slave >= 0; }
    int slave() const { return m_slave; }

    void type(const QByteArray &keys) {
        QCOMPARE(::write(m_master, keys.constData(), size_t(keys.size())), keys.size());
    }
    // Whatever the terminal would have shown: the echo of what was typed, if any.
    QByteArray shown() {
        QByteArray all;
        char buffer[256];
        ssize_t got = 0;
        while ((got = ::read(m_master, buffer, sizeof buffer)) > 0)
            all.append(buffer, got);
        return all;
    }
    bool echoes() const {
        struct termios settings {};
        return tcgetattr(m_slave, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
    }

private:
    int m_master = -1;
    int m_slave = -1;
};

} // namespace

class tst_CliTerminal : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void typingIsNotShown();
    void threeTriesLikeTheProgram();
    void endOfInputStops();
    void newMasterPasswordIsAskedTwice();
    void newMasterPasswordTriesAreCounted();
    void interruptLeavesTheTerminalShowingTyping();
    void passwdAsksTheCurrentThenTheNewOneTwice();
    void protectSaysWhatProtectionMeans();
    void aChangeByAnotherProgramWhileTypingIsKept();

private:
    void start(const QStringList &arguments);
    // Waits until standard error has shown prompt count times in all.
    void waitForPrompt(const QString &prompt, int count);
    void finish();

    std::unique_ptr<QTemporaryDir> m_folder;
    std::unique_ptr<PseudoTerminal> m_terminal;
    std::unique_ptr<QProcess> m_process;
    QByteArray m_err;
    QByteArray m_out;
};

void tst_CliTerminal::init() {
    m_folder = std::make_unique<QTemporaryDir>();
    m_terminal = std::make_unique<PseudoTerminal>();
    if (!m_terminal->isOpen())
        QSKIP("No pseudo terminal can be opened here.");
    QVERIFY(m_terminal->echoes());
    m_err.clear();
    m_out.clear();
}

void tst_CliTerminal::cleanup() {
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished();
    }
    m_process.reset();
    m_terminal.reset();
    m_folder.reset();
}

void tst_CliTerminal::start(const QStringList &arguments) {
    m_process = std::make_unique<QProcess>();
    const int slave = m_terminal->slave();
    m_process->setChildProcessModifier([slave] { ::dup2(slave, STDIN_FILENO); });
    m_process->setReadChannel(QProcess::StandardError);
    m_process->start(cliProgram(), arguments);
    QVERIFY(m_process->waitForStarted());
}

void tst_CliTerminal::waitForPrompt(const QString &prompt, int count) {
    const QByteArray wanted = prompt.toUtf8();
    while (m_err.count(wanted) < count) {
        if (m_process->state() == QProcess::NotRunning && m_process->bytesAvailable() == 0)
            QFAIL(qPrintable(QStringLiteral("The program ended before asking: ") + QString::fromUtf8(m_err)));
        m_process->waitForReadyRead(1000);
        m_err += m_process->readAllStandardError();
    }
}

void tst_CliTerminal::finish() {
    QVERIFY(m_process->waitForFinished(120000));
    m_err += m_process->readAllStandardError();
    m_out += m_process->readAllStandardOutput();
}

void tst_CliTerminal::typingIsNotShown() {
    DataFile(QDir(m_folder->path()).filePath(QStringLiteral("data.enc")))
        .save(Master, {{QStringLiteral("bob"), QStringLiteral("pw-Entry-3"), QStringLiteral("x.org")}});
    start({QStringLiteral("export"), QStringLiteral("--folder"), m_folder->path()});
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    m_terminal->type("wrong-Guess\n");
    waitForPrompt(QStringLiteral("Please enter your password: "), 2);
    m_terminal->type(Master.toUtf8() + '\n');
    finish();
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(m_out, EntryCsv::write({{QStringLiteral("bob"), QStringLiteral("pw-Entry-3"), QStringLiteral("x.org")}}));
    QCOMPARE(QString::fromUtf8(m_err), QStringLiteral("Please enter your password: \n"
                                                      "Sorry, the password you entered was not correct.\n"
                                                      "Please enter your password: \n"
                                                      "Exported 1 entry.\n"));
    // Neither password was echoed on the terminal, and it shows typing again afterwards.
    const QByteArray shown = m_terminal->shown();
    QVERIFY2(!shown.contains("wrong-Guess") && !shown.contains(Master.toUtf8()), shown.constData());
    QVERIFY(m_terminal->echoes());
}

void tst_CliTerminal::threeTriesLikeTheProgram() {
    DataFile(QDir(m_folder->path()).filePath(QStringLiteral("data.enc"))).save(Master, {});
    start({QStringLiteral("export"), QStringLiteral("--folder"), m_folder->path()});
    for (int tried = 1; tried <= 3; ++tried) {
        waitForPrompt(QStringLiteral("Please enter your password: "), tried);
        m_terminal->type(Master.toLower().toUtf8() + '\n');
    }
    finish();
    QCOMPARE(m_process->exitCode(), 4);
    QCOMPARE(m_out, QByteArray());
    const QString oneTry =
        QStringLiteral("Please enter your password: \nSorry, the password you entered was not correct.\n");
    QCOMPARE(QString::fromUtf8(m_err), oneTry + oneTry + oneTry + QStringLiteral("Only 3 tries allowed.\n"));
    QVERIFY(!m_terminal->shown().contains(Master.toLower().toUtf8()));
    QVERIFY(m_terminal->echoes());
}

void tst_CliTerminal::endOfInputStops() {
    DataFile(QDir(m_folder->path()).filePath(QStringLiteral("data.enc"))).save(Master, {});
    start({QStringLiteral("export"), QStringLiteral("--folder"), m_folder->path()});
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    m_terminal->type("\x04"); // Ctrl+D
    finish();
    QCOMPARE(m_process->exitCode(), 4);
    QCOMPARE(QString::fromUtf8(m_err), QStringLiteral("Please enter your password: \nNo password was given.\n"));
    QVERIFY(m_terminal->echoes());
}

void tst_CliTerminal::newMasterPasswordIsAskedTwice() {
    const QString csv = m_folder->filePath(QStringLiteral("in.csv"));
    writeBytes(csv, "Username,Password\nbob,pw-Entry-3\n");
    start({QStringLiteral("import"), csv, QStringLiteral("--folder"), m_folder->path()});
    waitForPrompt(QStringLiteral("New master password: "), 1);
    m_terminal->type("abc\n");
    waitForPrompt(QStringLiteral("New master password: "), 2);
    m_terminal->type(Master.toUtf8() + '\n');
    waitForPrompt(QStringLiteral("Type it again: "), 1);
    m_terminal->type("Term-Master-8\n");
    waitForPrompt(QStringLiteral("New master password: "), 3);
    m_terminal->type(Master.toUtf8() + '\n');
    waitForPrompt(QStringLiteral("Type it again: "), 2);
    m_terminal->type(Master.toUtf8() + '\n');
    finish();
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(QString::fromUtf8(m_err),
             QStringLiteral("The data file has no master password yet. Choose one of at least 4 characters; 8 or more, "
                            "and not a word found in a dictionary, are recommended.\n"
                            "New master password: \n"
                            "You must enter at least 4 alphanumeric characters.\n"
                            "New master password: \nType it again: \n"
                            "The two passwords are not the same.\n"
                            "New master password: \nType it again: \n"));
    QCOMPARE(QString::fromUtf8(m_out), QStringLiteral("Imported 1 entry; the data file now holds 1 entry.\n"));
    QCOMPARE(readBytes(m_folder->filePath(QStringLiteral("data.enc"))),
             DataFileFormat::serialize(
                 Master, std::vector<Entry>{{QStringLiteral("bob"), QStringLiteral("pw-Entry-3"), QString()}}));
    QVERIFY(!m_terminal->shown().contains(Master.toUtf8()));
    QVERIFY(m_terminal->echoes());
}

void tst_CliTerminal::newMasterPasswordTriesAreCounted() {
    const QString csv = m_folder->filePath(QStringLiteral("in.csv"));
    writeBytes(csv, "Username,Password\nbob,pw-Entry-3\n");
    start({QStringLiteral("import"), csv, QStringLiteral("--folder"), m_folder->path()});
    for (int tried = 1; tried <= 3; ++tried) {
        waitForPrompt(QStringLiteral("New master password: "), tried);
        m_terminal->type("\n");
    }
    finish();
    QCOMPARE(m_process->exitCode(), 4);
    QVERIFY(
        QString::fromUtf8(m_err).endsWith(QStringLiteral("New master password: \nYou must enter a password to use.\n"
                                                         "Only 3 tries allowed.\n")));
    QVERIFY(!QFileInfo::exists(m_folder->filePath(QStringLiteral("data.enc"))));
}

void tst_CliTerminal::interruptLeavesTheTerminalShowingTyping() {
    DataFile(QDir(m_folder->path()).filePath(QStringLiteral("data.enc"))).save(Master, {});
    start({QStringLiteral("export"), QStringLiteral("--folder"), m_folder->path()});
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    QVERIFY(!m_terminal->echoes());
    ::kill(pid_t(m_process->processId()), SIGINT);
    finish();
    QCOMPARE(m_process->exitStatus(), QProcess::CrashExit);
    QVERIFY(m_terminal->echoes());
}

void tst_CliTerminal::passwdAsksTheCurrentThenTheNewOneTwice() {
    const QString file = m_folder->filePath(QStringLiteral("data.enc"));
    const QByteArray plain =
        DataFileFormat::serialize(Master, std::vector<Entry>{{QStringLiteral("bob"), QStringLiteral("pw"), {}}});
    writeBytes(file, plain);
    start({QStringLiteral("passwd"), QStringLiteral("--folder"), m_folder->path()});
    waitForPrompt(QStringLiteral("Current master password: "), 1);
    m_terminal->type(Master.toUtf8() + '\n');
    waitForPrompt(QStringLiteral("New master password: "), 1);
    m_terminal->type("Term-Master-9\n");
    waitForPrompt(QStringLiteral("Type it again: "), 1);
    m_terminal->type("Term-Master-8\n");
    waitForPrompt(QStringLiteral("New master password: "), 2);
    m_terminal->type("Term-Master-9\n");
    waitForPrompt(QStringLiteral("Type it again: "), 2);
    m_terminal->type("Term-Master-9\n");
    finish();
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(QString::fromUtf8(m_err),
             QStringLiteral("Current master password: \n"
                            "Choose a new master password of at least 4 characters; 8 or more, and not a word found "
                            "in a dictionary, are recommended.\n"
                            "New master password: \nType it again: \n"
                            "The two passwords are not the same.\n"
                            "New master password: \nType it again: \n"));
    QCOMPARE(QString::fromUtf8(m_out), QStringLiteral("Master password changed.\n"));
    QCOMPARE(readBytes(file), DataFileFormat::masterLine(QStringLiteral("Term-Master-9")) +
                                  plain.mid(DataFileFormat::masterLine(Master).size()));
    const QByteArray shown = m_terminal->shown();
    QVERIFY2(!shown.contains(Master.toUtf8()) && !shown.contains("Term-Master-9"), shown.constData());
    QVERIFY(m_terminal->echoes());
}

void tst_CliTerminal::protectSaysWhatProtectionMeans() {
    const QString file = m_folder->filePath(QStringLiteral("data.enc"));
    DataFile(file).save(Master, {});
    start({QStringLiteral("protect"), QStringLiteral("--folder"), m_folder->path(), QStringLiteral("--kdf-passes=1"),
           QStringLiteral("--kdf-memory=1")});
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    m_terminal->type(Master.toUtf8() + '\n');
    finish();
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(QString::fromUtf8(m_err),
             QStringLiteral("Protection encrypts the data file with a key made from your master password, so that a "
                            "copy of it (a backup, a synced folder, a lost disk) reveals nothing to whoever lacks the "
                            "password. The original program cannot read a protected file; \"varnook-cli unprotect\" "
                            "gives it back its plain form.\n"
                            "Please enter your password: \n"));
    QVERIFY(ProtectedForm::isProtected(readBytes(file)));

    start({QStringLiteral("unprotect"), QStringLiteral("--folder"), m_folder->path()});
    m_err.clear();
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    m_terminal->type(Master.toUtf8() + '\n');
    finish();
    QCOMPARE(m_process->exitCode(), 0);
    QCOMPARE(QString::fromUtf8(m_err),
             QStringLiteral("Without protection the data file is scrambled only: anyone who has a copy of it can read "
                            "every password in it.\nPlease enter your password: \n"));
    QCOMPARE(readBytes(file), DataFileFormat::serialize(Master, std::vector<Entry>{}));
}

void tst_CliTerminal::aChangeByAnotherProgramWhileTypingIsKept() {
    // A sync engine brings another computer's save while the password is typed: it is not written over.
    const QString file = m_folder->filePath(QStringLiteral("data.enc"));
    DataFile(file).save(Master, {});
    start({QStringLiteral("protect"), QStringLiteral("--folder"), m_folder->path(), QStringLiteral("--kdf-passes=1"),
           QStringLiteral("--kdf-memory=1")});
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    const QByteArray theirs = DataFileFormat::serialize(
        Master, std::vector<Entry>{{QStringLiteral("from"), QStringLiteral("elsewhere"), {}}});
    writeBytes(file, theirs);
    m_terminal->type(Master.toUtf8() + '\n');
    finish();
    QCOMPARE(m_process->exitCode(), 3);
    QVERIFY2(QString::fromUtf8(m_err).endsWith(
                 QStringLiteral("Another program changed the data file just now: %1\nNothing was changed; try again.\n")
                     .arg(QDir::toNativeSeparators(file))),
             m_err.constData());
    QCOMPARE(readBytes(file), theirs);

    // The same for an import into a protected file, which is opened before the password is typed.
    const auto key = DataFileKey::forNewProtection(Master, KdfCost::cheapest());
    writeBytes(file, ProtectedForm::seal(theirs, *key, ProtectedForm::newNonce()));
    const QString csv = m_folder->filePath(QStringLiteral("in.csv"));
    writeBytes(csv, "Username,Password\nbob,pw-Entry-3\n");
    start({QStringLiteral("import"), csv, QStringLiteral("--folder"), m_folder->path()});
    m_err.clear();
    waitForPrompt(QStringLiteral("Please enter your password: "), 1);
    const QByteArray changed = ProtectedForm::seal(theirs + "\r\n", *key, ProtectedForm::newNonce());
    writeBytes(file, changed);
    m_terminal->type(Master.toUtf8() + '\n');
    finish();
    QCOMPARE(m_process->exitCode(), 3);
    QCOMPARE(QString::fromUtf8(m_err),
             QStringLiteral("Please enter your password: \nThe data file could not be saved: %1\nAnother program "
                            "changed it while the password was typed.\nIt keeps its previous contents; nothing was "
                            "imported.\n")
                 .arg(QDir::toNativeSeparators(file)));
    QCOMPARE(readBytes(file), changed);
}

QTEST_GUILESS_MAIN(tst_CliTerminal)
#include "tst_cli_terminal.moc"
