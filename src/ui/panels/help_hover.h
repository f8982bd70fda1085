#pragma once
// Hover help: the help area STH1..STH12 explains whatever the pointer moves
// over. Installed as an event filter on the main window's controls; on every
// pointer move over a control it runs that control's help operation: a fixed
// text, ClearHelp, or the macro's own help through macroHelp(k). Controls not
// in its table are left alone, so the area keeps what it shows. Its table
// spans every band, so it alone is given all of the window's controls; it
// only watches them and writes the help area.
#include <QHash>
#include <QObject>

class QWidget;

#include <functional>

#include "presentation/help_texts.h"

namespace comtrax {

struct Controls;
struct MacroControls;

// Writes the twelve lines into STH1..STH12.
void setHelpLines(MacroControls& c, const HelpText& text);
// ClearHelp: all twelve lines empty.
void clearHelp(MacroControls& c);

class HelpHover : public QObject {
    Q_OBJECT
public:
    // macroHelp(k) shows the help of macro k (1..48) of the current list; it
    // runs for Button k and Edit k.
    HelpHover(Controls& c, std::function<void(int k)> macroHelp, QObject* parent = nullptr);

    // Installs the filter on every control of the table (and the viewports of
    // the two log views). The controls must have mouse tracking on.
    void install();
    // The help area shows a text, as a move over its control would.
    void show(const HelpText& text);
    // One more control with a fixed text: one the window adds beside the
    // built form. Its child widgets show the text too.
    void addText(QWidget* control, const HelpText& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Kind { Text, Clear, BareArea, Macro };
    struct Action {
        Kind kind = Kind::Clear;
        const HelpText* text = nullptr;  // Kind::Text
        int macro = 0;                   // Kind::Macro
    };

    void watch(QObject* o, Action a);

    Controls& c_;
    std::function<void(int)> macroHelp_;
    QHash<QObject*, Action> actions_;
};

}  // namespace comtrax
