#include "FocusRing.h"

#include <QApplication>
#include <QEvent>
#include <QFocusFrame>

namespace varnook {

namespace {
const QString RingName = QStringLiteral("FocusRing");

// A control may hand its focus on to an inner widget of its own, as a web view does. The ring goes
// around the control: the inner widget is the control's to replace, move away or destroy at will.
QWidget *focusOwner(QWidget *focused) {
    QWidget *owner = focused;
    for (QWidget *outer = focused->parentWidget(); outer && !outer->isWindow(); outer = outer->parentWidget()) {
        QWidget *proxy = outer;
        while (proxy->focusProxy())
            proxy = proxy->focusProxy();
        if (proxy == focused)
            owner = outer;
    }
    return owner;
}
} // namespace

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
    QWidget *control = focusOwner(focused);
    if (!m_frame)
        m_frame = new QFocusFrame(m_window);
    if (m_followed)
        m_followed->removeEventFilter(this);
    m_followed = control;
    m_frame->setWidget(control);
    // Installed after the frame's own filter, so it sees the control's events first.
    control->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject *watched, QEvent *event) {
    // A control taken out of its place may have no parent left to place the frame by: the frame
    // lets go of it before it reacts, and the next focus change places it again.
    if (watched == m_followed && event->type() == QEvent::ParentChange) {
        m_followed->removeEventFilter(this);
        m_followed = nullptr;
        if (m_frame)
            m_frame->setWidget(nullptr);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace varnook
