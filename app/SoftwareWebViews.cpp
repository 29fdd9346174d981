#include "SoftwareWebViews.h"

#include <QQuickWindow>
#include <QtGlobal>

namespace varnook {

SoftwareWebViews::SoftwareWebViews()
    : m_setHere(!qEnvironmentVariableIsSet(GlVariable)) {
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    if (m_setHere)
        qputenv(GlVariable, "none");
}

void SoftwareWebViews::restoreEnvironment() const {
    if (m_setHere)
        qunsetenv(GlVariable);
}

} // namespace varnook
