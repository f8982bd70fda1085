#include "ui/kit/quiet_scroll_bar.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include <QStyleOptionSlider>
#include <QTimer>

namespace comtrax {

QuietScrollBar::QuietScrollBar(Qt::Orientation orientation, QWidget* parent)
    : QScrollBar(orientation, parent), pacedPaint_(new QTimer(this))
{
    pacedPaint_->setSingleShot(true);
    connect(pacedPaint_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

QuietScrollBar::Paced::Paced(QScrollBar* bar) : bar_(dynamic_cast<QuietScrollBar*>(bar))
{
    if (bar_)
        ++bar_->pacedDepth_;
}

QuietScrollBar::Paced::~Paced()
{
    if (bar_)
        --bar_->pacedDepth_;
}

QuietScrollBar::Look QuietScrollBar::look() const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    Look now;
    now.handle = style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this);
    now.atMinimum = value() == minimum();
    now.atMaximum = value() == maximum();
    return now;
}

void QuietScrollBar::sliderChange(SliderChange change)
{
    // A new range or value that leaves every pixel where it was needs no
    // paint; anything else (steps, orientation) goes the usual way.
    const bool moved = change == SliderRangeChange || change == SliderValueChange;
    if (moved && painted_ && look() == *painted_)
        return;
    if (moved && pacedDepth_ > 0 && sincePaint_.isValid() && !sincePaint_.hasExpired(PaceMs)) {
        if (!pacedPaint_->isActive())
            pacedPaint_->start(static_cast<int>(PaceMs - sincePaint_.elapsed()));
        return;
    }
    QScrollBar::sliderChange(change);
}

QStyle::SubControl QuietScrollBar::hitTest(const QPoint& at) const
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    return style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option, at, this);
}

// The part under the pointer or held down shows as such, as on any bar.
void QuietScrollBar::showState(QStyleOptionSlider& option) const
{
    option.subControls = QStyle::SC_All;
    if (pressed_ != QStyle::SC_None) {
        option.activeSubControls = pressed_;
        if (!pointerOutside_)
            option.state |= QStyle::State_Sunken;
    } else {
        option.activeSubControls = hovered_;
    }
}

void QuietScrollBar::paintEvent(QPaintEvent* event)
{
    // Only a paint of the whole bar tells what it shows; after a part of it
    // the next change paints again.
    if ((QRegion(rect()) - event->region()).isEmpty())
        painted_ = look();
    else
        painted_.reset();
    sincePaint_.start();
    pacedPaint_->stop();
    QStyleOptionSlider option;
    initStyleOption(&option);
    showState(option);
    QPainter painter(this);
    const bool vertical = orientation() == Qt::Vertical;
    const int length = vertical ? height() : width();
    // Across the bar every fill is short already; along it, bands keep each
    // one under the length the engine would share out.
    for (int at = 0; at < length; at += Band) {
        painter.setClipRect(vertical ? QRect(0, at, width(), Band) : QRect(at, 0, Band, height()));
        style()->drawComplexControl(QStyle::CC_ScrollBar, &option, &painter, this);
    }
}

bool QuietScrollBar::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        if (const auto* hover = static_cast<QHoverEvent*>(event)) {
            const QStyle::SubControl now = hitTest(hover->position().toPoint());
            if (now != hovered_) {
                hovered_ = now;
                update();
            }
        }
        break;
    case QEvent::HoverLeave:
        if (hovered_ != QStyle::SC_None) {
            hovered_ = QStyle::SC_None;
            update();
        }
        break;
    default:
        break;
    }
    return QScrollBar::event(event);
}

void QuietScrollBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton || event->button() == Qt::MiddleButton) {
        pressed_ = hitTest(event->position().toPoint());
        pointerOutside_ = false;
    }
    QScrollBar::mousePressEvent(event);
    update();
}

void QuietScrollBar::mouseMoveEvent(QMouseEvent* event)
{
    if (pressed_ != QStyle::SC_None && pressed_ != QStyle::SC_ScrollBarSlider) {
        const bool outside = hitTest(event->position().toPoint()) != pressed_;
        if (outside != pointerOutside_) {
            pointerOutside_ = outside;
            update();
        }
    }
    QScrollBar::mouseMoveEvent(event);
}

void QuietScrollBar::mouseReleaseEvent(QMouseEvent* event)
{
    pressed_ = QStyle::SC_None;
    pointerOutside_ = false;
    QScrollBar::mouseReleaseEvent(event);
    update();
}

}  // namespace comtrax
