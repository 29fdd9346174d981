#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

namespace varnook {

class SkinEngine;

// The start-up window: shows the splash picture for 75 timer ticks, then reports that start-up may
// go on (finished) and stops its timer.
class SplashScreen : public QWidget {
    Q_OBJECT

public:
    explicit SplashScreen(const SkinEngine *skin, QWidget *parent = nullptr);

    // Centres and skins the window and starts the timer.
    void start();

    QTimer *timer() { return &m_timer; }
    // Two for every tick so far.
    int counter() const { return m_counter; }

public slots:
    void tick();

signals:
    // On the 75th tick, once the timer has stopped.
    void finished();

private:
    const SkinEngine *m_skin;
    QLabel *m_picture;
    QTimer m_timer;
    qint16 m_counter = 0;
};

} // namespace varnook
