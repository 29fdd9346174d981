#pragma once

#include "Form.h"

#include <QTimer>

class QLabel;

namespace varnook {

class SkinEngine;

// The start-up window: sets the program-wide values, shows the splash picture for 75 timer
// ticks, then opens the main window and hides itself. It stays loaded, holding the skin.
class frmSplash : public Form {
    Q_OBJECT

public:
    explicit frmSplash(QWidget *parent = nullptr);

    QTimer *timer() { return &m_timer2; }
    int intTemp() const { return m_intTemp; }
    SkinEngine *skn() const { return m_skn; }

    // Loads this window only for the skin it holds, when it is not loaded: its start-up sequence
    // does not run and it stays hidden. Does nothing when it is loaded already.
    static void loadAsSkinHolder();

public slots:
    void Timer2_Timer();

protected:
    bool Form_Load() override;

private:
    QLabel *m_image1;
    SkinEngine *m_skn;
    QTimer m_timer2;
    qint16 m_intTemp = 0;
};

} // namespace varnook
