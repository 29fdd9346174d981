#include "SplashScreen.h"

#include "Artwork.h"
#include "Design.h"
#include "Skin.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace varnook {

SplashScreen::SplashScreen(const SkinEngine *skin, QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , m_skin(skin)
    , m_picture(new QLabel(this)) {
    setObjectName(QStringLiteral("frmSplash"));

    m_picture->setObjectName(QStringLiteral("Image1"));
    m_picture->setGeometry(twipsRect(0, 0, 7170, 4770));
    m_picture->setFrameShape(QFrame::Box);
    m_picture->setLineWidth(1);
    m_picture->setAlignment(Qt::AlignCenter);
    ArtworkPicture::show(m_picture, Artwork::Splash);

    m_timer.setObjectName(QStringLiteral("Timer2"));
    m_timer.setInterval(2);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &SplashScreen::tick);
}

void SplashScreen::start() {
    setFixedSize(m_picture->size());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (m_skin)
        applySkin(this, m_skin);
    m_timer.start();
}

void SplashScreen::tick() {
    m_counter += 2;
    if (m_counter != 150)
        return;
    // Stopped before the main window loads, so no tick arrives during the password prompt.
    m_timer.stop();
    emit finished();
}

} // namespace varnook
