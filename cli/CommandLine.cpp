#include "CommandLine.h"

#include "ChangePasswordCommand.h"
#include "CheckCommand.h"
#include "Console.h"
#include "ExitCode.h"
#include "ExportCommand.h"
#include "ImportCommand.h"
#include "MergeCommand.h"
#include "ProtectCommand.h"
#include "VersionRecord.h"

#include <QCommandLineParser>

#include <limits>

namespace varnook {

namespace {

int usageError(const QString &problem) {
    Console::err(problem);
    Console::err(QStringLiteral("Try \"varnook-cli --help\"."));
    return exitCode(ExitCode::Usage);
}

QString commandList() {
    return QStringLiteral("export, import, check, merge, protect, unprotect or passwd");
}

// The key derivation cost --kdf-passes and --kdf-memory choose, the default for each one left out;
// nothing when neither is given. problem: why the values are refused, or empty.
std::optional<KdfCost> chosenCost(const QCommandLineParser &parser, const QCommandLineOption &passes,
                                  const QCommandLineOption &memory, QString &problem) {
    if (!parser.isSet(passes) && !parser.isSet(memory))
        return std::nullopt;
    KdfCost cost = KdfCost::forNewFiles();
    bool ok = true;
    if (parser.isSet(passes)) {
        cost.passes = parser.value(passes).toUInt(&ok);
        if (!ok) {
            problem = QStringLiteral("--kdf-passes needs a whole number.");
            return std::nullopt;
        }
    }
    if (parser.isSet(memory)) {
        const quint64 mebibytes = parser.value(memory).toULongLong(&ok);
        if (!ok) {
            problem = QStringLiteral("--kdf-memory needs a whole number of MiB.");
            return std::nullopt;
        }
        // Past what the header can hold is past what this version allows too.
        constexpr std::uint32_t most = std::numeric_limits<std::uint32_t>::max();
        cost.memoryKiB = mebibytes > most / 1024 ? most : std::uint32_t(mebibytes * 1024);
    }
    if (const std::optional<QString> refused = cost.problem()) {
        problem = QStringLiteral("The key derivation cost is refused: ") + *refused + QStringLiteral(".");
        return std::nullopt;
    }
    return cost;
}

} // namespace

QString CommandLine::versionText() {
    const VersionRecord version = VersionRecord::builtIn();
    return QStringLiteral("varnook-cli %1.%2.%3").arg(version.major).arg(version.minor).arg(version.patch);
}

QString CommandLine::helpText(const QString &optionsText) {
    return QStringLiteral("Usage: varnook-cli export [--folder DIR] [--output FILE]\n"
                          "   or: varnook-cli import FILE.csv [--folder DIR]\n"
                          "   or: varnook-cli check [--folder DIR]\n"
                          "   or: varnook-cli merge FILE [--folder DIR]\n"
                          "   or: varnook-cli protect [--folder DIR] [--kdf-passes N] [--kdf-memory MIB]\n"
                          "   or: varnook-cli unprotect [--folder DIR]\n"
                          "   or: varnook-cli passwd [--folder DIR] [--kdf-passes N] [--kdf-memory MIB]\n"
                          "\n"
                          "Exports, imports, checks and merges the entries of Varnook's data file,\n"
                          "data.enc, protects it and changes its master password. Every command works\n"
                          "on both forms of the file, plain and protected.\n"
                          "\n"
                          "Commands:\n"
                          "  export     Writes the entries as CSV in the column layout of KeePassXC\n"
                          "             (Group, Title, Username, Password, URL, Notes, TOTP, Icon,\n"
                          "             Last Modified, Created) to FILE, or to standard output.\n"
                          "  import     Adds the rows of a CSV file with a header row to the data file\n"
                          "             in one safe save. Columns are found by their header names, in\n"
                          "             any letter case: Username, Login Name or login_username;\n"
                          "             Password or login_password; URL, Web Site or login_uri\n"
                          "             (optional). Rows the data file cannot hold are listed on\n"
                          "             standard error by row number, the header being row 1, and left\n"
                          "             out. A folder without a data file gets one with a new master\n"
                          "             password. Refused while Varnook runs with the folder.\n"
                          "  check      Reports the data file's health without the master password: its\n"
                          "             entry lines, lines that would not read back as written, a\n"
                          "             missing master password line; for a protected file its header\n"
                          "             (format version, key derivation and its cost, size) and whether\n"
                          "             the file's size matches it. Never shows a password.\n"
                          "  merge      Adds the entries of another data file FILE (a sync engine's\n"
                          "             conflict copy, a backup) that the data file lacks, in one safe\n"
                          "             save; entries equal in all three fields are one entry, and\n"
                          "             nothing is dropped. FILE's master password is asked after the\n"
                          "             data file's, only where it differs. Refused while Varnook runs\n"
                          "             with the folder.\n"
                          "  protect    Encrypts the data file with a key made from its master password\n"
                          "             (Argon2id, XChaCha20-Poly1305), so that a copy of it reveals\n"
                          "             nothing without the password. The original program cannot read\n"
                          "             a protected file. Refused while Varnook runs with the folder.\n"
                          "  unprotect  Gives a protected data file its plain form back, byte for byte.\n"
                          "             Refused while Varnook runs with the folder.\n"
                          "  passwd     Replaces the master password: the current one, then the new one\n"
                          "             twice. A protected file stays protected, under a new key. Refused\n"
                          "             while Varnook runs with the folder.\n"
                          "\n"
                          "The master password is read without echo on a terminal (three tries), and\n"
                          "otherwise as one line from standard input; passwd reads the current one,\n"
                          "then the new one twice. DIR is the folder that holds data.enc; by default\n"
                          "the folder varnook-cli is installed in, where that can be written or holds\n"
                          "data.enc, else $XDG_DATA_HOME/Varnook (~/.local/share/Varnook), as for\n"
                          "Varnook itself. The key derivation of protect and of passwd on a protected\n"
                          "file costs 20 passes over 64 MiB (about one second) unless --kdf-passes and\n"
                          "--kdf-memory choose another: at least 1 pass and 1 MiB, at most 64 passes\n"
                          "and 4096 MiB.\n"
                          "\n") +
           optionsText +
           QStringLiteral("\n"
                          "Exit codes:\n"
                          "  0  Done; for check: the data file is clean.\n"
                          "  1  The data file has problems (check lists them) or is damaged.\n"
                          "  2  The command line is wrong, or the command does not fit the file\n"
                          "     (protect on a protected one, unprotect on a plain one).\n"
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
    const QCommandLineOption kdfPasses(QStringLiteral("kdf-passes"),
                                       QStringLiteral("protect, passwd: Argon2id passes of the new key."),
                                       QStringLiteral("N"));
    const QCommandLineOption kdfMemory(QStringLiteral("kdf-memory"),
                                       QStringLiteral("protect, passwd: Argon2id memory of the new key."),
                                       QStringLiteral("MIB"));
    parser.addOptions({help, version, folder, output, kdfPasses, kdfMemory});
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
        return usageError(QStringLiteral("No command given: use %1.").arg(commandList()));
    if (parser.isSet(folder) && parser.value(folder).isEmpty())
        return usageError(QStringLiteral("--folder needs a folder."));
    const DataFolder dataFolder(parser.value(folder));
    const QString command = positional.first();

    const bool choosesKey = command == QLatin1String("protect") || command == QLatin1String("passwd");
    if (!choosesKey && (parser.isSet(kdfPasses) || parser.isSet(kdfMemory)))
        return usageError(QStringLiteral("--kdf-passes and --kdf-memory belong to protect and passwd only."));
    if (command == QLatin1String("export")) {
        if (positional.size() > 1)
            return usageError(QStringLiteral("export takes no file argument; use --output FILE."));
        if (parser.isSet(output) && parser.value(output).isEmpty())
            return usageError(QStringLiteral("--output needs a file name."));
        return exitCode(ExportCommand(dataFolder, parser.value(output)).run());
    }
    if (parser.isSet(output))
        return usageError(QStringLiteral("--output belongs to export only."));
    if (choosesKey || command == QLatin1String("unprotect")) {
        if (positional.size() > 1)
            return usageError(QStringLiteral("%1 takes no file argument.").arg(command));
        QString problem;
        const std::optional<KdfCost> cost = chosenCost(parser, kdfPasses, kdfMemory, problem);
        if (!problem.isEmpty())
            return usageError(problem);
        if (command == QLatin1String("protect"))
            return exitCode(ProtectCommand(dataFolder, cost.value_or(KdfCost::forNewFiles())).run());
        if (command == QLatin1String("unprotect"))
            return exitCode(UnprotectCommand(dataFolder).run());
        return exitCode(ChangePasswordCommand(dataFolder, cost).run());
    }
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
    return usageError(QStringLiteral("Unknown command \"%1\": use %2.").arg(command, commandList()));
}

} // namespace varnook
