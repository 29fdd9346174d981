#include "Clipboard.h"

#include <QClipboard>
#include <QCryptographicHash>
#include <QGuiApplication>
#include <QMimeData>

namespace varnook {

namespace {

const QString SecretHint = QStringLiteral("x-kde-passwordManagerHint");

QByteArray hashOf(const QString &text) {
    return QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Blake2b_256);
}

} // namespace

void Clipboard::clear() {
    QGuiApplication::clipboard()->clear();
}

void Clipboard::copy(const QString &text, Kind kind) {
    auto *data = new QMimeData;
    data->setText(text);
    if (kind == Secret)
        data->setData(SecretHint, QByteArrayLiteral("secret"));
    QGuiApplication::clipboard()->setMimeData(data);
}

ClipboardEraser::ClipboardEraser(QObject *parent)
    : QObject(parent) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ClipboardEraser::eraseIfStillThere);
}

void ClipboardEraser::copySecret(const QString &secret, int seconds) {
    Clipboard::copy(secret, Clipboard::Secret);
    m_timer.stop();
    m_copiedHash.clear();
    if (seconds <= 0)
        return;
    m_copiedHash = hashOf(secret);
    m_timer.start(seconds * 1000);
}

void ClipboardEraser::eraseIfStillThere() {
    QClipboard *clipboard = QGuiApplication::clipboard();
    const QMimeData *data = clipboard->mimeData();
    const bool stillOurs = data && data->hasText() && hashOf(data->text()) == m_copiedHash;
    m_copiedHash.clear();
    if (!stillOurs)
        return;
    clipboard->clear();
    emit erased();
}

} // namespace varnook
