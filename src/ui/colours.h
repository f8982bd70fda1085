#pragma once
// Colours as the program stores them: 32-bit values, 0x00BBGGRR for an RGB
// colour, or 0xFF0000nn for the platform's system colour nn (5 window
// background, 8 window text, 0x0B inactive border, 0x0F button face,
// 0x18 info background, 0x1E menu bar, ...).
//
// A widget keeps the exact 32-bit value it was given, so that saving the
// settings writes back the value that was loaded (a system colour stays a
// system colour instead of becoming whatever RGB the current theme has).
#include <QColor>

#include <cstdint>

class QWidget;

namespace comtrax {

inline constexpr uint32_t clWindow = 0xFF000005;
inline constexpr uint32_t clWindowText = 0xFF000008;
inline constexpr uint32_t clInactiveBorder = 0xFF00000B;
inline constexpr uint32_t clBtnFace = 0xFF00000F;
inline constexpr uint32_t clInfoBk = 0xFF000018;
inline constexpr uint32_t clMenuBar = 0xFF00001E;
inline constexpr uint32_t clBlack = 0x00000000;
inline constexpr uint32_t clRed = 0x000000FF;
inline constexpr uint32_t clLime = 0x0000FF00;
inline constexpr uint32_t clYellow = 0x0000FFFF;
inline constexpr uint32_t clBlue = 0x00FF0000;
inline constexpr uint32_t clAqua = 0x00FFFF00;
inline constexpr uint32_t clCream = 0x00F0FBFF;

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
