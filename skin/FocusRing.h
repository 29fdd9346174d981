#pragma once

#include <QObject>
#include <QPointer>

class QFocusFrame;
class QWidget;

namespace varnook {

// Draws the skin's focus ring (a frame styled by the skin) around whichever control of a window
// holds the keyboard focus, so that the focus is plain to see on every kind of control.
class FocusRing : public QObject {
    Q_OBJECT

public:
    // Gives the window its ring; a window that has one keeps it.
    static void attach(QWidget *window);
    // The frame around the window's focused control, or null while no control had the focus.
    static QFocusFrame *frameOf(const QWidget *window);

private:
    explicit FocusRing(QWidget *window);
    void follow(QWidget *focused);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QWidget *m_window;
    QPointer<QFocusFrame> m_frame; // lives beside the focused control and goes when its container goes
    QPointer<QWidget> m_followed;  // the control the frame is around
};

} // namespace varnook
