#pragma once

#include "ControlArray.h"

#include <QTimer>

class QLabel;

namespace varnook {

class SkinEngine;

// The start-up window: sets the program-wide values, shows the splash picture for 75 timer
// ticks, then opens the main window and hides itself. It stays loaded, holding the skin.
class SplashScreen : public Form {
    Q_OBJECT

public:
    explicit SplashScreen(QWidget *parent = nullptr);

    QTimer *timer() { return &m_timer; }
    int counter() const { return m_counter; }
    SkinEngine *skin() const { return m_skin; }

    // Loads this window only for the skin it holds, when it is not loaded: its start-up sequence
    // does not run and it stays hidden. Does nothing when it is loaded already.
    static void loadAsSkinHolder();

public slots:
    void tick();

protected:
    bool Form_Load() override;

private:
    QLabel *m_picture;
    SkinEngine *m_skin;
    QTimer m_timer;
    qint16 m_counter = 0;
};

} // namespace varnook
