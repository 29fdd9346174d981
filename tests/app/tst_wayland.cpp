#include "DataFileFormat.h"
#include "SwaySession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <algorithm>

using namespace varnook;
using namespace varnook::test;

namespace {

const QString MainTitle = QStringLiteral("Varnook by Quillmere");
const QString HelpTitle = QStringLiteral("Readme/Help");

QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool shows(const QList<SwaySession::Window> &windows, const QString &title) {
    return std::any_of(windows.begin(), windows.end(),
                       [&title](const SwaySession::Window &window) { return window.title == title; });
}

QStringList titles(const QList<SwaySession::Window> &windows) {
    QStringList list;
    for (const SwaySession::Window &window : windows)
        list.append(window.title + (window.focused ? QStringLiteral(" (focused)") : QString()));
    return list;
}

} // namespace

// The program of this build on a Wayland desktop (sway, headless), driven by keys through the
// compositor: the first start creates the master password, the main window shows with Help beside
// it, an entry is added through the editor, F1 brings Help forward, and Exit ends the program; the
// data file then holds exactly the bytes of that password and that entry.
class TestWayland : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void firstStartAddAndExit();
    void cleanupTestCase();

private:
    // Fails the test with what the desktop shows and what the program said.
    QByteArray situation(const char *step);

    SwaySession m_desktop;
    QProcess m_program;
    QString m_folder;
};

void TestWayland::initTestCase() {
    const QString missing = SwaySession::missingTool();
    if (!missing.isEmpty())
        QSKIP(qPrintable(missing + QStringLiteral(": the Wayland test is skipped")));
    QString why;
    QVERIFY2(m_desktop.start(why), qPrintable(why));
}

QByteArray TestWayland::situation(const char *step) {
    return QByteArray(step) + "; windows: " + titles(m_desktop.windows()).join(QStringLiteral(", ")).toUtf8() +
           "\nprogram: " + m_program.readAllStandardError();
}

void TestWayland::firstStartAddAndExit() {
    // The program folder is the user's own, as an unpacked copy's is: the program, its help file, and
    // the data file it makes there.
    m_folder = m_desktop.userFolder(QStringLiteral("home"));
    const QString program = QDir(m_folder).filePath(QStringLiteral("varnook"));
    QVERIFY(QFile::copy(QStringLiteral(VARNOOK_PROGRAM_PATH), program));
    QVERIFY(QFile::copy(QStringLiteral(VARNOOK_HELP_FILE), QDir(m_folder).filePath(QStringLiteral("Help.rtf"))));
    const QString dataFile = QDir(m_folder).filePath(QStringLiteral("data.enc"));

    QProcessEnvironment environment;
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(m_folder).filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), QDir(m_folder).filePath(QStringLiteral("data")));
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"QTWEBENGINE_CHROMIUM_FLAGS", "QTWEBENGINE_DISABLE_SANDBOX", "QT_LOGGING_RULES",
                             "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (own.contains(QLatin1String(name)))
            environment.insert(QLatin1String(name), own.value(QLatin1String(name)));
    m_desktop.startClient(m_program, program, {}, environment);
    QVERIFY2(m_program.waitForStarted(), "the program did not start");

    // First start: the creation box, the password typed and Enter.
    QVERIFY2(m_desktop.waitForFocus(QStringLiteral("Password Creation"), 60000), situation("creation box"));
    const QString password = QStringLiteral("Tr0ub4dor&3");
    QVERIFY(m_desktop.type({password, QStringLiteral("-k"), QStringLiteral("Return")}));

    // The main window with its list, and Help, which opens at the first start.
    QVERIFY2(m_desktop.waitForFocus(MainTitle), situation("main window"));
    QTRY_VERIFY2_WITH_TIMEOUT(shows(m_desktop.windows(), HelpTitle), situation("Help at start"), 20000);
    QCOMPARE(readAll(dataFile), DataFileFormat::masterLine(password));
    // Made by the session's user, not by the test's root.
    QCOMPARE(QFileInfo(dataFile).ownerId(), QFileInfo(m_folder).ownerId());

    // Ctrl+N opens the editor on Cancel: Tab, Tab to the user name, the three fields, Enter saves.
    QVERIFY(m_desktop.type({QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("-k"), QStringLiteral("n"),
                            QStringLiteral("-m"), QStringLiteral("ctrl")}));
    QVERIFY2(m_desktop.waitForFocus(QStringLiteral("Add an entry")), situation("editor"));
    const Entry entry{QStringLiteral("alice@example.org"), QStringLiteral("s3cr3t pw|~"),
                      QStringLiteral("https://example.org/login?a=1")};
    QVERIFY(m_desktop.type({QStringLiteral("-k"), QStringLiteral("Tab"), QStringLiteral("-k"), QStringLiteral("Tab"),
                            entry.username, QStringLiteral("-k"), QStringLiteral("Tab"), entry.password,
                            QStringLiteral("-k"), QStringLiteral("Tab"), entry.location, QStringLiteral("-k"),
                            QStringLiteral("Return")}));
    QVERIFY2(m_desktop.waitForFocus(MainTitle), situation("back from the editor"));
    const QByteArray expected = DataFileFormat::serialize(password, std::vector<Entry>{entry});
    QTRY_COMPARE_WITH_TIMEOUT(readAll(dataFile), expected, 10000);

    // Help is behind the main window now; F1 brings it forward. Escape closes it again.
    QVERIFY(m_desktop.type({QStringLiteral("-k"), QStringLiteral("F1")}));
    QVERIFY2(m_desktop.waitForFocus(HelpTitle), situation("Help brought forward"));
    QVERIFY(m_desktop.type({QStringLiteral("-k"), QStringLiteral("Escape")}));
    QVERIFY2(m_desktop.waitForFocus(MainTitle), situation("Help closed"));
    QVERIFY(!shows(m_desktop.windows(), HelpTitle));

    // Exit (Ctrl+Q) ends the program normally and leaves the file as the add saved it.
    QVERIFY(m_desktop.type({QStringLiteral("-M"), QStringLiteral("ctrl"), QStringLiteral("-k"), QStringLiteral("q"),
                            QStringLiteral("-m"), QStringLiteral("ctrl")}));
    QVERIFY2(m_program.waitForFinished(30000), situation("exit"));
    QCOMPARE(m_program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_program.exitCode(), 0);
    const QByteArray bytes = readAll(dataFile);
    QCOMPARE(bytes, expected);
    const DataFileFormat::MasterLine master = DataFileFormat::readMasterLine(bytes);
    QCOMPARE(master.masterPassword, password);
    QCOMPARE(DataFileFormat::readEntries(QByteArrayView(bytes).sliced(master.entriesStart)), std::vector<Entry>{entry});
}

// A program still running after a failure goes before its desktop does. (setpriv runs it in its own
// process, so the process is the program's.)
void TestWayland::cleanupTestCase() {
    if (m_program.state() != QProcess::NotRunning) {
        m_program.kill();
        m_program.waitForFinished();
    }
}

QTEST_GUILESS_MAIN(TestWayland)
#include "tst_wayland.moc"
