#pragma once

#include "BenchSeams.h"
#include "XServerLink.h"

#include <QObject>
#include <QPointer>

#include <optional>

class QWidget;

namespace varnook {
class EntryListView;
class MainWindow;
} // namespace varnook

namespace varnook::bench {

// Watches the running program from inside: when the entry list and the status line have painted
// after the password box's OK, and the X server has drawn that, the start-up is over. Then, when
// asked, it clicks the first column's header through the X server and waits for the list's repaint.
// Once the peak memory is read, when asked, another writer's file is renamed over the data file, and
// it waits from the session's start of reading it to the reloaded list and status line on the
// server. Then, when asked, it opens the find bar, types one key in it through the X server and waits
// for the filtered list on the server. At the end it prints one line of monotonic timestamps (nanoseconds) and the
// process's peak memory, and ends the program.
class PaintProbe : public QObject {
    Q_OBJECT

public:
    struct Steps {
        bool clickHeader = false;
        QString reloadFrom; // the other writer's file to rename over the data file; empty for no reload
        bool findKey = false;
        std::optional<Clock::time_point> launched; // when the benchmark started the program
    };

    PaintProbe(const AnsweringDialogs &dialogs, Steps steps, QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Stage {
        Starting,
        WaitingForRelease,
        WaitingForSortPaint,
        Settling, // the banner's page coming in, before the peak memory is read
        WaitingForReload,
        WaitingForReloadPaint,
        OpeningFindBar,
        WaitingForKey,
        WaitingForFindPaint,
        Done
    };

    void onStartupPainted();
    void onSortPainted();
    void finish();
    void readPeak();
    void startReload(MainWindow *main);
    void onReloadPainted();
    void startFind();
    void onFoundPainted();
    void report();
    MainWindow *mainWindow() const;
    // Both the list and the status line have painted since the last reset: true once.
    bool notePaint(const QWidget *widget);
    bool isListViewport(const QWidget *widget) const;
    static bool isStatusLine(const QWidget *widget);

    const AnsweringDialogs &m_dialogs;
    const bool m_clickHeader;
    const QString m_reloadFrom;
    const bool m_findKey;
    const std::optional<Clock::time_point> m_launched;
    XServerLink m_server;
    Stage m_stage = Stage::Starting;
    bool m_listPainted = false;
    bool m_statusPainted = false;
    QPointer<EntryListView> m_list;
    Clock::time_point m_painted;
    Clock::duration m_startupWaited{};       // the work behind the start-up's wait box (a protected file's key)
    std::chrono::nanoseconds m_startupKdf{}; // of that, the key's derivation, as the key timed it
    Clock::time_point m_released;
    Clock::time_point m_sorted;
    Clock::time_point m_reloadSeen;
    Clock::time_point m_reloaded;
    Clock::time_point m_keyed;
    Clock::time_point m_found;
    long m_startupPeakKb = 0;
    long m_peakKb = 0;
    long m_pssKb = 0;
    bool m_peakRead = false;
    bool m_reported = false;
};

} // namespace varnook::bench
