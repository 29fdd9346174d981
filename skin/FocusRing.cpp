#include "FocusRing.h"

#include <QApplication>
#include <QFocusFrame>

namespace varnook {

namespace {
const QString RingName = QStringLiteral("FocusRing");
}

FocusRing::FocusRing(QWidget *window)
    : QObject(window)
    , m_window(window) {
    setObjectName(RingName);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) { follow(now); });
    follow(window->focusWidget());
}

void FocusRing::attach(QWidget *window) {
    if (window && !window->findChild<FocusRing *>(RingName, Qt::FindDirectChildrenOnly))
        new FocusRing(window);
}

QFocusFrame *FocusRing::frameOf(const QWidget *window) {
    const auto *ring = window ? window->findChild<FocusRing *>(RingName, Qt::FindDirectChildrenOnly) : nullptr;
    return ring ? ring->m_frame.data() : nullptr;
}

void FocusRing::follow(QWidget *focused) {
    // Focus that moves to another window leaves the ring where it was, as the window's own
    // focused control stays the same.
    if (!focused || focused == m_window || focused->window() != m_window)
        return;
    if (!m_frame)
        m_frame = new QFocusFrame(m_window);
    m_frame->setWidget(focused);
}

} // namespace varnook
