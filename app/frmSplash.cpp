#include "frmSplash.h"

#include "Branding.h"
#include "Design.h"
#include "Form1.h"
#include "ProgramValues.h"
#include "Skin.h"
#include "SkinEngine.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace varnook {

frmSplash::frmSplash(QWidget *parent)
    : Form(parent)
    , m_image1(new QLabel(this))
    , m_skn(new SkinEngine(this)) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    m_skn->setObjectName(QStringLiteral("skn"));

    m_image1->setObjectName(QStringLiteral("Image1"));
    m_image1->setGeometry(twipsRect(0, 0, 7170, 4770));
    m_image1->setFrameShape(QFrame::Box);
    m_image1->setLineWidth(1);
    m_image1->setAlignment(Qt::AlignCenter);
    m_image1->setPixmap(QPixmap(QStringLiteral(":/varnook/splash.jpg")));

    m_timer2.setObjectName(QStringLiteral("Timer2"));
    m_timer2.setInterval(2);
    m_timer2.setTimerType(Qt::PreciseTimer);
    connect(&m_timer2, &QTimer::timeout, this, &frmSplash::Timer2_Timer);
}

bool frmSplash::Form_Load() {
    setFixedSize(m_image1->size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    ProgramValues &values = programValues();
    values.AppClosing = false;
    values.LoadSkinHolder = &frmSplash::loadAsSkinHolder;
    SetBranding();
    if (values.Branding.SkinOn) {
        values.SkinRef = m_skn;
        ApplySkin(this);
    }
    m_timer2.start();
    return true;
}

void frmSplash::loadAsSkinHolder() {
    if (findForm<frmSplash>())
        return;
    frmSplash *splash = loadForm<frmSplash>();
    if (!splash)
        return;
    // Loaded for its skin only: the start-up sequence must not run a second time.
    splash->m_timer2.stop();
    splash->hide();
}

void frmSplash::Timer2_Timer() {
    m_intTemp += 2;
    if (m_intTemp != 150)
        return;
    // Stopped before the main window loads, so no tick arrives during the password prompt.
    m_timer2.stop();
    Form1 *main = loadForm<Form1>();
    if (!main)
        return; // the main window's load step ended the program
    main->show();
    hide();
}

} // namespace varnook
