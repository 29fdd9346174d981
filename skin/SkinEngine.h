#pragma once

#include "SkinData.h"

#include <QObject>

#include <optional>

class QWidget;

namespace varnook {

// The skin control: holds one skin and dresses windows with it. A window's client area,
// buttons, text boxes, lists and check boxes take the skin's palette; its menu bar, status bar,
// scroll bars, frames, skinned labels and the focus ring follow the skin's style sheet. The
// desktop's window manager keeps drawing window frames and caption bars.
class SkinEngine : public QObject {
    Q_OBJECT
    // The skin's colours as 0x00BBGGRR numbers; 0 while no skin is loaded.
    Q_PROPERTY(quint32 faceColour READ faceColour)
    Q_PROPERTY(quint32 textColour READ textColour)
    Q_PROPERTY(quint32 pictureColour READ pictureColour)

public:
    // The program's own skin, "Standard Skin", kept in the resources.
    static QString standardSkinPath();

    // Starts out holding the standard skin.
    explicit SkinEngine(QObject *parent = nullptr);

    // Replaces the skin with the one in the file. On failure no skin is held and errorString says why.
    bool loadSkin(const QString &path);
    bool isLoaded() const { return m_skin.has_value(); }
    QString errorString() const { return m_error; }
    QString skinName() const;
    // The loaded skin; only while isLoaded().
    const SkinData &skin() const { return *m_skin; }

    quint32 faceColour() const;
    quint32 textColour() const;
    quint32 pictureColour() const;

    // Dresses the window and everything in it. False when no skin is held or there is no window.
    bool applyTo(QWidget *window) const;
    // The name of the skin a window was dressed with, empty when it was never skinned.
    static QString appliedSkin(const QWidget *window);

private:
    quint32 namedColour(const char *name) const;

    std::optional<SkinData> m_skin;
    QString m_error;
};

} // namespace varnook
