#include "WebBrowser.h"

namespace varnook {

WebBrowser::WebBrowser(QWidget *parent)
    : QWidget(parent) {}

void WebBrowser::Navigate(const QString &address) {
    m_location = address;
}

} // namespace varnook
