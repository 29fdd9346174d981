#include "FileHelpers.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
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
               const QString &workingFolder = QString(), const QByteArray &input = {}) {
    QProcess process;
    process.setProcessEnvironment(environment);
    if (!workingFolder.isEmpty())
        process.setWorkingDirectory(workingFolder);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(600000) || process.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = process.exitCode();
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

QString source(const QString &path) {
    return QDir(QStringLiteral(VARNOOK_SOURCE_DIR)).filePath(path);
}

QString built(const QString &path) {
    return QDir(QStringLiteral(VARNOOK_BUILD_DIR)).filePath(path);
}

// The path of a tool, or empty after skipping the test with the Debian package that has it.
#define FIND_TOOL_OR_SKIP(variable, name, package)                                                                     \
    const QString variable = QStandardPaths::findExecutable(QStringLiteral(name));                                     \
    if (variable.isEmpty())                                                                                            \
    QSKIP(name " is not installed (Debian package " package ").")

// Every file under folder, relative to it, sorted.
QStringList filesUnder(const QString &folder) {
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(folder).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// Lines of a tool's report that start with one of the given kinds ("E: ", "W: ").
QStringList linesOfKind(const QByteArray &report, const QStringList &kinds) {
    QStringList found;
    for (const QString &line : QString::fromUtf8(report).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        for (const QString &kind : kinds)
            if (line.startsWith(kind) || line.contains(QStringLiteral(": ") + kind))
                found.append(line);
    }
    return found;
}

const QStringList IconSizes = {QStringLiteral("16"),  QStringLiteral("22"),  QStringLiteral("24"),
                               QStringLiteral("32"),  QStringLiteral("48"),  QStringLiteral("64"),
                               QStringLiteral("128"), QStringLiteral("256"), QStringLiteral("512")};

} // namespace

// The Debian package: its layout, its menu entry and metadata as the validators see them, the
// package file as dpkg and lintian see it, and the programs as they run from its layout.
class tst_Package : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void menuEntryValidates();
    void metadataValidates();
    void layoutIsDebians();
    void iconsHaveTheirSizes();
    void installedTreeValidates();
    void installedCompanionKeepsDataInTheUserFolder();
    void debianPackage();

private:
    QString staged(const QString &path) const { return m_stage + QStringLiteral("/usr/") + path; }
    QString metainfoName() const { return QStringLiteral(VARNOOK_APP_ID ".metainfo.xml"); }

    QTemporaryDir m_scratch;
    QString m_stage;
};

void tst_Package::initTestCase() {
    QVERIFY(m_scratch.isValid());
    // What the package holds, as cpack installs it: every component but the portable folder's,
    // into a folder of the test's.
    m_stage = m_scratch.filePath(QStringLiteral("stage"));
    const QStringList components =
        QString::fromUtf8(readBytes(built(QStringLiteral("packaging/deb-components.txt")))).split(QLatin1Char(';'));
    QVERIFY(components.contains(QStringLiteral("package")));
    QVERIFY(!components.contains(QStringLiteral("portable")));
    for (const QString &component : components) {
        const Run run =
            runProgram(QStringLiteral(VARNOOK_CMAKE),
                       {QStringLiteral("--install"), QStringLiteral(VARNOOK_BUILD_DIR), QStringLiteral("--component"),
                        component, QStringLiteral("--prefix"), m_stage + QStringLiteral("/usr")});
        QVERIFY2(run.exitCode == 0, run.err.constData());
    }
}

void tst_Package::menuEntryValidates() {
    FIND_TOOL_OR_SKIP(validator, "desktop-file-validate", "desktop-file-utils");
    const Run run = runProgram(validator, {source(QStringLiteral("packaging/varnook.desktop"))});
    // Hints are advice only (Security "can be extended" with System); errors and warnings are not.
    qInfo("%s", run.out.constData());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(linesOfKind(run.out, {QStringLiteral("error: "), QStringLiteral("warning: ")}), QStringList());
    const QString entry = QString::fromUtf8(readBytes(source(QStringLiteral("packaging/varnook.desktop"))));
    for (const QString &line : {QStringLiteral("\nExec=varnook\n"), QStringLiteral("\nIcon=varnook\n"),
                                QStringLiteral("\nCategories=Utility;Security;Qt;\n"), QStringLiteral("\nKeywords=")})
        QVERIFY2(entry.contains(line), qPrintable(line));
}

void tst_Package::metadataValidates() {
    FIND_TOOL_OR_SKIP(validator, "appstreamcli", "appstream");
    const Run run =
        runProgram(validator, {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
                               built(QStringLiteral("packaging/") + metainfoName())});
    qInfo("%s", run.out.constData());
    QVERIFY2(run.exitCode == 0, run.out.constData());
    QCOMPARE(linesOfKind(run.out, {QStringLiteral("E: "), QStringLiteral("W: ")}), QStringList());
    const QString metadata = QString::fromUtf8(readBytes(built(QStringLiteral("packaging/") + metainfoName())));
    // The release is this version's, and each screenshot is one of the README's pictures.
    QVERIFY(metadata.contains(QStringLiteral("<release version=\"" VARNOOK_VERSION "\" date=\"")));
    for (const QString &picture : {QStringLiteral("main-window.png"), QStringLiteral("find-bar.png"),
                                   QStringLiteral("editor.png"), QStringLiteral("help-window.png")}) {
        QVERIFY2(metadata.contains(QStringLiteral("/") + picture + QStringLiteral("</image>")), qPrintable(picture));
        QVERIFY2(QFile::exists(source(QStringLiteral("docs/") + picture)), qPrintable(picture));
    }
}

void tst_Package::layoutIsDebians() {
    QStringList expected = {
        QStringLiteral("usr/bin/varnook"),
        QStringLiteral("usr/bin/varnook-cli"),
        QStringLiteral("usr/share/applications/varnook.desktop"),
        QStringLiteral("usr/share/doc/varnook/changelog.gz"),
        QStringLiteral("usr/share/doc/varnook/copyright"),
        QStringLiteral("usr/share/icons/hicolor/scalable/apps/varnook.svg"),
        QStringLiteral("usr/share/lintian/overrides/varnook"),
        QStringLiteral("usr/share/metainfo/") + metainfoName(),
        QStringLiteral("usr/share/varnook/Help.rtf"),
    };
    for (const QString &size : IconSizes)
        expected.append(QStringLiteral("usr/share/icons/hicolor/%1x%1/apps/varnook.png").arg(size));
    expected.sort();
    // What the other install rules add without a component (man pages, completion) may come too.
    QStringList files = filesUnder(m_stage);
    for (const QString &file : expected)
        QVERIFY2(files.removeOne(file), qPrintable(file + QStringLiteral(" is missing")));
    for (const QString &file : files)
        QVERIFY2(file.startsWith(QStringLiteral("usr/share/man/")) ||
                     file.startsWith(QStringLiteral("usr/share/bash-completion/")),
                 qPrintable(file + QStringLiteral(" is not the package's")));
    QCOMPARE(readBytes(staged(QStringLiteral("share/varnook/Help.rtf"))),
             readBytes(source(QStringLiteral("resources/Help.rtf"))));
    QVERIFY(QFileInfo(staged(QStringLiteral("bin/varnook"))).isExecutable());
    // The changelog is gzip's, without a time stamp, so that two builds give the same bytes.
    const QByteArray changelog = readBytes(staged(QStringLiteral("share/doc/varnook/changelog.gz")));
    QVERIFY(changelog.startsWith("\x1f\x8b"));
    QCOMPARE(changelog.mid(4, 4), QByteArray(4, '\0'));
}

void tst_Package::iconsHaveTheirSizes() {
    const QImage artwork(source(QStringLiteral("resources/icon.png")));
    QVERIFY(!artwork.isNull());
    for (const QString &size : IconSizes) {
        const QImage icon(staged(QStringLiteral("share/icons/hicolor/%1x%1/apps/varnook.png").arg(size)));
        QCOMPARE(icon.size(), QSize(size.toInt(), size.toInt()));
        // The same picture at every size: the middle is the keyhole's light colour, the corner clear,
        // and the face beside the ring the artwork's blue.
        const auto at = [&](const QImage &image, double x, double y) {
            return image.pixelColor(int(x * image.width()), int(y * image.height()));
        };
        for (const auto &[x, y] : {std::pair{0.5, 0.55}, std::pair{0.02, 0.02}, std::pair{0.5, 0.1}}) {
            const QColor want = at(artwork, x, y);
            const QColor got = at(icon, x, y);
            QVERIFY2(qAbs(want.red() - got.red()) < 40 && qAbs(want.blue() - got.blue()) < 40 &&
                         qAbs(want.alpha() - got.alpha()) < 40,
                     qPrintable(QStringLiteral("%1 px at (%2, %3): %4 instead of %5")
                                    .arg(size)
                                    .arg(x)
                                    .arg(y)
                                    .arg(got.name(QColor::HexArgb), want.name(QColor::HexArgb))));
        }
    }
    const QByteArray svg = readBytes(staged(QStringLiteral("share/icons/hicolor/scalable/apps/varnook.svg")));
    QVERIFY(svg.contains("<svg "));
}

void tst_Package::installedTreeValidates() {
    FIND_TOOL_OR_SKIP(validator, "appstreamcli", "appstream");
    // The metadata with the menu entry and the icons it names, as installed.
    const Run run = runProgram(validator, {QStringLiteral("validate-tree"), QStringLiteral("--no-net"), m_stage});
    qInfo("%s", run.out.constData());
    QVERIFY2(run.exitCode == 0, run.out.constData());
    QCOMPARE(linesOfKind(run.out, {QStringLiteral("E: "), QStringLiteral("W: ")}), QStringList());
}

void tst_Package::installedCompanionKeepsDataInTheUserFolder() {
    // The package's folders belong to the system, even where they could be written: data.enc and its
    // lock go to the user's data folder, which is made for its owner alone.
    const QString dataHome = m_scratch.filePath(QStringLiteral("data home"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
    const QString cli = staged(QStringLiteral("bin/varnook-cli"));
    const QString folder = dataHome + QStringLiteral("/Varnook");

    const Run missing = runProgram(cli, {QStringLiteral("check")}, environment, m_scratch.path());
    QCOMPARE(missing.exitCode, 3);
    QCOMPARE(QString::fromUtf8(missing.err), QStringLiteral("There is no data file in this folder: %1\n").arg(folder));
    QCOMPARE(accessRights(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    const QString csv = m_scratch.filePath(QStringLiteral("entries.csv"));
    writeBytes(csv, "Username,Password,URL\njo,secret,https://example.org\n");
    const Run import =
        runProgram(cli, {QStringLiteral("import"), csv}, environment, m_scratch.path(), "master\nmaster\n");
    QVERIFY2(import.exitCode == 0, import.err.constData());
    QCOMPARE(folderEntries(folder), QStringList{QStringLiteral("data.enc")}); // the lock went with the command
    QCOMPARE(folderEntries(staged(QStringLiteral("bin"))),
             QStringList({QStringLiteral("varnook"), QStringLiteral("varnook-cli")}));

    const Run check = runProgram(cli, {QStringLiteral("check")}, environment, m_scratch.path());
    QCOMPARE(check.exitCode, 0);
    QVERIFY2(check.out.startsWith("Data file: " + folder.toUtf8() + "/data.enc\n"), check.out.constData());

    // Without XDG_DATA_HOME, the folder under the home folder.
    const QString home = m_scratch.filePath(QStringLiteral("home"));
    environment.remove(QStringLiteral("XDG_DATA_HOME"));
    environment.insert(QStringLiteral("HOME"), home);
    const Run atHome = runProgram(cli, {QStringLiteral("check")}, environment, m_scratch.path());
    QCOMPARE(QString::fromUtf8(atHome.err),
             QStringLiteral("There is no data file in this folder: %1/.local/share/Varnook\n").arg(home));
}

void tst_Package::debianPackage() {
    FIND_TOOL_OR_SKIP(shlibdeps, "dpkg-shlibdeps", "dpkg-dev");
    const QString output = m_scratch.filePath(QStringLiteral("deb"));
    const Run pack = runProgram(QStringLiteral(VARNOOK_CPACK),
                                {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("-B"), output},
                                QProcessEnvironment::systemEnvironment(), QStringLiteral(VARNOOK_BUILD_DIR));
    QVERIFY2(pack.exitCode == 0, pack.err.constData());
    const Run architecture = runProgram(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")});
    const QString arch = QString::fromUtf8(architecture.out).trimmed();
    const QString deb = QDir(output).filePath(QStringLiteral("varnook_" VARNOOK_VERSION "_%1.deb").arg(arch));
    QVERIFY2(QFile::exists(deb), qPrintable(QDir(output).entryList(QDir::Files).join(QLatin1Char(' '))));

    const auto field = [&deb](const char *name) {
        return QString::fromUtf8(
                   runProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb, QString::fromLatin1(name)}).out)
            .trimmed();
    };
    QCOMPARE(field("Package"), QStringLiteral("varnook"));
    QCOMPARE(field("Version"), QStringLiteral(VARNOOK_VERSION));
    QCOMPARE(field("Section"), QStringLiteral("utils"));
    QVERIFY(field("Maintainer").contains(QLatin1Char('<')));
    QVERIFY(field("Description").contains(QStringLiteral("\n varnook-cli exports")));
    const QStringList depends = field("Depends").split(QStringLiteral(", "));
    for (const QString &wanted :
         {QStringLiteral("xdg-utils"), QStringLiteral("qt6-wayland"), QStringLiteral("qt6-qpa-plugins"),
          QStringLiteral("libqt6webenginewidgets6"), QStringLiteral("libsodium23"), QStringLiteral("libc6")}) {
        const bool named = std::any_of(depends.begin(), depends.end(), [&wanted](const QString &dependency) {
            return dependency == wanted || dependency.startsWith(wanted + QLatin1Char(' '));
        });
        QVERIFY2(named, qPrintable(wanted + QStringLiteral(" is not in ") + depends.join(QStringLiteral(", "))));
    }

    const QString unpacked = m_scratch.filePath(QStringLiteral("unpacked"));
    QCOMPARE(runProgram(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), deb, unpacked}).exitCode, 0);
    // The package holds what its component installs, manual pages compressed as Debian wants them.
    QStringList installed;
    for (QString file : filesUnder(m_stage)) {
        if (file.startsWith(QStringLiteral("usr/share/man/")) && !file.endsWith(QStringLiteral(".gz")))
            file += QStringLiteral(".gz");
        installed.append(file);
    }
    installed.sort();
    QCOMPARE(filesUnder(unpacked), installed);
    // The programs are stripped.
    for (const QString &program : {QStringLiteral("varnook"), QStringLiteral("varnook-cli")}) {
        const Run sections = runProgram(QStringLiteral("readelf"), {QStringLiteral("-S"), QStringLiteral("-W"),
                                                                    unpacked + QStringLiteral("/usr/bin/") + program});
        QCOMPARE(sections.exitCode, 0);
        QVERIFY2(!sections.out.contains(".debug_info") && !sections.out.contains(".symtab"), qPrintable(program));
    }

    FIND_TOOL_OR_SKIP(lintian, "lintian", "lintian");
    // Errors and warnings only; each one the package accepts is overridden, with its reason, in
    // packaging/lintian-overrides, which lintian reads from the package itself.
    const Run check = runProgram(lintian, {deb});
    qInfo("%s", check.out.constData());
    const QStringList complaints = linesOfKind(check.out, {QStringLiteral("E: "), QStringLiteral("W: ")});
    QCOMPARE(complaints, QStringList());
}

QTEST_GUILESS_MAIN(tst_Package)
#include "tst_package.moc"
