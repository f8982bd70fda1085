#include "ui/kit/up_down.h"

#include <QToolButton>

namespace comtrax {

UpDown::UpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    for (QToolButton* b : {up_, down_}) {
        // Holding an arrow keeps stepping, as an up-down control does.
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMouseTracking(true);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, &UpDown::upClicked);
    connect(down_, &QToolButton::clicked, this, &UpDown::downClicked);
}

void UpDown::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int upHeight = height() / 2;
    up_->setGeometry(0, 0, width(), upHeight);
    down_->setGeometry(0, upHeight, width(), height() - upHeight);
}

}  // namespace comtrax
