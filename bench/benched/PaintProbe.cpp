#include "PaintProbe.h"

#include "EntryListView.h"
#include "FindBar.h"
#include "MainWindow.h"
#include "Platform.h"
#include "ProbeLine.h"
#include "Session.h"
#include "WebBrowser.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMap>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace varnook::bench {

namespace {
constexpr int BannerWaitMs = 10000;
// The session looks at a changed file after a moment of quiet; far more means it never did.
constexpr int ReloadWaitMs = 30000;
// A user opens the find bar and types a moment later: the bar's folding of the rows is done by then.
constexpr int FindBarOpenMs = 2000;
// The key the find bar gets: one that many of the benchmark's entries hold, and some do not.
constexpr quint32 FindKey = 'q';
} // namespace

namespace {

constexpr int ScreenshotDelayMs = 3000;

long long nanoseconds(Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

// A "Vm...:" figure of this process, in kB.
long statusFigureKb(const QByteArray &name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').first().toLong();
    }
    return 0;
}

// The proportional set size of this process and of its descendants (the web engine's helpers), in kB:
// what a system monitor counts for the program. 0 when this process's own cannot be read.
long programPssKb() {
    // Each process's parent, from /proc/<pid>/stat: "pid (name) state ppid …", the name may hold blanks.
    QMap<long, QList<long>> children;
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : processes) {
        bool isProcess = false;
        const long pid = name.toLong(&isProcess);
        QFile stat(QStringLiteral("/proc/%1/stat").arg(name));
        if (!isProcess || !stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1)
            children[fields[1].toLong()].append(pid);
    }
    const auto pssOf = [](long pid) {
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
        if (!rollup.open(QIODevice::ReadOnly))
            return 0L;
        for (const QByteArray &line : rollup.readAll().split('\n')) {
            if (line.startsWith("Pss:"))
                return line.mid(4).trimmed().split(' ').first().toLong();
        }
        return 0L;
    };
    const long own = pssOf(long(QCoreApplication::applicationPid()));
    if (own == 0)
        return 0;
    long total = 0;
    QList<long> pending = {long(QCoreApplication::applicationPid())};
    while (!pending.isEmpty()) {
        const long pid = pending.takeLast();
        total += pssOf(pid);
        pending += children.value(pid);
    }
    return total;
}

// Where the memory is, for working out what to shrink: /proc/self/smaps when VARNOOK_BENCH_SMAPS
// names a file.
void copyMemoryMap() {
    const QString target = qEnvironmentVariable("VARNOOK_BENCH_SMAPS");
    if (target.isEmpty())
        return;
    QFile smaps(QStringLiteral("/proc/self/smaps"));
    QFile copy(target);
    if (smaps.open(QIODevice::ReadOnly) && copy.open(QIODevice::WriteOnly | QIODevice::Truncate))
        copy.write(smaps.readAll());
}

[[noreturn]] void failRun(const char *why) {
    std::fprintf(stderr, "varnook-benched: %s\n", why);
    std::fflush(stderr);
    std::_Exit(3);
}

} // namespace

PaintProbe::PaintProbe(const AnsweringDialogs &dialogs, Steps steps, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_clickHeader(steps.clickHeader)
    , m_reloadFrom(std::move(steps.reloadFrom))
    , m_findKey(steps.findKey)
    , m_launched(steps.launched) {
    if (!m_server.isValid())
        failRun("the program does not run on the X server (QT_QPA_PLATFORM=xcb)");
    if ((m_clickHeader || m_findKey) && !m_server.hasFakeInput())
        failRun("the X server has no XTest extension to click and type with");
}

bool PaintProbe::isListViewport(const QWidget *widget) const {
    auto *list = qobject_cast<EntryListView *>(widget->parentWidget());
    return list && list->viewport() == widget && list->window()->objectName() == QLatin1String("Form1");
}

bool PaintProbe::isStatusLine(const QWidget *widget) {
    for (const QWidget *w = widget; w && !w->isWindow(); w = w->parentWidget()) {
        if (w->objectName() == QLatin1String("StatusBar1"))
            return w->window()->objectName() == QLatin1String("Form1");
    }
    return false;
}

bool PaintProbe::notePaint(const QWidget *widget) {
    if (m_listPainted && m_statusPainted)
        return false;
    if (isListViewport(widget)) {
        m_listPainted = true;
        m_list = qobject_cast<EntryListView *>(widget->parentWidget());
    } else if (isStatusLine(widget)) {
        m_statusPainted = true;
    }
    return m_listPainted && m_statusPainted;
}

bool PaintProbe::eventFilter(QObject *watched, QEvent *event) {
    if (m_stage == Stage::Done || !watched->isWidgetType() || !m_dialogs.okTime())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    switch (m_stage) {
    case Stage::Starting:
        // The widgets paint into the window's image and that is sent to the server after the
        // last of them: a queued call runs once it has been sent.
        if (event->type() == QEvent::Paint && notePaint(widget))
            QMetaObject::invokeMethod(this, &PaintProbe::onStartupPainted, Qt::QueuedConnection);
        break;
    case Stage::WaitingForRelease:
        if (event->type() == QEvent::MouseButtonRelease && m_list && watched == m_list->header()->viewport()) {
            m_released = Clock::now();
            m_stage = Stage::WaitingForSortPaint;
        }
        break;
    case Stage::WaitingForSortPaint:
        if (event->type() == QEvent::Paint && isListViewport(widget)) {
            m_stage = Stage::Done;
            QMetaObject::invokeMethod(this, &PaintProbe::onSortPainted, Qt::QueuedConnection);
        }
        break;
    case Stage::WaitingForReloadPaint:
        if (event->type() == QEvent::Paint && notePaint(widget))
            QMetaObject::invokeMethod(this, &PaintProbe::onReloadPainted, Qt::QueuedConnection);
        break;
    case Stage::WaitingForKey:
        if (event->type() == QEvent::KeyPress && mainWindow() && watched == mainWindow()->findBar()->findBox()) {
            m_keyed = Clock::now();
            m_stage = Stage::WaitingForFindPaint;
        }
        break;
    case Stage::WaitingForFindPaint:
        if (event->type() == QEvent::Paint && isListViewport(widget)) {
            m_stage = Stage::Done;
            QMetaObject::invokeMethod(this, &PaintProbe::onFoundPainted, Qt::QueuedConnection);
        }
        break;
    case Stage::Settling:
    case Stage::WaitingForReload:
    case Stage::OpeningFindBar:
    case Stage::Done:
        break;
    }
    return false;
}

MainWindow *PaintProbe::mainWindow() const {
    return m_list ? qobject_cast<MainWindow *>(m_list->window()) : nullptr;
}

void PaintProbe::onStartupPainted() {
    m_server.roundTrip();
    m_painted = Clock::now();
    m_startupWaited = m_dialogs.waited();
    if (const MainWindow *main = mainWindow(); main && main->session().key())
        m_startupKdf = main->session().key()->derivationTime();
    m_startupPeakKb = statusFigureKb("VmHWM:");
    if (!m_clickHeader || !m_list) {
        finish();
        return;
    }
    QHeaderView *header = m_list->header();
    const int column = header->logicalIndexAt(0) >= 0 ? header->logicalIndexAt(0) : 0;
    const QPoint centre(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->viewport()->height() / 2);
    m_stage = Stage::WaitingForRelease;
    m_server.click(header->viewport()->mapToGlobal(centre));
}

void PaintProbe::onSortPainted() {
    m_server.roundTrip();
    m_sorted = Clock::now();
    finish();
}

void PaintProbe::finish() {
    m_stage = Stage::Settling;
    // The banner's web view starts after the first paint: the program's peak counts it only once its
    // page is in, so the peak is read then (or after BannerWaitMs, if it never comes).
    MainWindow *main = mainWindow();
    if (!main) {
        readPeak();
        return;
    }
    QTimer::singleShot(BannerWaitMs, this, &PaintProbe::readPeak);
    auto *wait = new QTimer(this);
    wait->setInterval(5);
    connect(wait, &QTimer::timeout, this, [this, main, wait] {
        auto *banner = main->findChild<WebBrowser *>(QStringLiteral("wbBanner"));
        if (!banner || m_peakRead) {
            wait->stop();
            readPeak();
        } else if (main->bannerStarted()) {
            wait->stop();
            connect(banner, &WebBrowser::downloadComplete, this, &PaintProbe::readPeak, Qt::SingleShotConnection);
        }
    });
    wait->start();
}

void PaintProbe::readPeak() {
    if (m_peakRead)
        return;
    m_peakRead = true;
    // Before the reload, which holds the old and the new list for a moment: the rss line is the
    // start-up's and the sort's.
    m_peakKb = statusFigureKb("VmHWM:");
    m_pssKb = programPssKb();
    MainWindow *main = mainWindow();
    if (m_reloadFrom.isEmpty() || !main) {
        startFind();
        return;
    }
    startReload(main);
}

void PaintProbe::startReload(MainWindow *main) {
    m_stage = Stage::WaitingForReload;
    Session &session = main->session();
    connect(
        &session, &Session::reloadStarted, this,
        [this] {
            m_reloadSeen = Clock::now();
            m_listPainted = false;
            m_statusPainted = false;
            m_stage = Stage::WaitingForReloadPaint;
        },
        Qt::SingleShotConnection);
    // Another computer's save as a sync engine brings it: a whole new file renamed over the data file.
    if (std::rename(QFile::encodeName(m_reloadFrom).constData(),
                    QFile::encodeName(session.dataFile().path()).constData()) != 0)
        failRun("the other writer's file could not be renamed over the data file");
    QTimer::singleShot(ReloadWaitMs, this, [this] {
        if (m_stage != Stage::Done)
            failRun("the program did not show the other writer's file");
    });
}

void PaintProbe::onReloadPainted() {
    m_server.roundTrip();
    m_reloaded = Clock::now();
    startFind();
}

void PaintProbe::startFind() {
    MainWindow *main = mainWindow();
    if (!m_findKey || !main) {
        report();
        return;
    }
    m_stage = Stage::OpeningFindBar;
    main->activateWindow();
    main->findAction()->trigger();
    QTimer::singleShot(FindBarOpenMs, this, [this] {
        MainWindow *main = mainWindow();
        if (!main || !main->findBar()->findBox()->hasFocus())
            failRun("the find bar's box did not take the focus");
        m_stage = Stage::WaitingForKey;
        if (!m_server.typeKey(FindKey))
            failRun("no key of the X server's keyboard types the find bar's key");
        QTimer::singleShot(ReloadWaitMs, this, [this] {
            if (m_stage != Stage::Done)
                failRun("the find bar's key did not filter the list");
        });
    });
}

void PaintProbe::onFoundPainted() {
    m_server.roundTrip();
    m_found = Clock::now();
    report();
}

void PaintProbe::report() {
    if (m_reported)
        return;
    m_stage = Stage::Done;
    m_reported = true;
    ProbeFigures figures;
    figures.prompted = m_launched && m_dialogs.promptTime();
    if (figures.prompted) {
        figures.launchedNs = nanoseconds(*m_launched);
        figures.promptNs = nanoseconds(*m_dialogs.promptTime());
    }
    figures.okNs = nanoseconds(*m_dialogs.okTime());
    figures.paintedNs = nanoseconds(m_painted);
    figures.waitedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(m_startupWaited).count();
    figures.kdfNs = m_startupKdf.count();
    figures.clicked = m_clickHeader;
    figures.releasedNs = nanoseconds(m_released);
    figures.sortedNs = nanoseconds(m_sorted);
    figures.reloaded = !m_reloadFrom.isEmpty() && m_reloaded != Clock::time_point();
    figures.reloadSeenNs = nanoseconds(m_reloadSeen);
    figures.reloadPaintedNs = nanoseconds(m_reloaded);
    figures.startupPeakKb = m_startupPeakKb;
    figures.peakKb = m_peakKb;
    figures.pssKb = m_pssKb;
    figures.found = m_found != Clock::time_point();
    figures.keyNs = nanoseconds(m_keyed);
    figures.foundNs = nanoseconds(m_found);
    std::printf("%s\n", probeLine(figures).constData());
    std::fflush(stdout);
    copyMemoryMap();
    // VARNOOK_BENCH_SCREENSHOT=<file.png>: the screen as the X server shows it a few seconds later,
    // when the banner's page has come, to compare how the program looks under other settings.
    const QString screenshot = qEnvironmentVariable("VARNOOK_BENCH_SCREENSHOT");
    if (screenshot.isEmpty()) {
        platform().process->endProgram(0);
        return;
    }
    QTimer::singleShot(ScreenshotDelayMs, this, [screenshot] {
        if (QScreen *screen = QGuiApplication::primaryScreen())
            screen->grabWindow(0).save(screenshot);
        platform().process->endProgram(0);
    });
}

} // namespace varnook::bench
