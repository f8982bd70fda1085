#pragma once
// Texts that come from outside the program (the lists file, a command file,
// a file name, the device, what the user typed) as the widgets show them.
// They show as they are: never as markup, never as a keyboard mnemonic, and a
// character that has no glyph shows as its code, so a button shows every byte
// its line will send. Only the display changes; the texts stored and sent
// stay byte for byte what they were.
#include <QObject>
#include <QString>

class QLabel;

namespace comtrax {

// Every control or format character (of the code page: 00..1F, 7F, 98 and
// AD) becomes "<XX>", its code in upper-case hexadecimal.
QString shownText(const QString& text);

// shownText for a button's caption, where '&' would mark a mnemonic.
QString shownCaption(const QString& text);

// A caption showing shownText(text) that still gives back text itself: the
// help lines carry what they show into the help editor and back into the
// lists.
void showText(QLabel* label, const QString& text);
// What showText was given, as long as the label still shows it; otherwise
// the label's own text (set since by other means).
QString textOf(const QLabel* label);

// Shows every tool tip of the objects it filters as plain text. Qt would take
// a tip for rich text whenever it merely looks like markup, and then load
// whatever an <img> in it names.
class PlainToolTips : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The rich text that shows text literally.
    static QString html(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace comtrax
