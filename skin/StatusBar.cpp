#include "StatusBar.h"

#include <QLabel>

namespace varnook {

StatusBar::StatusBar(QWidget *parent)
    : QStatusBar(parent) {
    setSizeGripEnabled(false);
    addPanel();
}

void StatusBar::addPanel() {
    auto *panel = new QLabel(this);
    panel->setObjectName(QStringLiteral("Panel%1").arg(m_panels.size() + 1));
    panel->setTextFormat(Qt::PlainText);
    panel->setMinimumWidth(0);
    addWidget(panel);
    m_panels.append(panel);
}

QString StatusBar::panelText(int panel) const {
    return (panel >= 1 && panel <= m_panels.size()) ? m_panels[panel - 1]->text() : QString();
}

void StatusBar::setPanelText(int panel, const QString &text) {
    if (panel >= 1 && panel <= m_panels.size())
        m_panels[panel - 1]->setText(text);
}

int StatusBar::panelWidth(int panel) const {
    return (panel >= 1 && panel <= m_panels.size()) ? m_panels[panel - 1]->width() : 0;
}

void StatusBar::setPanelWidth(int panel, int pixels) {
    if (panel >= 1 && panel <= m_panels.size())
        m_panels[panel - 1]->setFixedWidth(qMax(0, pixels));
}

} // namespace varnook
