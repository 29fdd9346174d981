#pragma once

class QWidget;

namespace varnook {

// Dresses a window with the program's skin.
void ApplySkin(QWidget *window);
// Puts the banner strip (wbBanner inside a clipping picBox) into the main window and opens the ad page.
void ShowBanner(QWidget *window);
// Covers each plain label of the window with a skinned label (SkinLabel1 array).
void ReplaceLabels(QWidget *window);

} // namespace varnook
