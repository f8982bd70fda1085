#include "ui/kit/colours.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace comtrax {

namespace {

constexpr const char* BackgroundProperty = "comtraxBackgroundColour";
constexpr const char* TextProperty = "comtraxTextColour";

// A stored colour is 0x00BBGGRR, or, with the top bit set, the platform's
// system colour whose index is the low byte (0xFF000005 the window background,
// 0xFF00000F the button face); indexes the platform does not know give black.
bool isSystemColour(uint32_t v)
{
    return (v & 0x80000000u) != 0;
}

QColor systemColour(unsigned index)
{
    const QPalette p = QApplication::palette();
    switch (index) {
    case 0x00:
        return p.color(QPalette::Button);  // scroll bar
    case 0x01:
        return p.color(QPalette::Dark);  // desktop
    case 0x02:
        return p.color(QPalette::Active, QPalette::Highlight);  // active caption
    case 0x03:
        return p.color(QPalette::Inactive, QPalette::Highlight);  // inactive caption
    case 0x04:
        return p.color(QPalette::Window);  // menu
    case 0x05:
        return p.color(QPalette::Base);  // window background
    case 0x06:
        return p.color(QPalette::Shadow);  // window frame
    case 0x07:
        return p.color(QPalette::WindowText);  // menu text
    case 0x08:
        return p.color(QPalette::Text);  // window text
    case 0x09:
        return p.color(QPalette::HighlightedText);  // caption text
    case 0x0A:
        return p.color(QPalette::Window);  // active border
    case 0x0B:
        return p.color(QPalette::Midlight);  // inactive border
    case 0x0C:
        return p.color(QPalette::Mid);  // application workspace
    case 0x0D:
        return p.color(QPalette::Highlight);
    case 0x0E:
        return p.color(QPalette::HighlightedText);
    case 0x0F:
        return p.color(QPalette::Button);  // button face
    case 0x10:
        return p.color(QPalette::Dark);  // button shadow
    case 0x11:
        return p.color(QPalette::Disabled, QPalette::Text);  // grey text
    case 0x12:
        return p.color(QPalette::ButtonText);
    case 0x13:
        return p.color(QPalette::Inactive, QPalette::HighlightedText);
    case 0x14:
        return p.color(QPalette::Light);  // button highlight
    case 0x15:
        return p.color(QPalette::Shadow);  // 3D dark shadow
    case 0x16:
        return p.color(QPalette::Midlight);  // 3D light
    case 0x17:
        return p.color(QPalette::ToolTipText);  // info text
    case 0x18:
        return p.color(QPalette::ToolTipBase);  // info background
    case 0x1A:
        return p.color(QPalette::Link);  // hot light
    case 0x1B:
        return p.color(QPalette::Active, QPalette::Highlight);
    case 0x1C:
        return p.color(QPalette::Inactive, QPalette::Highlight);
    case 0x1D:
        return p.color(QPalette::Highlight);  // menu highlight
    case 0x1E:
        return p.color(QPalette::Window);  // menu bar
    default:
        return QColor(0, 0, 0);
    }
}

bool showsBaseByDesign(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractScrollArea*>(w)
        || qobject_cast<const QComboBox*>(w);
}

uint32_t storedOr(const QWidget* w, const char* name, uint32_t fallback)
{
    const QVariant v = w->property(name);
    return v.isValid() ? v.toUInt() : fallback;
}

}  // namespace

QColor colourToQColor(uint32_t v)
{
    if (isSystemColour(v))
        return systemColour(v & 0xFFu);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

void setBackgroundColour(QWidget* w, uint32_t value)
{
    w->setProperty(BackgroundProperty, QVariant::fromValue(value));
    const QColor c = colourToQColor(value);
    QPalette p = w->palette();
    // Edits, lists and the text area paint Base; labels and panels paint
    // Window; a combo box's closed face paints Button. Setting all three makes
    // one call right for every kind of control.
    p.setColor(QPalette::Base, c);
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::Button, c);
    w->setPalette(p);
    if (!showsBaseByDesign(w))
        w->setAutoFillBackground(true);
}

void setTextColour(QWidget* w, uint32_t value)
{
    w->setProperty(TextProperty, QVariant::fromValue(value));
    const QColor c = colourToQColor(value);
    QPalette p = w->palette();
    p.setColor(QPalette::Text, c);
    p.setColor(QPalette::WindowText, c);
    p.setColor(QPalette::ButtonText, c);
    w->setPalette(p);
}

uint32_t backgroundColour(const QWidget* w)
{
    return storedOr(w, BackgroundProperty, showsBaseByDesign(w) ? clWindow : clBtnFace);
}

uint32_t textColour(const QWidget* w)
{
    return storedOr(w, TextProperty, clWindowText);
}

}  // namespace comtrax
