#include "CommandLine.h"

#include "CheckCommand.h"
#include "Console.h"
#include "ExitCode.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "MergeCommand.h"
#include "VersionRecord.h"

#include <QCommandLineParser>

namespace varnook {

namespace {

int usageError(const QString &problem) {
    Console::err(problem);
    Console::err(QStringLiteral("Try \"varnook-cli --help\"."));
    return exitCode(ExitCode::Usage);
}

} // namespace

QString CommandLine::versionText() {
    const VersionRecord version = VersionRecord::builtIn();
    return QStringLiteral("varnook-cli %1.%2.%3").arg(version.major).arg(version.minor).arg(version.patch);
}

QString CommandLine::helpText(const QString &optionsText) {
    return QStringLiteral("Usage: varnook-cli export [--folder DIR] [--output FILE]\n"
                          "       varnook-cli import FILE.csv [--folder DIR]\n"
                          "       varnook-cli check [--folder DIR]\n"
                          "       varnook-cli merge FILE [--folder DIR]\n"
                          "\n"
                          "Exports, imports, checks and merges the entries of Varnook's data file,\n"
                          "data.enc.\n"
                          "\n"
                          "Commands:\n"
                          "  export  Writes the entries as CSV in the column layout of KeePassXC\n"
                          "          (Group, Title, Username, Password, URL, Notes, TOTP, Icon,\n"
                          "          Last Modified, Created) to FILE, or to standard output.\n"
                          "  import  Adds the rows of a CSV file with a header row to the data file in\n"
                          "          one safe save. Columns are found by their header names, in any\n"
                          "          letter case: Username, Login Name or login_username; Password or\n"
                          "          login_password; URL, Web Site or login_uri (optional). Rows the\n"
                          "          data file cannot hold are listed on standard error by row number,\n"
                          "          the header being row 1, and left out. A folder without a data file\n"
                          "          gets one with a new master password. Refused while Varnook runs\n"
                          "          with the folder.\n"
                          "  check   Reports the data file's health without the master password: its\n"
                          "          entry lines, lines that would not read back as written, a missing\n"
                          "          master password line. Never shows a password.\n"
                          "  merge   Adds the entries of another data file FILE (a sync engine's\n"
                          "          conflict copy, a backup) that the data file lacks, in one safe\n"
                          "          save; entries equal in all three fields are one entry, and nothing\n"
                          "          is dropped. FILE's master password is asked after the data file's,\n"
                          "          only where it differs. Refused while Varnook runs with the folder.\n"
                          "\n"
                          "The master password is read without echo on a terminal (three tries), and\n"
                          "otherwise as one line from standard input. DIR is the folder that holds\n"
                          "data.enc; by default the folder varnook-cli is installed in.\n"
                          "\n") +
           optionsText +
           QStringLiteral("\n"
                          "Exit codes:\n"
                          "  0  Done; for check: the data file is clean.\n"
                          "  1  The data file has problems (check lists them).\n"
                          "  2  The command line is wrong.\n"
                          "  3  A file or folder could not be found, read or written, or the CSV file\n"
                          "     is malformed.\n"
                          "  4  The master password was wrong, not given or not acceptable.\n"
                          "  5  Varnook is running with the data file in this folder.\n"
                          "  6  Import: some rows were not imported; the others were saved.\n");
}

int CommandLine::run(const QStringList &arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version."));
    const QCommandLineOption folder(QStringLiteral("folder"), QStringLiteral("The folder that holds data.enc."),
                                    QStringLiteral("DIR"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("export: the CSV file to write instead of standard output."),
                                    QStringLiteral("FILE"));
    parser.addOptions({help, version, folder, output});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        // QCommandLineParser's own text without its usage line, which cannot show the commands.
        QString options = parser.helpText();
        options = options.mid(options.indexOf(QStringLiteral("Options:")));
        Console::writeOut(helpText(options).toUtf8());
        return exitCode(ExitCode::Success);
    }
    if (parser.isSet(version)) {
        Console::out(versionText());
        return exitCode(ExitCode::Success);
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return usageError(QStringLiteral("No command given: use export, import, check or merge."));
    if (parser.isSet(folder) && parser.value(folder).isEmpty())
        return usageError(QStringLiteral("--folder needs a folder."));
    const DataFolder dataFolder(parser.value(folder));
    const QString command = positional.first();

    if (command == QLatin1String("export")) {
        if (positional.size() > 1)
            return usageError(QStringLiteral("export takes no file argument; use --output FILE."));
        if (parser.isSet(output) && parser.value(output).isEmpty())
            return usageError(QStringLiteral("--output needs a file name."));
        return exitCode(ExportCommand(dataFolder, parser.value(output)).run());
    }
    if (parser.isSet(output))
        return usageError(QStringLiteral("--output belongs to export only."));
    if (command == QLatin1String("import")) {
        if (positional.size() != 2)
            return usageError(QStringLiteral("import needs exactly one CSV file."));
        return exitCode(ImportCommand(dataFolder, positional[1]).run());
    }
    if (command == QLatin1String("merge")) {
        if (positional.size() != 2)
            return usageError(QStringLiteral("merge needs exactly one data file to merge."));
        return exitCode(MergeCommand(dataFolder, positional[1]).run());
    }
    if (command == QLatin1String("check")) {
        if (positional.size() > 1)
            return usageError(QStringLiteral("check takes no file argument."));
        return exitCode(CheckCommand(dataFolder).run());
    }
    return usageError(QStringLiteral("Unknown command \"%1\": use export, import, check or merge.").arg(command));
}

} // namespace varnook
