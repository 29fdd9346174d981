#include "ProgramArguments.h"

#include <cstdio>

namespace varnook {

namespace {

constexpr int UsageExitCode = 2;

// Qt's own options that take a value, as the application and its platform plugins read them.
const QStringList &qtValueOptions() {
    static const QStringList options = {
        QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
        QStringLiteral("display"),         QStringLiteral("geometry"),
        QStringLiteral("qwindowgeometry"), QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),    QStringLiteral("session"),
        QStringLiteral("style"),           QStringLiteral("stylesheet"),
    };
    return options;
}

const QStringList &qtSwitches() {
    static const QStringList options = {QStringLiteral("reverse"), QStringLiteral("widgetcount")};
    return options;
}

// Qt reads these two in the form -name=value as well.
bool takesJoinedValue(const QString &name) {
    return name == QLatin1String("style") || name == QLatin1String("stylesheet");
}

} // namespace

ProgramArguments ProgramArguments::read(const QStringList &arguments) {
    ProgramArguments result;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            result.m_request = Request::Help;
            return result;
        }
        if (argument == QLatin1String("--version") || argument == QLatin1String("-v")) {
            // --help wins wherever it stands; --version only over running.
            result.m_request = Request::Version;
            continue;
        }
        // The web engine's own options follow this one; none of them is the program's to judge.
        if (argument == QLatin1String("--webEngineArgs"))
            break;
        if (!argument.startsWith(QLatin1Char('-')) || argument.size() == 1) {
            result.m_request = Request::Refused;
            result.m_problem = QStringLiteral("Unexpected argument '%1': Varnook takes options only.").arg(argument);
            return result;
        }
        // Qt takes its options with one dash or two.
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals > 0 && takesJoinedValue(name.left(equals)))
            continue;
        if (qtSwitches().contains(name))
            continue;
        if (qtValueOptions().contains(name)) {
            if (i + 1 == arguments.size()) {
                result.m_request = Request::Refused;
                result.m_problem = QStringLiteral("Missing value after '%1'.").arg(argument);
                return result;
            }
            ++i;
            continue;
        }
        result.m_request = Request::Refused;
        result.m_problem = QStringLiteral("Unknown option '%1'.").arg(argument);
        return result;
    }
    return result;
}

QString ProgramArguments::versionText(const VersionRecord &record) {
    return QStringLiteral("%1 %2.%3.%4").arg(record.productName).arg(record.major).arg(record.minor).arg(record.patch);
}

QString ProgramArguments::helpText() {
    return QStringLiteral("Usage: varnook [OPTION]...\n"
                          "\n"
                          "Keeps a list of user names, passwords and the places they are used (a web\n"
                          "address, a host name, a folder) in one window. The list lives in the data file\n"
                          "data.enc, behind a master password that is created at the first start and\n"
                          "asked at every later one; every change is saved at once. varnook-cli works on\n"
                          "the same file from the command line.\n"
                          "\n"
                          "Options:\n"
                          "  -h, --help                  Shows this help and ends.\n"
                          "  -v, --version               Shows the program's name and version and ends.\n"
                          "  --webEngineArgs ARG...      Hands every argument after it to the web engine of\n"
                          "                              the browser window and the banner (Chromium's own\n"
                          "                              options, such as --remote-debugging-port=PORT).\n"
                          "\n"
                          "Qt's options (one dash or two):\n"
                          "  -platform NAME              The window system: xcb, wayland or offscreen, as\n"
                          "                              QT_QPA_PLATFORM sets it.\n"
                          "  -platformpluginpath DIR     Where Qt looks for window system plugins.\n"
                          "  -platformtheme NAME         Qt's platform theme.\n"
                          "  -plugin NAME                Loads one more of Qt's input plugins.\n"
                          "  -display DISPLAY            The X display (xcb only).\n"
                          "  -geometry GEOMETRY          As -qwindowgeometry (xcb only).\n"
                          "  -qwindowgeometry GEOMETRY   The first window's size and place, WxH+X+Y.\n"
                          "  -qwindowicon FILE           The windows' icon.\n"
                          "  -qwindowtitle TITLE         The first window's title.\n"
                          "  -session ID                 The session manager's session to restore.\n"
                          "  -style NAME                 Qt's widget style under the skin, also\n"
                          "                              -style=NAME.\n"
                          "  -stylesheet FILE            A Qt style sheet, also -stylesheet=FILE.\n"
                          "  -reverse                    Lays the windows out right to left.\n"
                          "  -widgetcount                Prints how many widgets were left at the end.\n"
                          "\n"
                          "Exit status:\n"
                          "  0  Varnook ended normally, or answered --help or --version.\n"
                          "  1  The login was refused, the creation of the master password was cancelled,\n"
                          "     or the data folder could not be locked.\n"
                          "  2  The command line is wrong.\n");
}

namespace {

void write(std::FILE *stream, const QString &text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

std::optional<int> answerCommandLine(int argc, char *argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const ProgramArguments read = ProgramArguments::read(arguments);
    switch (read.request()) {
    case ProgramArguments::Request::Run:
        return std::nullopt;
    case ProgramArguments::Request::Help:
        write(stdout, ProgramArguments::helpText());
        return 0;
    case ProgramArguments::Request::Version:
        write(stdout, ProgramArguments::versionText(VersionRecord::builtIn()) + QLatin1Char('\n'));
        return 0;
    case ProgramArguments::Request::Refused:
        write(stderr, read.problem() + QStringLiteral("\nTry \"varnook --help\".\n"));
        return UsageExitCode;
    }
    return UsageExitCode;
}

} // namespace varnook
