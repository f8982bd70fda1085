#include "ui/panels/help_hover.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/panels/controls.h"
#include "ui/kit/translation.h"

namespace comtrax {

void setHelpLines(MacroControls& c, const HelpText& text)
{
    const auto lines = helpLines(text);
    for (int k = 1; k <= HelpLineTotal; ++k)
        c.STH[k]->setText(lines[static_cast<std::size_t>(k - 1)]);
}

void clearHelp(MacroControls& c)
{
    for (int k = 1; k <= HelpLineTotal; ++k)
        c.STH[k]->clear();
}

HelpHover::HelpHover(Controls& c, std::function<void(int k)> macroHelp, QObject* parent)
    : QObject(parent), c_(c), macroHelp_(std::move(macroHelp))
{}

void HelpHover::watch(QObject* o, Action a)
{
    actions_.insert(o, a);
    o->installEventFilter(this);
}

void HelpHover::install()
{
    const struct {
        QWidget* control;
        const HelpText& text;
    } texts[] = {
        {c_.BTConnect, connectHelp()},       {c_.BTRescan, rescanHelpForThisSystem()},
        {c_.AutoConnect, autoConnectHelp()}, {c_.TimeOutAns, timeRxHelp()},
        {c_.FiltrLog, filterHelp()},         {c_.RBManual, manualModeHelp()},
        {c_.RBSel, onSelectModeHelp()},      {c_.RBAfterAns, afterAnswerModeHelp()},
        {c_.RBPeriod, periodModeHelp()},     {c_.SendAsReconn, sendOnConnectHelp()},
        {c_.CiklSend, cyclicSendHelp()},     {c_.MainStrCmd, commandLineHelp()},
        {c_.AddStrCmd, suffixHelp()},
    };
    for (const auto& t : texts)
        watch(t.control, {Kind::Text, &t.text, 0});

    for (QWidget* w : {static_cast<QWidget*>(c_.EditAllCmd), static_cast<QWidget*>(c_.DelList),
                       static_cast<QWidget*>(c_.ListInc), static_cast<QWidget*>(c_.ListDec),
                       static_cast<QWidget*>(c_.ButtonReadFile), static_cast<QWidget*>(c_.SendStart),
                       static_cast<QWidget*>(c_.ButtonSend)})
        watch(w, {Kind::Clear, nullptr, 0});
    // The pointer over a text area is over its viewport, which gets the event.
    for (QAbstractScrollArea* log : {static_cast<QAbstractScrollArea*>(c_.MainWindow),
                                     static_cast<QAbstractScrollArea*>(c_.SecondWindow)}) {
        watch(log, {Kind::Clear, nullptr, 0});
        watch(log->viewport(), {Kind::Clear, nullptr, 0});
    }
    for (QWidget* w : {c_.Panel1, c_.LogPanel, c_.MainPanel})
        watch(w, {Kind::BareArea, nullptr, 0});
    for (int k = 1; k <= MacroCount; ++k) {
        watch(c_.Button[k], {Kind::Macro, nullptr, k});
        watch(c_.Edit[k], {Kind::Macro, nullptr, k});
    }
}

void HelpHover::show(const HelpText& text)
{
    setHelpLines(c_, text);
}

void HelpHover::addText(QWidget* control, const HelpText& text)
{
    // Tracking on, as on the form's own controls: without it no pointer move
    // arrives while no button is pressed.
    control->setMouseTracking(true);
    watch(control, {Kind::Text, &text, 0});
    for (QWidget* w : control->findChildren<QWidget*>()) {
        w->setMouseTracking(true);
        watch(w, {Kind::Text, &text, 0});
    }
}

bool HelpHover::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::MouseMove)
        return false;
    const auto it = actions_.constFind(watched);
    if (it == actions_.cend())
        return false;
    switch (it->kind) {
    case Kind::Text:
        setHelpLines(c_, *it->text);
        break;
    case Kind::Clear:
        clearHelp(c_);
        break;
    case Kind::BareArea: {
        // A move that a child control left unhandled travels on to its panel;
        // only a move over the panel itself is over its bare area.
        const auto* panel = static_cast<QWidget*>(watched);
        const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
        if (panel->childAt(at) == nullptr)
            clearHelp(c_);
        break;
    }
    case Kind::Macro:
        if (macroHelp_)
            macroHelp_(it->macro);
        break;
    }
    // The control still handles the move as usual.
    return false;
}

}  // namespace comtrax
