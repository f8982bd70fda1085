#pragma once
// The Qt side of the layout pass: reads the designed positions from freshly
// built controls and applies layoutWidth's results to them.
#include <QSize>

#include "presentation/window_layout.h"

namespace comtrax {

struct Controls;

// Call once, right after buildMainWindowControls and before any resize.
InitialLayout captureInitialLayout(const Controls& c);

// One layout pass for the given client area. fileViewOpen: a command file is
// loaded (STListName shows its name).
void applyWindowLayout(Controls& c, const InitialLayout& initial, QSize client, bool fileViewOpen);

}  // namespace comtrax
