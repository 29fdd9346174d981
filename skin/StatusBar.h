#pragma once

#include <QStatusBar>

class QLabel;

namespace varnook {

// A status bar of text panels laid side by side; only the program writes their texts.
class StatusBar : public QStatusBar {
    Q_OBJECT

public:
    explicit StatusBar(QWidget *parent = nullptr);

    // Adds a panel at the end; panels are numbered from 1.
    void addPanel();
    int panelCount() const { return int(m_panels.size()); }
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    int panelWidth(int panel) const; // pixels
    void setPanelWidth(int panel, int pixels);

private:
    QList<QLabel *> m_panels;
};

} // namespace varnook
