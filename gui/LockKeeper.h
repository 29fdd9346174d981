#pragma once

#include "DataFolderLock.h"

#include <QObject>
#include <QTimer>

namespace varnook {

// Keeps the program's folder lock alive while it runs: refreshes it every few seconds, so that a
// copy on another computer can tell that this one lives, and turns what a refresh finds (another
// copy opened the folder too, or took the lock over) into a status line, once each.
class LockKeeper : public QObject {
    Q_OBJECT

public:
    static constexpr int DefaultPeriodMs = DataFolderLock::RefreshSeconds * 1000;

    // The lock outlives the keeper. Tests pass a shorter period.
    explicit LockKeeper(DataFolderLock &lock, int periodMs = DefaultPeriodMs, QObject *parent = nullptr);

    // Looks at once (a copy may be there already), then every period.
    void start();

signals:
    void status(const QString &text);

private:
    void refresh();

    DataFolderLock &m_lock;
    QTimer m_timer;
};

} // namespace varnook
