#pragma once

#include <QtGlobal>

class QWidget;

namespace varnook {

// Dresses a window with the program's skin, the one SkinRef holds: first its controls' colours
// (colourControls), then the skin itself. When SkinRef holds no usable skin, the window that holds
// the skin is loaded (without its start-up sequence) and the window is dressed once more; false
// when that fails too.
bool applySkin(QWidget *window);

// Gives the window's controls the skin's colours, each a 0x00BBGGRR number, by type name:
// "CommandButton" the face colour as background; "TextBox", "ComboBox", "FileListBox",
// "DirListBox", "DriveListBox", "ListBox" and "ListView" the face colour as background and the
// text colour as text; "PictureBox" the picture colour as background. Every other control keeps
// its colours. False, with nothing changed, when a number names no colour.
bool colourControls(QWidget *window, quint32 faceColour, quint32 textColour, quint32 pictureColour);

// Puts the banner strip into the main window: a borderless picture box "picBox" at wbBanner's
// place, one margin narrower (280 twips, or 20 when the window measures in pixels), holding
// wbBanner at its top left so that the browser's right-hand strip is cut off; hides wbPicture and
// opens adServerPage in wbBanner without waiting for it. False when the window lacks wbBanner or
// wbPicture, already holds a picBox, or the browser cannot be told the address.
bool showBanner(QWidget *window);

// Covers each plain label lying in the same container as SkinLabel1 element 0 with a new skinned
// label of that array (indexes following the highest one, in control order), carrying the plain
// label's place, size, font, caption and visibility. The plain labels stay. False when the window
// has no SkinLabel1 element 0.
bool replaceLabels(QWidget *window);

} // namespace varnook
