#pragma once

#include "SkinnedControls.h"

#include <QList>
#include <QPalette>
#include <QString>

#include <type_traits>

class QLabel;
class QWidget;

namespace varnook {

class PictureBox;
class SkinEngine;
class SkinLabel;
class SkinLabelArray;

// Dresses a window with the program's skin: first the controls it hands over (colourControls), then
// the window itself (palette, style sheet, focus ring). False, with a line in the log, when there is
// no window or the skin holds nothing.
bool applySkin(const SkinnedControls &controls, const SkinEngine *skin);
// A window without controls of its own to dress.
bool applySkin(QWidget *window, const SkinEngine *skin);

// Gives each control the skin's palette, then what its kind takes on top of it, each colour a
// 0x00BBGGRR number: a button the face colour as its background; a field (text box, combo box,
// list, rich text) the face colour as background and the text colour as text; a picture box the
// picture colour, filled in. A caption on the window (label, check box, frame, skinned label) keeps
// the palette's window colours. Text and background thus always come from the skin together, so
// that no desktop palette puts its text on the skin's colours. False, with nothing changed, when a
// number names no colour.
bool colourControls(const SkinnedControls &controls, const QPalette &skinPalette, quint32 faceColour,
                    quint32 textColour, quint32 pictureColour);

// Puts the banner strip into the main window: a borderless picture box "picBox" at the banner's
// place, one margin (280 twips) narrower, holding the banner at its top left so that the browser's
// right-hand strip is cut off; hides the picture beside it. False when a part is missing, the
// banner lies in no container, or the strip is in place already.
bool placeBannerStrip(QWidget *banner, PictureBox *picture);

// Places the strip and opens adServerPage in the banner without waiting for it. Browser is the
// browser control, which lives in a library above the skin: anything with navigate(QString).
template <class Browser> bool showBanner(Browser *banner, PictureBox *picture, const QString &adServerPage) {
    static_assert(std::is_base_of_v<QWidget, Browser>, "the banner is a control");
    if (!placeBannerStrip(banner, picture))
        return false;
    // The browser returns at once and loads the page while the window goes on loading.
    banner->navigate(adServerPage);
    return true;
}

// Covers each plain label lying in the same container as the array's template (element 0) with a
// new skinned label of the array (indexes following the highest one, in the order given), carrying
// the plain label's place, size, font, caption and visibility. The plain labels stay. The copies,
// which the window hands the skin to dress with the rest; none when the array has no template.
QList<SkinLabel *> replaceLabels(SkinLabelArray &array, const QList<QLabel *> &plainLabels);

} // namespace varnook
