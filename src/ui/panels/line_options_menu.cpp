#include "ui/panels/line_options_menu.h"

#include <QAction>
#include <QActionGroup>
#include <QWidget>

#include "ui/kit/translation.h"

namespace comtrax {

LineOptionsMenu::LineOptionsMenu(QWidget* portBox) : QObject(portBox), portBox_(portBox)
{
    const char* parityTexts[] = {"Чётность: нет", "Чётность: нечётная (odd)", "Чётность: чётная (even)",
                                 "Чётность: всегда 1 (mark)", "Чётность: всегда 0 (space)"};
    const char* flowTexts[] = {"Управление потоком: нет", "Управление потоком: RTS/CTS",
                               "Управление потоком: XON/XOFF"};
    auto* parities = new QActionGroup(this);
    for (int i = 0; i < 5; ++i) {
        parity_[i] = parities->addAction(uiText(parityTexts[i]));
        parity_[i]->setCheckable(true);
        parity_[i]->setObjectName(QStringLiteral("Parity%1").arg(i));
        connect(parity_[i], &QAction::triggered, this, [this, i] {
            options_.parity = static_cast<Parity>(i);
            showOptions();
            emit optionsChosen();
        });
    }
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    auto* flows = new QActionGroup(this);
    for (int i = 0; i < 3; ++i) {
        flow_[i] = flows->addAction(uiText(flowTexts[i]));
        flow_[i]->setCheckable(true);
        flow_[i]->setObjectName(QStringLiteral("Flow%1").arg(i));
        connect(flow_[i], &QAction::triggered, this, [this, i] {
            options_.flow = static_cast<FlowControl>(i);
            showOptions();
            emit optionsChosen();
        });
    }
    portBox_->addActions(parities->actions());
    portBox_->addAction(separator);
    portBox_->addActions(flows->actions());
    auto* beforeSettings = new QAction(this);
    beforeSettings->setSeparator(true);
    settings_ = new QAction(uiText("Параметры порта…"), this);
    settings_->setObjectName(QStringLiteral("PortSettings"));
    connect(settings_, &QAction::triggered, this, &LineOptionsMenu::settingsRequested);
    portBox_->addAction(beforeSettings);
    portBox_->addAction(settings_);
    portBox_->setContextMenuPolicy(Qt::ActionsContextMenu);
    showOptions();
}

void LineOptionsMenu::setOptions(const LineOptions& options)
{
    options_ = options;
    showOptions();
}

QAction* LineOptionsMenu::parityAction(Parity p) const
{
    return parity_[static_cast<int>(p)];
}

QAction* LineOptionsMenu::flowAction(FlowControl f) const
{
    return flow_[static_cast<int>(f)];
}

// The checked entries follow the options; a choice other than none and none
// shows on the port box as its hint, so it is not forgotten.
void LineOptionsMenu::showOptions()
{
    parityAction(options_.parity)->setChecked(true);
    flowAction(options_.flow)->setChecked(true);
    if (options_ == LineOptions{})
        portBox_->setToolTip(uiText("Чётность и управление потоком: правая кнопка мыши"));
    else
        portBox_->setToolTip(parityAction(options_.parity)->text() + QLatin1Char('\n')
                             + flowAction(options_.flow)->text());
}

}  // namespace comtrax
