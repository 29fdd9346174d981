#pragma once

#include "BenchSeams.h"
#include "XServerLink.h"

#include <QObject>
#include <QPointer>

class QWidget;

namespace varnook {
class EntryListView;
}

namespace varnook::bench {

// Watches the running program from inside: when the entry list and the status line have painted
// after the password box's OK, and the X server has drawn that, the start-up is over. Then, when
// asked, it clicks the first column's header through the X server and waits for the list's repaint.
// At the end it prints one line of monotonic timestamps (nanoseconds) and the process's peak memory,
// and ends the program.
class PaintProbe : public QObject {
    Q_OBJECT

public:
    PaintProbe(const AnsweringDialogs &dialogs, bool clickHeader, QObject *parent = nullptr);

    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Stage { Starting, WaitingForRelease, WaitingForSortPaint, Done };

    void onStartupPainted();
    void onSortPainted();
    void finish();
    void report();
    bool isListViewport(const QWidget *widget) const;
    static bool isStatusLine(const QWidget *widget);

    const AnsweringDialogs &m_dialogs;
    const bool m_clickHeader;
    XServerLink m_server;
    Stage m_stage = Stage::Starting;
    bool m_listPainted = false;
    bool m_statusPainted = false;
    QPointer<EntryListView> m_list;
    Clock::time_point m_painted;
    Clock::duration m_startupWaited{}; // the work behind the start-up's wait box (a protected file's key)
    Clock::time_point m_released;
    Clock::time_point m_sorted;
    long m_startupPeakKb = 0;
    bool m_reported = false;
};

} // namespace varnook::bench
