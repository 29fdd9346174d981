#include "SplashScreen.h"

#include "Branding.h"
#include "Design.h"
#include "MainWindow.h"
#include "ProgramValues.h"
#include "Skin.h"
#include "SkinEngine.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace varnook {

SplashScreen::SplashScreen(QWidget *parent)
    : Form(parent)
    , m_picture(new QLabel(this))
    , m_skin(new SkinEngine(this)) {
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    m_skin->setObjectName(QStringLiteral("skn"));

    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(twipsRect(0, 0, 7170, 4770));
    m_picture->setFrameShape(QFrame::Box);
    m_picture->setLineWidth(1);
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setPixmap(QPixmap(QStringLiteral(":/varnook/splash.jpg")));

    m_timer.setObjectName(QStringLiteral("Timer2"));
    m_timer.setInterval(2);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SplashScreen::tick);
}

bool SplashScreen::Form_Load() {
    setFixedSize(m_picture->size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    ProgramValues &values = programValues();
    values.AppClosing = false;
    values.LoadSkinHolder = &SplashScreen::loadAsSkinHolder;
    SetBranding();
    if (values.Branding.skinOn) {
        values.SkinRef = m_skin;
        applySkin(this);
    }
    m_timer.start();
    return true;
}

void SplashScreen::loadAsSkinHolder() {
    if (findForm<SplashScreen>())
        return;
    SplashScreen *splash = loadForm<SplashScreen>();
    if (!splash)
        return;
    // Loaded for its skin only: the start-up sequence must not run a second time.
    splash->m_timer.stop();
    splash->hide();
}

void SplashScreen::tick() {
    m_counter += 2;
    if (m_counter != 150)
        return;
    // Stopped before the main window loads, so no tick arrives during the password prompt.
    m_timer.stop();
    MainWindow *main = loadForm<MainWindow>();
    if (!main)
        return; // the main window's load step ended the program
    main->show();
    hide();
}

} // namespace varnook
