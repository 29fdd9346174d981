#include "SkinEngine.h"

#include "ColourNumber.h"
#include "FocusRing.h"

#include <QWidget>

namespace varnook {

namespace {
const char *const AppliedSkinProperty = "varnookSkin";
}

QString SkinEngine::standardSkinPath() {
    return QStringLiteral(":/varnook/skins/standard.vskin");
}

SkinEngine::SkinEngine(QObject *parent)
    : QObject(parent) {
    loadSkin(standardSkinPath());
}

bool SkinEngine::loadSkin(const QString &path) {
    m_error.clear();
    m_skin = SkinData::load(path, &m_error);
    return m_skin.has_value();
}

QString SkinEngine::skinName() const {
    return m_skin ? m_skin->name() : QString();
}

quint32 SkinEngine::namedColour(const char *name) const {
    return m_skin ? colourNumber(m_skin->colour(QLatin1String(name))) : 0;
}

quint32 SkinEngine::faceColour() const {
    return namedColour("face");
}

quint32 SkinEngine::textColour() const {
    return namedColour("text");
}

quint32 SkinEngine::pictureColour() const {
    return namedColour("picture");
}

bool SkinEngine::applyTo(QWidget *window) const {
    if (!window || !m_skin)
        return false;
    // Controls that were given colours of their own keep them: a palette set on the window only
    // fills the roles a child has not set itself.
    window->setPalette(m_skin->palette());
    window->setStyleSheet(m_skin->styleSheet());
    FocusRing::attach(window);
    window->setProperty(AppliedSkinProperty, m_skin->name());
    return true;
}

QString SkinEngine::appliedSkin(const QWidget *window) {
    return window ? window->property(AppliedSkinProperty).toString() : QString();
}

} // namespace varnook
