#include "IdleLock.h"

#include <QApplication>
#include <QEvent>

#include <limits>

namespace varnook {

IdleLock::IdleLock(qint64 afterMs, QObject *parent)
    : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        // A box waiting for its answer holds a command half done: once it is answered.
        if (QApplication::activeModalWidget()) {
            m_timer.start(1000);
            return;
        }
        emit idle();
    });
    qApp->installEventFilter(this);
    setAfter(afterMs);
}

void IdleLock::setAfter(qint64 afterMs) {
    m_afterMs = std::clamp<qint64>(afterMs, 0, std::numeric_limits<int>::max());
    restart();
}

void IdleLock::restart() {
    if (m_afterMs > 0)
        m_timer.start(int(m_afterMs));
    else
        m_timer.stop();
}

void IdleLock::stop() {
    m_timer.stop();
}

bool IdleLock::eventFilter(QObject *watched, QEvent *event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::Wheel:
        if (m_timer.isActive())
            restart();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace varnook
