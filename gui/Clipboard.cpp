#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace varnook {

void Clipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

void Clipboard::copy(const QString &text, Kind kind) {
    auto *data = new QMimeData;
    data->setText(text);
    if (kind == Secret)
        data->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace varnook
