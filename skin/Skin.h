#pragma once

#include <QString>

class QWidget;

namespace varnook {

class SkinEngine;

// Dresses a window with the program's skin: first its controls' colours (colourControls), then the
// skin itself. False, with a line in the log, when there is no window or the skin holds nothing.
bool applySkin(QWidget *window, const SkinEngine *skin);

// Gives the window's controls the skin's colours, each a 0x00BBGGRR number, by type name:
// "CommandButton" the face colour as background; "TextBox", "ComboBox", "FileListBox",
// "DirListBox", "DriveListBox", "ListBox" and "ListView" the face colour as background and the
// text colour as text; "PictureBox" the picture colour as background. Every other control keeps
// its colours. False, with nothing changed, when a number names no colour.
bool colourControls(QWidget *window, quint32 faceColour, quint32 textColour, quint32 pictureColour);

// Puts the banner strip into the main window: a borderless picture box "picBox" at wbBanner's
// place, one margin (280 twips) narrower, holding
// wbBanner at its top left so that the browser's right-hand strip is cut off; hides wbPicture and
// opens adServerPage in wbBanner without waiting for it. False when the window lacks wbBanner or
// wbPicture, already holds a picBox, or the browser cannot be told the address.
bool showBanner(QWidget *window, const QString &adServerPage);

// Covers each plain label lying in the same container as SkinLabel1 element 0 with a new skinned
// label of that array (indexes following the highest one, in control order), carrying the plain
// label's place, size, font, caption and visibility. The plain labels stay. False when the window
// has no SkinLabel1 element 0.
bool replaceLabels(QWidget *window);

} // namespace varnook
