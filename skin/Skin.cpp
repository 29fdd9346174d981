#include "Skin.h"

#include "ColourNumber.h"
#include "Design.h"
#include "PictureBox.h"
#include "SkinEngine.h"
#include "SkinLabel.h"
#include "SkinLabelArray.h"
#include "SkinLog.h"

#include <QLabel>

namespace varnook {

namespace {

// The Visible flag of a control: whether it shows once its container shows.
bool visibleFlag(const QWidget *control) {
    const QWidget *container = control->parentWidget();
    return container ? control->isVisibleTo(container) : control->isVisible();
}

// The palette a control of the kind wears. The roles the skin leaves alone (bevels and shadows)
// stay the control's own.
QPalette dressedPalette(const QWidget *control, SkinnedControls::Dress dress, const QPalette &skinPalette,
                        const QColor &face, const QColor &text, const QColor &picture) {
    QPalette palette = skinPalette.resolve(control->palette());
    switch (dress) {
    case SkinnedControls::Dress::Button:
        palette.setColor(QPalette::Button, face);
        break;
    case SkinnedControls::Dress::Field:
        palette.setColor(QPalette::Base, face);
        palette.setColor(QPalette::Text, text);
        break;
    case SkinnedControls::Dress::Picture:
        palette.setColor(QPalette::Window, picture);
        break;
    case SkinnedControls::Dress::Caption:
        break;
    }
    return palette;
}

} // namespace

bool applySkin(const SkinnedControls &controls, const SkinEngine *skin) {
    QWidget *window = controls.window();
    if (!window)
        return false;
    if (!skin || !skin->isLoaded()) {
        qCWarning(skinLog) << "No skin to apply to" << window->objectName()
                           << (skin ? skin->errorString() : QStringLiteral("(no skin engine)"));
        return false;
    }
    const bool applied = colourControls(controls, skin->skin().palette(), skin->faceColour(), skin->textColour(),
                                        skin->pictureColour()) &&
                         skin->applyTo(window);
    if (!applied)
        qCWarning(skinLog) << "The skin" << skin->skinName() << "did not apply to" << window->objectName();
    return applied;
}

bool applySkin(QWidget *window, const SkinEngine *skin) {
    return applySkin(SkinnedControls(window), skin);
}

bool colourControls(const SkinnedControls &controls, const QPalette &skinPalette, quint32 faceColour,
                    quint32 textColour, quint32 pictureColour) {
    const QColor face = colourFromNumber(faceColour);
    const QColor text = colourFromNumber(textColour);
    const QColor picture = colourFromNumber(pictureColour);
    if (!controls.window() || !face.isValid() || !text.isValid() || !picture.isValid())
        return false;

    for (const SkinnedControls::Control &control : controls.controls()) {
        if (!control.widget)
            continue;
        control.widget->setPalette(dressedPalette(control.widget, control.dress, skinPalette, face, text, picture));
        if (control.dress == SkinnedControls::Dress::Picture)
            control.widget->setAutoFillBackground(true);
    }
    return true;
}

bool placeBannerStrip(QWidget *banner, PictureBox *picture) {
    if (!banner || !picture || !banner->parentWidget())
        return false;
    if (qobject_cast<PictureBox *>(banner->parentWidget()))
        return false; // the strip is in place already

    const int margin = twipsToPixels(280);
    auto *box = new PictureBox(banner->parentWidget());
    box->setObjectName(QStringLiteral("picBox"));
    box->setFrameShape(QFrame::NoFrame);
    box->setGeometry(banner->x(), banner->y(), banner->width() - margin, banner->height());

    const QSize bannerSize = banner->size();
    banner->setParent(box);
    banner->setGeometry(QRect(QPoint(0, 0), bannerSize));
    box->show();
    banner->show();
    picture->hide();
    return true;
}

QList<SkinLabel *> replaceLabels(SkinLabelArray &array, const QList<QLabel *> &plainLabels) {
    QList<SkinLabel *> copies;
    const SkinLabel *templateLabel = array.templateLabel();
    if (!templateLabel)
        return copies;
    QWidget *container = templateLabel->parentWidget();

    for (QLabel *label : plainLabels) {
        if (!label || label->parentWidget() != container)
            continue;
        auto *skinned = new SkinLabel(container);
        array.insert(array.nextIndex(), skinned);
        skinned->hide();
        skinned->setGeometry(label->geometry());
        // The copy takes the label's place in the stacking order too: the controls made after the
        // label (an address box over its right part) stay above it.
        skinned->stackUnder(label);
        label->stackUnder(skinned);
        skinned->setFont(label->font());
        skinned->setCaption(label->text());
        skinned->setVisible(visibleFlag(label));
        copies.append(skinned);
    }
    return copies;
}

} // namespace varnook
