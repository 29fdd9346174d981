#include "LockKeeper.h"

#include "Messages.h"

namespace varnook {

LockKeeper::LockKeeper(DataFolderLock &lock, int periodMs, QObject *parent)
    : QObject(parent)
    , m_lock(lock) {
    m_timer.setInterval(periodMs);
    connect(&m_timer, &QTimer::timeout, this, &LockKeeper::refresh);
}

void LockKeeper::start() {
    m_timer.start();
    refresh();
}

void LockKeeper::refresh() {
    const DataFolderLock::Refreshed found = m_lock.refresh();
    if (!found.lockTakenBy.isEmpty())
        emit status(Messages::lockTakenElsewhere(found.lockTakenBy));
    for (const QString &host : found.openedAlongside)
        emit status(Messages::openedAlongside(host));
}

} // namespace varnook
