#include "ChildProcess.h"

#include <QFile>
#include <QTemporaryFile>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace varnook::bench {

namespace {

QByteArray readAllOf(QTemporaryFile &file) {
    file.seek(0);
    return file.readAll();
}

// Kills the child when it runs too long; woken early when it has ended.
class Watchdog {
public:
    Watchdog(pid_t child, int seconds)
        : m_thread([this, child, seconds] {
            std::unique_lock lock(m_mutex);
            if (!m_ended.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_done; })) {
                m_fired = true;
                ::kill(-child, SIGKILL); // its process group: GNU time, the program and its helpers
            }
        }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_ended.notify_one();
        m_thread.join();
    }
    bool fired() const { return m_fired; }

private:
    std::mutex m_mutex;
    std::condition_variable m_ended;
    bool m_done = false;
    std::atomic<bool> m_fired = false;
    std::thread m_thread;
};

// The child runs in a process group of its own, which an interrupt of the benchmark does not reach:
// the benchmark ends it on the way out.
std::atomic<pid_t> runningGroup = 0;

void endRunningChild(int signal) {
    const pid_t group = runningGroup.load();
    if (group > 0)
        ::kill(-group, SIGKILL);
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void endChildrenOnInterrupt() {
    static const bool installed = [] {
        for (int signal : {SIGINT, SIGTERM, SIGHUP})
            ::signal(signal, endRunningChild);
        return true;
    }();
    (void)installed;
}

} // namespace

ChildResult runChild(const ChildRequest &request) {
    ChildResult result;
    QTemporaryFile input, output, errors;
    if (!input.open() || !output.open() || !errors.open() || input.write(request.input) != request.input.size() ||
        !input.flush())
        return result;
    const int outputDescriptor =
        request.outputFile.isEmpty()
            ? output.handle()
            : ::open(QFile::encodeName(request.outputFile).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (outputDescriptor < 0)
        return result;
    const int inputDescriptor = ::open(QFile::encodeName(input.fileName()).constData(), O_RDONLY | O_CLOEXEC);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputDescriptor, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, outputDescriptor, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errors.handle(), STDERR_FILENO);

    // The peak comes from GNU time, a small process that forks the program: the kernel carries the
    // peak of the process that calls exec over to the program, and a spawn from this process (which
    // holds every entry of the benchmark) would report this process's peak as the program's.
    QTemporaryFile peak;
    if (!peak.open())
        return result;
    std::vector<QByteArray> argumentBytes{QByteArrayLiteral("/usr/bin/time"),
                                          QByteArrayLiteral("-f"),
                                          QByteArrayLiteral("%M"),
                                          QByteArrayLiteral("-o"),
                                          QFile::encodeName(peak.fileName()),
                                          QFile::encodeName(request.program)};
    for (const QString &argument : request.arguments)
        argumentBytes.push_back(argument.toLocal8Bit());
    std::vector<char *> argv;
    for (QByteArray &argument : argumentBytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<QByteArray> environmentBytes;
    // A variable the request sets replaces the inherited one: the first of two would win.
    auto setByRequest = [&request](const QByteArray &variable) {
        const QByteArray name = variable.left(variable.indexOf('=') + 1);
        for (const QString &own : request.environment) {
            if (own.toLocal8Bit().startsWith(name))
                return true;
        }
        return false;
    };
    for (char **variable = environ; *variable; ++variable) {
        if (!setByRequest(QByteArray(*variable)))
            environmentBytes.emplace_back(*variable);
    }
    for (const QString &variable : request.environment)
        environmentBytes.push_back(variable.toLocal8Bit());
    std::vector<char *> envp;
    for (QByteArray &variable : environmentBytes)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    endChildrenOnInterrupt();
    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = ::posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    ::close(inputDescriptor);
    if (!request.outputFile.isEmpty())
        ::close(outputDescriptor);
    if (spawned != 0) {
        result.errors = QByteArray("cannot start ") + argv[0] + ": " + ::strerror(spawned);
        return result;
    }
    result.started = true;
    runningGroup = child;

    int status = 0;
    {
        Watchdog watchdog(child, request.timeoutSeconds);
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        result.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        result.timedOut = watchdog.fired();
    }
    runningGroup = 0;
    // GNU time passes the program's exit status on, and notes a signal that ended it above its figure.
    peak.seek(0);
    const QList<QByteArray> timeSaid = peak.readAll().trimmed().split('\n');
    const bool signalled = timeSaid.first().startsWith("Command terminated by signal");
    result.exitCode = WIFEXITED(status) && !signalled ? WEXITSTATUS(status) : -1;
    result.peakKb = timeSaid.last().toLong();
    if (request.outputFile.isEmpty())
        result.output = readAllOf(output);
    result.errors = readAllOf(errors);
    return result;
}

} // namespace varnook::bench
