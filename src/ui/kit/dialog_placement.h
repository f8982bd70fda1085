#pragma once
// Placement and title-bar rules shared by the secondary windows.
#include <Qt>

class QWidget;

namespace comtrax {

// A title bar with the close box alone: no minimise, maximise or help button.
inline constexpr Qt::WindowFlags CloseBoxOnly = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
    | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;

// Puts the window in the middle of the screen the user is working on (the one
// holding the active window, else the primary one). Qt would centre a parented
// dialog over its parent instead; these windows belong in the middle of the
// screen. On several monitors the middle of one screen is used, never the seam
// between two.
void centreOnScreen(QWidget& window);

}  // namespace comtrax
