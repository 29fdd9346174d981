#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

namespace varnook {

// The desktop clipboard as the entry commands use it.
class Clipboard {
public:
    enum Kind { Plain, Secret };

    static void clear();
    // A secret carries the hint that keeps desktop clipboard managers from recording it.
    static void copy(const QString &text, Kind kind);
};

// Takes a copied password off the clipboard after a while, but only while the clipboard still holds
// that very password: whatever the user copied since stays.
class ClipboardEraser : public QObject {
    Q_OBJECT

public:
    explicit ClipboardEraser(QObject *parent = nullptr);

    // Copies secret (Clipboard::Secret) and erases it after seconds; 0 leaves it there.
    void copySecret(const QString &secret, int seconds);
    bool isWaiting() const { return m_timer.isActive(); }

signals:
    // The password was taken off the clipboard.
    void erased();

private:
    void eraseIfStillThere();

    QTimer m_timer;
    QByteArray m_copiedHash; // of what was copied: the text itself is not kept for this
};

} // namespace varnook
