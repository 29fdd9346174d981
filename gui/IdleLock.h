#pragma once

#include <QObject>
#include <QTimer>

namespace varnook {

// Tells when the program has gone a while without use: no key, click or pointer move in any of its
// windows. Used for the lock after N minutes; a time of 0 never tells.
class IdleLock : public QObject {
    Q_OBJECT

public:
    explicit IdleLock(qint64 afterMs, QObject *parent = nullptr);

    void setAfter(qint64 afterMs);
    qint64 after() const { return m_afterMs; }
    // From now on; and not until restarted.
    void restart();
    void stop();

signals:
    void idle();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTimer m_timer;
    qint64 m_afterMs = 0;
};

} // namespace varnook
