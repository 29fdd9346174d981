#include "FileHelpers.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace varnook::test;

namespace {

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

Run runProgram(const QString &program, const QStringList &arguments,
               const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
               const QString &workingFolder = QString()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(300000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString source(const QString &path) {
    return QDir(QStringLiteral(VARNOOK_SOURCE_DIR)).filePath(path);
}

// A path as a quoted argument of a desktop entry's Exec key.
QString execArgument(QString path) {
    path.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    for (const QChar c : {QLatin1Char('"'), QLatin1Char('`'), QLatin1Char('$')})
        path.replace(c, QStringLiteral("\\") + c);
    path.replace(QLatin1Char('%'), QStringLiteral("%%"));
    path.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('"') + path + QLatin1Char('"');
}

// Beside the program folder, where the system looks for them: the man pages and the completion.
const QStringList SharedFiles = {QStringLiteral("share/bash-completion/completions/varnook-cli"),
                                 QStringLiteral("share/man/man1/varnook-cli.1.gz"),
                                 QStringLiteral("share/man/man1/varnook.1.gz")};

} // namespace

// The program folder that installing lays out, the package of it, and the installation for the
// current user with its menu entry.
class tst_Install : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void installLaysOutOneProgramFolder();
    void installedCompanionUsesItsOwnFolder();
    void packageHoldsTheFolder();
    void userInstallAddsAMenuEntry();
    void iconGoesWhereTheDesktopLooks_data();
    void iconGoesWhereTheDesktopLooks();
    void userInstallAgainKeepsTheDataFile();
    void uninstallKeepsTheDataFile();
    void menuEntryIsValid();

private:
    QString installed(const QString &name) const { return QDir(m_prefix + QStringLiteral("/varnook")).filePath(name); }
    QStringList expectedFiles() const;
    QProcessEnvironment userEnvironment() const;
    QString userFolder() const { return m_home + QStringLiteral("/.local/opt/varnook"); }
    QString menuEntry() const { return m_home + QStringLiteral("/.local/share/applications/varnook.desktop"); }
    QString placedIcon() const;

    QTemporaryDir m_scratch;
    QString m_prefix;
    QString m_home;
};

void tst_Install::initTestCase() {
    QVERIFY(m_scratch.isValid());
    m_prefix = m_scratch.filePath(QStringLiteral("prefix"));
    // Blanks, quotes, dollars and percents in the home folder must survive into the menu entry.
    m_home = m_scratch.filePath(QStringLiteral("home of \"Jo\" $USER 100%"));
    QVERIFY(QDir().mkpath(m_home));
    const Run run =
        runProgram(QStringLiteral(VARNOOK_CMAKE), {QStringLiteral("--install"), QStringLiteral(VARNOOK_BUILD_DIR),
                                                   QStringLiteral("--prefix"), m_prefix});
    QVERIFY2(run.exitCode == 0, run.err.constData());
}

QStringList tst_Install::expectedFiles() const {
    QStringList files = {QStringLiteral("README.md"), QStringLiteral("install-desktop.sh"), QStringLiteral("varnook"),
                         QStringLiteral("varnook-cli"), QStringLiteral("varnook.desktop")};
    // The help file and the icon come with the program's resources.
    if (QFile::exists(source(QStringLiteral("resources/Help.rtf"))))
        files.append(QStringLiteral("Help.rtf"));
    if (QFile::exists(source(QStringLiteral("resources/icon.png"))))
        files.append(QStringLiteral("varnook.png"));
    files.sort();
    return files;
}

QProcessEnvironment tst_Install::userEnvironment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home);
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    return environment;
}

void tst_Install::installLaysOutOneProgramFolder() {
    QCOMPARE(folderEntries(m_prefix), (QStringList{QStringLiteral("share"), QStringLiteral("varnook")}));
    for (const QString &file : SharedFiles)
        QVERIFY2(QFileInfo(QDir(m_prefix).filePath(file)).size() > 0, qPrintable(file));
    QCOMPARE(readBytes(QDir(m_prefix).filePath(SharedFiles.first())),
             readBytes(source(QStringLiteral("resources/bash-completion/varnook-cli"))));
    QStringList files = folderEntries(m_prefix + QStringLiteral("/varnook"));
    files.sort();
    QCOMPARE(files, expectedFiles());
    for (const QString &program :
         {QStringLiteral("varnook"), QStringLiteral("varnook-cli"), QStringLiteral("install-desktop.sh")})
        QVERIFY(QFileInfo(installed(program)).isExecutable());
    QCOMPARE(readBytes(installed(QStringLiteral("README.md"))), readBytes(source(QStringLiteral("README.md"))));
}

void tst_Install::installedCompanionUsesItsOwnFolder() {
    const Run version = runProgram(installed(QStringLiteral("varnook-cli")), {QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY(version.out.startsWith("varnook-cli "));
    // data.enc is looked for beside the programs, wherever the command is started from.
    const Run check = runProgram(installed(QStringLiteral("varnook-cli")), {QStringLiteral("check")},
                                 QProcessEnvironment::systemEnvironment(), m_scratch.path());
    QCOMPARE(check.exitCode, 3);
    QCOMPARE(QString::fromUtf8(check.err), QStringLiteral("There is no data file in this folder: %1\n")
                                               .arg(QDir::toNativeSeparators(m_prefix + QStringLiteral("/varnook"))));
}

void tst_Install::packageHoldsTheFolder() {
    const QString output = m_scratch.filePath(QStringLiteral("package"));
    const Run pack = runProgram(QStringLiteral(VARNOOK_CPACK), {QStringLiteral("-B"), output},
                                QProcessEnvironment::systemEnvironment(), QStringLiteral(VARNOOK_BUILD_DIR));
    QVERIFY2(pack.exitCode == 0, pack.err.constData());
    const QStringList archives = QDir(output).entryList({QStringLiteral("varnook-*.tar.gz")}, QDir::Files);
    QCOMPARE(archives.size(), 1);
    QVERIFY(archives.first().startsWith(QStringLiteral("varnook-1.0.0-")));
    const Run list =
        runProgram(QStringLiteral("tar"), {QStringLiteral("-tzf"), QDir(output).filePath(archives.first())});
    QCOMPARE(list.exitCode, 0);
    QStringList names = QString::fromUtf8(list.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    names.sort();
    QStringList expected = {QStringLiteral("varnook/")};
    for (const QString &file : expectedFiles())
        expected.append(QStringLiteral("varnook/") + file);
    for (const QString &file : SharedFiles) {
        expected.append(file);
        for (qsizetype slash = file.lastIndexOf(QLatin1Char('/')); slash > 0;
             slash = file.lastIndexOf(QLatin1Char('/'), slash - 1))
            expected.append(file.left(slash + 1));
    }
    expected.removeDuplicates();
    expected.sort();
    QCOMPARE(names, expected);
}

void tst_Install::userInstallAddsAMenuEntry() {
    const Run run = runProgram(installed(QStringLiteral("install-desktop.sh")), {}, userEnvironment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(QString::fromUtf8(run.out),
             QStringLiteral("Varnook is installed in %1\nMenu entry: %2\nStart it from the desktop's "
                            "menu, or run %1/varnook\n")
                 .arg(userFolder(), menuEntry()));
    QStringList files = folderEntries(userFolder());
    files.sort();
    QCOMPARE(files, expectedFiles());
    QCOMPARE(readBytes(userFolder() + QStringLiteral("/varnook-cli")),
             readBytes(installed(QStringLiteral("varnook-cli"))));
    QVERIFY(QFileInfo(userFolder() + QStringLiteral("/varnook")).isExecutable());

    // The Debian package's entry, starting this folder's program; the 256-pixel icon is in the icon
    // theme, so the entry names it by its name.
    const QString entry = QString::fromUtf8(readBytes(menuEntry()));
    QString expected =
        QStringLiteral("[Desktop Entry]\nType=Application\nVersion=1.4\nName=Varnook\nGenericName=Password "
                       "Store\nComment=Keep your user names and passwords behind one master "
                       "password\nExec=%1\n")
            .arg(execArgument(userFolder() + QStringLiteral("/varnook")));
    if (files.contains(QStringLiteral("varnook.png"))) {
        QCOMPARE(placedIcon(), m_home + QStringLiteral("/.local/share/icons/hicolor/256x256/apps/varnook.png"));
        expected += QStringLiteral("Icon=varnook\n");
    }
    expected += QStringLiteral("Terminal=false\nCategories=Utility;Security;Qt;\nKeywords=password;passwords;password "
                               "manager;login;credentials;master password;vault;\nStartupWMClass=varnook\n");
    QCOMPARE(entry, expected);
}

QString tst_Install::placedIcon() const {
    QDirIterator icons(m_home + QStringLiteral("/.local/share/icons"), {QStringLiteral("varnook.png")}, QDir::Files,
                       QDirIterator::Subdirectories);
    return icons.hasNext() ? icons.next() : QString();
}

void tst_Install::iconGoesWhereTheDesktopLooks_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<QString>("place"); // under ~/.local/share/icons
    QTest::newRow("48 square") << 48 << 48 << QStringLiteral("hicolor/48x48/apps/varnook.png");
    QTest::newRow("256 square") << 256 << 256 << QStringLiteral("hicolor/256x256/apps/varnook.png");
    QTest::newRow("not square") << 50 << 40 << QStringLiteral("varnook.png");
    QTest::newRow("size without a theme folder") << 100 << 100 << QStringLiteral("varnook.png");
    QTest::newRow("not a PNG image") << 0 << 0 << QStringLiteral("varnook.png");
}

void tst_Install::iconGoesWhereTheDesktopLooks() {
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(QString, place);
    // A package folder with an icon of the given size: the signature and header of a PNG image.
    QTemporaryDir package;
    for (const QString &name : folderEntries(m_prefix + QStringLiteral("/varnook")))
        QVERIFY(QFile::copy(installed(name), package.filePath(name)));
    QByteArray image = QByteArray::fromHex("89504e470d0a1a0a0000000d49484452");
    for (const int size : {width, height})
        image.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
    if (width == 0)
        image = "GIF89a, not a PNG image at all";
    writeBytes(package.filePath(QStringLiteral("varnook.png")), image);
    QTemporaryDir home;
    QProcessEnvironment environment = userEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    const Run run = runProgram(package.filePath(QStringLiteral("install-desktop.sh")), {}, environment);
    QVERIFY2(run.exitCode == 0, run.err.constData());
    const QString icon = home.filePath(QStringLiteral(".local/share/icons/") + place);
    QCOMPARE(readBytes(icon), image);
    // An icon in the icon theme is named by its name, any other by its path.
    const QByteArray named = place.startsWith(QStringLiteral("hicolor/")) ? QByteArray("varnook") : icon.toUtf8();
    QVERIFY(readBytes(home.filePath(QStringLiteral(".local/share/applications/varnook.desktop")))
                .contains("\nIcon=" + named + "\n"));
}

void tst_Install::userInstallAgainKeepsTheDataFile() {
    const QByteArray data("\xF0\xE1\xF3\xF3\r\n\r\n");
    writeBytes(userFolder() + QStringLiteral("/data.enc"), data);
    // From the installed folder itself, and from the package folder again.
    for (const QString &script :
         {userFolder() + QStringLiteral("/install-desktop.sh"), installed(QStringLiteral("install-desktop.sh"))}) {
        const Run run = runProgram(script, {}, userEnvironment());
        QVERIFY2(run.exitCode == 0, run.err.constData());
        QCOMPARE(readBytes(userFolder() + QStringLiteral("/data.enc")), data);
        QVERIFY(QFile::exists(menuEntry()));
    }
}

void tst_Install::uninstallKeepsTheDataFile() {
    const Run run = runProgram(userFolder() + QStringLiteral("/install-desktop.sh"), {QStringLiteral("--uninstall")},
                               userEnvironment());
    QVERIFY2(run.exitCode == 0, run.err.constData());
    QCOMPARE(QString::fromUtf8(run.out),
             QStringLiteral("Varnook is removed. Your data file is kept: %1/data.enc\n").arg(userFolder()));
    QCOMPARE(folderEntries(userFolder()), QStringList{QStringLiteral("data.enc")});
    QVERIFY(!QFile::exists(menuEntry()));
    const Run again = runProgram(installed(QStringLiteral("install-desktop.sh")), {}, userEnvironment());
    QCOMPARE(again.exitCode, 0);
}

void tst_Install::menuEntryIsValid() {
    const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    if (validator.isEmpty())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils).");
    const Run run = runProgram(validator, {menuEntry()});
    // Hints are advice (Security "can be extended" with System); errors and warnings are faults.
    qInfo("%s", run.out.constData());
    QVERIFY2(run.exitCode == 0 && !run.out.contains(": error: ") && !run.out.contains(": warning: "),
             run.out.constData());
}

QTEST_GUILESS_MAIN(tst_Install)
#include "tst_install.moc"
