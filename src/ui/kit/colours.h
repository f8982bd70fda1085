#pragma once
// The stored colour values and their Qt form on widgets. A widget keeps the
// exact 32-bit value it was given, so that saving the settings writes back the
// value that was loaded.
#include <QColor>

#include <cstdint>

#include "common/colour_values.h"

class QWidget;

namespace comtrax {

// System colours are resolved against the application's current palette.
QColor colourToQColor(uint32_t value);

// Works for QLineEdit, QPlainTextEdit, QListWidget, QComboBox, QLabel and
// plain panels.
void setBackgroundColour(QWidget* widget, uint32_t value);
void setTextColour(QWidget* widget, uint32_t value);

// The value last set on the widget; before any, what the widget shows by
// design: clWindow for edits and lists, clBtnFace for the rest, and
// clWindowText for text.
uint32_t backgroundColour(const QWidget* widget);
uint32_t textColour(const QWidget* widget);

}  // namespace comtrax
