#include "PaintProbe.h"

#include "EntryListView.h"
#include "MainWindow.h"
#include "Platform.h"
#include "ProbeLine.h"
#include "Session.h"
#include "WebBrowser.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QHeaderView>
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

PaintProbe::PaintProbe(const AnsweringDialogs &dialogs, bool clickHeader, QString reloadFrom, QObject *parent)
    : QObject(parent)
    , m_dialogs(dialogs)
    , m_clickHeader(clickHeader)
    , m_reloadFrom(std::move(reloadFrom)) {
    if (!m_server.isValid())
        failRun("the program does not run on the X server (QT_QPA_PLATFORM=xcb)");
    if (m_clickHeader && !m_server.hasFakeInput())
        failRun("the X server has no XTest extension to click with");
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
    case Stage::Settling:
    case Stage::WaitingForReload:
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
    MainWindow *main = mainWindow();
    if (m_reloadFrom.isEmpty() || !main) {
        report();
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
    report();
}

void PaintProbe::report() {
    if (m_reported)
        return;
    m_stage = Stage::Done;
    m_reported = true;
    ProbeFigures figures;
    figures.okNs = nanoseconds(*m_dialogs.okTime());
    figures.paintedNs = nanoseconds(m_painted);
    figures.waitedNs = std::chrono::duration_cast<std::chrono::nanoseconds>(m_startupWaited).count();
    figures.clicked = m_clickHeader;
    figures.releasedNs = nanoseconds(m_released);
    figures.sortedNs = nanoseconds(m_sorted);
    figures.reloaded = !m_reloadFrom.isEmpty() && m_reloaded != Clock::time_point();
    figures.reloadSeenNs = nanoseconds(m_reloadSeen);
    figures.reloadPaintedNs = nanoseconds(m_reloaded);
    figures.startupPeakKb = m_startupPeakKb;
    figures.peakKb = m_peakKb;
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
