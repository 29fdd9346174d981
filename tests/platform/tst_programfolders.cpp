#include "FileHelpers.h"
#include "ProgramFolders.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <unistd.h>

using namespace varnook;
using namespace varnook::test;

namespace {

constexpr QFileDevice::Permissions ReadOnlyFolder = QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                    QFileDevice::ReadGroup | QFileDevice::ExeGroup |
                                                    QFileDevice::ReadOther | QFileDevice::ExeOther;
constexpr QFileDevice::Permissions OpenFolder = ReadOnlyFolder | QFileDevice::WriteOwner;

// The super-user may write into every folder, so a read-only folder is looked at as a user without
// rights (nobody) for as long as this lives; the super-user's rights stay saved and come back.
class AsUserWithoutRights {
public:
    AsUserWithoutRights() {
        if (geteuid() != 0)
            return;
        const passwd *nobody = getpwnam("nobody");
        if (!nobody || setresgid(nobody->pw_gid, nobody->pw_gid, 0) != 0)
            return;
        if (setresuid(nobody->pw_uid, nobody->pw_uid, 0) != 0) {
            setresgid(0, 0, 0);
            return;
        }
        m_switched = true;
    }
    ~AsUserWithoutRights() {
        if (m_switched && setresuid(0, 0, 0) == 0)
            setresgid(0, 0, 0);
    }
    AsUserWithoutRights(const AsUserWithoutRights &) = delete;
    AsUserWithoutRights &operator=(const AsUserWithoutRights &) = delete;

    // False when the rights could not be given up: the folder is writable to this process after all.
    bool withoutRights() const { return geteuid() != 0; }

private:
    bool m_switched = false;
};

// Sets or removes an environment variable for as long as this lives.
class EnvironmentValue {
public:
    EnvironmentValue(const char *name, const std::optional<QByteArray> &value)
        : m_name(name)
        , m_old(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt) {
        set(value);
    }
    ~EnvironmentValue() { set(m_old); }
    EnvironmentValue(const EnvironmentValue &) = delete;
    EnvironmentValue &operator=(const EnvironmentValue &) = delete;

private:
    void set(const std::optional<QByteArray> &value) {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }
    const char *m_name;
    std::optional<QByteArray> m_old;
};

} // namespace

// Where the program looks for its help file and keeps data.enc, decided on real folders.
class tst_ProgramFolders : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void writableFolderKeepsEverything();
    void readOnlyFolderKeepsTheFileItHolds();
    void readOnlyFolderWithoutFileSendsItToTheUserFolder_data();
    void readOnlyFolderWithoutFileSendsItToTheUserFolder();
    void installedPackageKeepsTheFileInTheUserFolder();
    void helpFileBesideTheProgramMeansPortable();
    void dataFolderIsMadeForItsOwnerOnly();
    void dataFolderThatCannotBeMadeIsTold();

private:
    QString made(const QString &relative) const;

    std::unique_ptr<QTemporaryDir> m_scratch;
    std::unique_ptr<EnvironmentValue> m_home;
    std::unique_ptr<EnvironmentValue> m_dataHome;
};

void tst_ProgramFolders::init() {
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_scratch->isValid());
    // Open to the user without rights, who must see what the folders hold.
    QVERIFY(QFile::setPermissions(m_scratch->path(), OpenFolder));
    m_home = std::make_unique<EnvironmentValue>("HOME", made(QStringLiteral("home")).toLocal8Bit());
    m_dataHome = std::make_unique<EnvironmentValue>("XDG_DATA_HOME", std::nullopt);
}

void tst_ProgramFolders::cleanup() {
    m_dataHome.reset();
    m_home.reset();
    // A read-only folder is opened again, so that the scratch folder can go.
    for (const QString &folder : folderEntries(m_scratch->path()))
        QFile::setPermissions(m_scratch->filePath(folder), OpenFolder);
    m_scratch.reset();
}

QString tst_ProgramFolders::made(const QString &relative) const {
    const QString path = m_scratch->filePath(relative);
    if (!QDir().mkpath(path))
        qFatal("cannot make %s", qPrintable(path));
    return path;
}

void tst_ProgramFolders::writableFolderKeepsEverything() {
    const QString folder = made(QStringLiteral("portable"));
    const EnvironmentValue dataHome("XDG_DATA_HOME", m_scratch->filePath(QStringLiteral("data-home")).toLocal8Bit());
    const ProgramFolders found = ProgramFolders::forExecutableIn(folder + QStringLiteral("/./"));
    QCOMPARE(found.programFolder, folder);
    QCOMPARE(found.dataFolder, folder);
    QVERIFY(!QFile::exists(m_scratch->filePath(QStringLiteral("data-home")))); // deciding makes nothing
}

void tst_ProgramFolders::readOnlyFolderKeepsTheFileItHolds() {
    const QString folder = made(QStringLiteral("portable"));
    writeBytes(folder + QStringLiteral("/data.enc"), "\xF3\xE5\xE3\xF2\xE5\xF4\r\n\r\n");
    QVERIFY(QFile::setPermissions(folder, ReadOnlyFolder));
    const AsUserWithoutRights user;
    if (!user.withoutRights())
        QSKIP("The super-user writes into every folder, and this process cannot give up its rights.");
    QVERIFY(!QFileInfo(folder).isWritable());
    const ProgramFolders found = ProgramFolders::forExecutableIn(folder);
    QCOMPARE(found.programFolder, folder);
    QCOMPARE(found.dataFolder, folder);
}

void tst_ProgramFolders::readOnlyFolderWithoutFileSendsItToTheUserFolder_data() {
    QTest::addColumn<std::optional<QByteArray>>("dataHome");
    QTest::addColumn<QString>("expected"); // under the scratch folder
    QTest::newRow("XDG_DATA_HOME unset") << std::optional<QByteArray>() << QStringLiteral("home/.local/share/Varnook");
    QTest::newRow("XDG_DATA_HOME empty") << std::optional(QByteArray()) << QStringLiteral("home/.local/share/Varnook");
    QTest::newRow("XDG_DATA_HOME relative, so not valid")
        << std::optional(QByteArray("data-home")) << QStringLiteral("home/.local/share/Varnook");
    QTest::newRow("XDG_DATA_HOME set") << std::optional(QByteArray("data home/"))
                                       << QStringLiteral("data home/Varnook");
}

void tst_ProgramFolders::readOnlyFolderWithoutFileSendsItToTheUserFolder() {
    QFETCH(std::optional<QByteArray>, dataHome);
    QFETCH(QString, expected);
    if (dataHome && dataHome->startsWith("data home"))
        dataHome = m_scratch->filePath(QString::fromLocal8Bit(*dataHome)).toLocal8Bit();
    const EnvironmentValue xdg("XDG_DATA_HOME", dataHome);
    const QString folder = made(QStringLiteral("portable"));
    QVERIFY(QFile::setPermissions(folder, ReadOnlyFolder));
    const AsUserWithoutRights user;
    if (!user.withoutRights())
        QSKIP("The super-user writes into every folder, and this process cannot give up its rights.");
    const ProgramFolders found = ProgramFolders::forExecutableIn(folder);
    QCOMPARE(found.programFolder, folder); // the help file is still read from it
    QCOMPARE(found.dataFolder, m_scratch->filePath(expected));
}

void tst_ProgramFolders::installedPackageKeepsTheFileInTheUserFolder() {
    // <prefix>/bin/varnook and <prefix>/share/varnook/Help.rtf, as the package lays them out. Its
    // folders are writable here (the super-user's are), and a stray data.enc beside the programs is
    // not taken: the package's folders are never the user's.
    const QString bin = made(QStringLiteral("usr/bin"));
    const QString files = made(QStringLiteral("usr/share/varnook"));
    writeBytes(files + QStringLiteral("/Help.rtf"), "{\\rtf1 Help}");
    writeBytes(bin + QStringLiteral("/data.enc"), "\r\n");
    const EnvironmentValue xdg("XDG_DATA_HOME", m_scratch->filePath(QStringLiteral("data-home")).toLocal8Bit());
    const ProgramFolders found = ProgramFolders::forExecutableIn(bin);
    QCOMPARE(found.programFolder, files);
    QCOMPARE(found.dataFolder, m_scratch->filePath(QStringLiteral("data-home/Varnook")));

    const EnvironmentValue unset("XDG_DATA_HOME", std::nullopt);
    QCOMPARE(ProgramFolders::forExecutableIn(bin).dataFolder,
             m_scratch->filePath(QStringLiteral("home/.local/share/Varnook")));
}

void tst_ProgramFolders::helpFileBesideTheProgramMeansPortable() {
    // An unpacked copy in a bin folder beside an unrelated share/varnook keeps everything together.
    const QString bin = made(QStringLiteral("opt/bin"));
    made(QStringLiteral("opt/share/varnook"));
    writeBytes(bin + QStringLiteral("/Help.rtf"), "{\\rtf1 Help}");
    const ProgramFolders found = ProgramFolders::forExecutableIn(bin);
    QCOMPARE(found.programFolder, bin);
    QCOMPARE(found.dataFolder, bin);
}

void tst_ProgramFolders::dataFolderIsMadeForItsOwnerOnly() {
    const QString folder = m_scratch->filePath(QStringLiteral("home/.local/share/Varnook"));
    QVERIFY(ProgramFolders::makeDataFolder(folder));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(accessRights(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // An existing folder is left as it is, its files too.
    QVERIFY(QFile::setPermissions(folder, OpenFolder));
    writeBytes(folder + QStringLiteral("/data.enc"), "\r\n");
    QVERIFY(ProgramFolders::makeDataFolder(folder));
    QCOMPARE(accessRights(folder), OpenFolder);
    QCOMPARE(readBytes(folder + QStringLiteral("/data.enc")), QByteArray("\r\n"));
}

void tst_ProgramFolders::dataFolderThatCannotBeMadeIsTold() {
    // A file stands where a folder above it should be.
    writeBytes(m_scratch->filePath(QStringLiteral("share")), "not a folder");
    QVERIFY(!ProgramFolders::makeDataFolder(m_scratch->filePath(QStringLiteral("share/Varnook"))));
    // A folder the user may not write into.
    const QString locked = made(QStringLiteral("locked"));
    QVERIFY(QFile::setPermissions(locked, ReadOnlyFolder));
    const AsUserWithoutRights user;
    if (!user.withoutRights())
        QSKIP("The super-user writes into every folder, and this process cannot give up its rights.");
    QVERIFY(!ProgramFolders::makeDataFolder(locked + QStringLiteral("/Varnook")));
    QVERIFY(!QFile::exists(locked + QStringLiteral("/Varnook")));
}

QTEST_GUILESS_MAIN(tst_ProgramFolders)
#include "tst_programfolders.moc"
