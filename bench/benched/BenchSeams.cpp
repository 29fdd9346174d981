#include "BenchSeams.h"

#include "XServerLink.h"

#include <QEvent>
#include <QInputDialog>
#include <QLineEdit>
#include <QTimer>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace varnook::bench {

namespace {

// 80 ms a key: about 150 words a minute.
constexpr int TypingGapMs = 80;
constexpr int TypingLimitMs = 30000;
constexpr quint32 ReturnKey = 0xff0d; // the key symbol of Return

[[noreturn]] void failRun(const QString &why) {
    std::fprintf(stderr, "varnook-benched: %s\n", qPrintable(why));
    std::fflush(stderr);
    std::_Exit(3);
}

QString requiredEnvironment(const char *name) {
    const QString value = qEnvironmentVariable(name);
    if (value.isEmpty())
        failRun(QStringLiteral("%1 is not set").arg(QLatin1String(name)));
    return value;
}

// Runs a call once the widget has first painted: the widgets paint into the window's image, which is
// sent to the server after the last of them, so a queued call runs once it has been sent.
class AfterFirstPaint : public QObject {
public:
    AfterFirstPaint(QWidget *widget, std::function<void()> call)
        : QObject(widget)
        , m_call(std::move(call)) {
        widget->installEventFilter(this);
    }

    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint && !m_painted) {
            m_painted = true;
            QMetaObject::invokeMethod(this, m_call, Qt::QueuedConnection);
        }
        return false;
    }

private:
    std::function<void()> m_call;
    bool m_painted = false;
};

} // namespace

MessageAnswer AnsweringDialogs::messageBox(const MessageBoxRequest &request) {
    failRun(QStringLiteral("a box the benchmark did not expect: %1: %2").arg(request.title, request.text));
}

QString AnsweringDialogs::inputBox(const QString &prompt, const QString &title, bool masked) {
    // A second box means the password was refused: the start is not the one being measured.
    if (++m_asked > 1)
        failRun(QStringLiteral("the password box came again: %1").arg(prompt));
    // The box a user gets, up on the X server and taking keys, is what the launch is timed to.
    QInputDialog box;
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
    box.setInputMode(QInputDialog::TextInput);
    // The password is typed through the X server as a fast typist types it, then Enter: the program
    // reads the data file meanwhile, as it does while a user types.
    QTimer typing;
    typing.setInterval(TypingGapMs);
    qsizetype typed = 0;
    const XServerLink server;
    QObject::connect(&typing, &QTimer::timeout, &box, [&] {
        const quint32 key = typed < m_password.size() ? quint32(m_password[typed].unicode()) : ReturnKey;
        if (!server.typeKey(key))
            failRun(QStringLiteral("no key of the X server's keyboard types the password's \"%1\"")
                        .arg(m_password.mid(typed, 1)));
        if (++typed > m_password.size())
            typing.stop();
    });
    new AfterFirstPaint(&box, [this, &box, &typing, &server] {
        server.roundTrip();
        m_promptTime = Clock::now();
        box.activateWindow();
        typing.start();
    });
    QObject::connect(&box, &QDialog::accepted, &box, [this] { m_okTime = Clock::now(); });
    QTimer::singleShot(TypingLimitMs, &box, [] { failRun(QStringLiteral("the password box did not get its keys")); });
    if (box.exec() != QDialog::Accepted)
        failRun(QStringLiteral("the password box was closed without its OK"));
    if (box.textValue() != m_password)
        failRun(QStringLiteral("the password box got other keys than the password's"));
    m_waited = {};
    return box.textValue();
}

void AnsweringDialogs::waitFor(const QString &, const QString &, const std::function<void()> &work) {
    const Clock::time_point start = Clock::now();
    runOffThread(work);
    m_waited += Clock::now() - start;
}

AnsweringDialogs &installBenchSeams() {
    static AnsweringDialogs dialogs(requiredEnvironment("VARNOOK_BENCH_PASSWORD"));
    Platform &p = platform();
    p.dialogs = &dialogs;
    p.programFolder = requiredEnvironment("VARNOOK_BENCH_FOLDER");
    p.dataFolder = p.programFolder;
    p.settingsFile = requiredEnvironment("VARNOOK_BENCH_SETTINGS");
    return dialogs;
}

} // namespace varnook::bench
