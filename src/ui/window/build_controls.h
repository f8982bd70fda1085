#pragma once
// The window's controls, built at their designed places.
#include "ui/panels/controls.h"

class QWidget;

namespace comtrax {

// Creates every control as a child of form (client area 951 × 763) at its
// designed place, with its caption, hint, initial state and objectName, and
// gives form the window font. Every control and its inner widgets get mouse
// tracking, so hover help runs without a pressed button.
void buildMainWindowControls(QWidget* form, Controls& c);

}  // namespace comtrax
