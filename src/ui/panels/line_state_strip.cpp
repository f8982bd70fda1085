#include "ui/panels/line_state_strip.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

#include "ui/kit/translation.h"

namespace comtrax {

namespace {

constexpr const char* LampNames[] = {"CTS", "DSR", "DCD", "RI"};

// The strip is one text line high: it fits the margin under the bands.
QFont smallFont(QFont f)
{
    f.setPixelSize(10);
    return f;
}

QString stateText(const char* name, bool known, bool on)
{
    // ● on, ○ off, — unknown.
    return QString::fromLatin1(name) + QChar(' ')
        + (known ? (on ? QChar(0x25CF) : QChar(0x25CB)) : QChar(0x2014));
}

void paintState(QWidget* w, bool known, bool on)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, known && on ? QColor(0x00, 0x80, 0x00) : QColor(0x50, 0x50, 0x50));
    p.setColor(QPalette::ButtonText, p.color(QPalette::WindowText));
    w->setPalette(p);
}

}  // namespace

LineStateStrip::LineStateStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("LineStateStrip"));
    setFont(smallFont(font()));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);

    auto toggle = [this, row](const char* name, const QString& tip) {
        auto* b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedHeight(13);
        row->addWidget(b);
        return b;
    };
    dtr_ = toggle("DtrToggle", uiText("DTR: щелчок включает или выключает линию"));
    rts_ = toggle("RtsToggle", uiText("RTS: щелчок включает или выключает линию"));
    connect(dtr_, &QToolButton::clicked, this, &LineStateStrip::dtrClicked);
    connect(rts_, &QToolButton::clicked, this, &LineStateStrip::rtsClicked);

    const char* lampNames[] = {"CtsLamp", "DsrLamp", "DcdLamp", "RiLamp"};
    for (int i = 0; i < 4; ++i) {
        lamps_[i] = new QLabel(this);
        lamps_[i]->setObjectName(QString::fromLatin1(lampNames[i]));
        lamps_[i]->setTextFormat(Qt::PlainText);
        row->addWidget(lamps_[i]);
    }
    // Quietly, beside the lamps: the baud a device server set instead of the
    // one asked (its line may not do the asked one).
    baud_ = new QLabel(this);
    baud_->setObjectName(QStringLiteral("ReportedBaud"));
    baud_->setTextFormat(Qt::PlainText);
    baud_->hide();
    row->addWidget(baud_);
    row->addStretch();
    setToolTip(uiText("Линии порта; правая кнопка мыши: сброс импульсом, Break, параметры порта"));

    auto action = [this](const QString& text, void (LineStateStrip::*signal)()) {
        auto* a = new QAction(text, this);
        connect(a, &QAction::triggered, this, signal);
        addAction(a);
    };
    action(uiText("Сброс импульсом"), &LineStateStrip::resetPulseRequested);
    action(QStringLiteral("Break"), &LineStateStrip::breakRequested);
    action(uiText("Параметры порта…"), &LineStateStrip::settingsRequested);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    showLines(true, true, false, ModemLines{});
}

namespace {

template <class W> void showState(W* w, const char* name, bool known, bool on)
{
    const QString text = stateText(name, known, on);
    if (w->text() == text)
        return;
    w->setText(text);
    paintState(w, known, on);
}

}  // namespace

void LineStateStrip::showLines(bool dtr, bool rts, bool rtsOwnedByDriver, const ModemLines& lines)
{
    const Shown now{dtr, rts, rtsOwnedByDriver, lines};
    if (anyShown_ && now == shown_)
        return;
    shown_ = now;
    anyShown_ = true;
    dtr_->setChecked(dtr);
    showState(dtr_, "DTR", true, dtr);
    // Under RTS/CTS flow control the driver sets RTS; the strip shows it as read.
    const bool rtsKnown = !rtsOwnedByDriver || lines.valid;
    const bool rtsOn = rtsOwnedByDriver ? lines.rts : rts;
    rts_->setEnabled(!rtsOwnedByDriver);
    rts_->setChecked(rtsOn);
    showState(rts_, "RTS", rtsKnown, rtsOn);

    const bool on[] = {lines.cts, lines.dsr, lines.dcd, lines.ri};
    for (int i = 0; i < 4; ++i)
        showState(lamps_[i], LampNames[i], lines.valid, on[i]);
    showBaud(lines.askedBaud, lines.reportedBaud);
}

void LineStateStrip::showBaud(uint32_t asked, uint32_t reported)
{
    const bool differs = reported != 0 && reported != asked;
    baud_->setVisible(differs);
    if (!differs) {
        baud_->clear();
        return;
    }
    const QString a = QString::number(asked);
    const QString r = QString::number(reported);
    baud_->setText(uiText("%1 (сервер: %2)").arg(a, r));
    const QString said = uiText("Скорость: запрошена %1, сервер установил %2").arg(a, r);
    baud_->setToolTip(said);
    baud_->setAccessibleName(said);
}

QString LineStateStrip::baudText() const
{
    return baud_->text();
}

QString LineStateStrip::lampText(int index) const
{
    return lamps_[index]->text();
}

}  // namespace comtrax
