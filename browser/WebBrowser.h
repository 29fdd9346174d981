#pragma once

#include <QWidget>

namespace varnook {

// The program's web browser control: the page view of the browser window and the banner strip.
class WebBrowser : public QWidget {
    Q_OBJECT

public:
    explicit WebBrowser(QWidget *parent = nullptr);

    Q_INVOKABLE void Navigate(const QString &address);
    QString LocationURL() const { return m_location; }

private:
    QString m_location;
};

} // namespace varnook
