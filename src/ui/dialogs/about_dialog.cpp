#include "ui/dialogs/about_dialog.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>

#include "ui/kit/dialog_placement.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

QLineEdit* makeContactLine(QWidget* parent, const char* name, const QString& text)
{
    auto* line = new QLineEdit(text, parent);
    line->setObjectName(name);
    line->setReadOnly(true);
    line->setFrame(false);
    line->setAlignment(Qt::AlignCenter);
    // Reachable by the mouse (to copy the address) but not by Tab, so that
    // the focus never lands on it by itself with its text selected.
    line->setFocusPolicy(Qt::ClickFocus);
    line->setCursorPosition(0);
    return line;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent, CloseBoxOnly)
{
    setObjectName("AboutDialog");
    setWindowTitle(QStringLiteral("Info"));
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);

    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Base, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    const int width = ClientWidth;

    title_ = new QLabel(uiText("Терминал для работы с COM-портом"), this);
    title_->setObjectName("Label1");
    QFont bold = font();
    bold.setBold(true);
    title_->setFont(bold);
    title_->setAlignment(Qt::AlignCenter);
    title_->setGeometry(0, 6, width, 20);

    product_ = new QLabel(QStringLiteral("Comtrax v1.06"), this);
    product_->setObjectName("Label2");
    QFont large = bold;
    large.setPointSize(16);
    product_->setFont(large);
    product_->setAlignment(Qt::AlignCenter);
    product_->setGeometry(0, 28, width, 30);

    contact1_ = makeContactLine(this, "Edit1", uiText("Сайт: https://comtrax.example"));
    contact1_->setGeometry(8, 60, width - 16, 20);

    panel_ = new QFrame(this);
    panel_->setObjectName("Panel1");
    panel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel_->setLineWidth(1);
    QPalette edge = panel_->palette();
    edge.setColor(QPalette::WindowText, QColor(0xA0, 0xA8, 0xB0));  // a bevel would vanish on white
    panel_->setPalette(edge);
    const int frame = panel_->frameWidth();
    panel_->setGeometry((width - PictureWidth) / 2 - frame, 84, PictureWidth + 2 * frame,
                        PictureHeight + 2 * frame);
    image_ = new QLabel(panel_);
    image_->setObjectName("Image1");
    image_->setPixmap(drawPicture());
    image_->setGeometry(frame, frame, PictureWidth, PictureHeight);

    contact2_ = makeContactLine(this, "Edit2", uiText("Почта: support@comtrax.example"));
    contact2_->setGeometry(8, 166, width - 16, 20);

    date_ = new QLabel(uiText("Декабрь 2026"), this);
    date_->setObjectName("Label3");
    date_->setAlignment(Qt::AlignCenter);
    date_->setGeometry(0, 196, width, 20);

    focusSink_ = new QPushButton(this);
    focusSink_->setObjectName("Button1");
    focusSink_->setGeometry(0, 0, 1, 1);
    focusSink_->hide();
}

void AboutDialog::parkFocus()
{
    focusSink_->show();
    focusSink_->setFocus(Qt::OtherFocusReason);
    focusSink_->hide();
    for (QLineEdit* line : {contact1_, contact2_})
        line->deselect();
}

bool AboutDialog::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        parkFocus();
    return QDialog::event(e);
}

void AboutDialog::showEvent(QShowEvent* e)
{
    if (!e->spontaneous()) {
        centreOnScreen(*this);
        parkFocus();
    }
    QDialog::showEvent(e);
}

QPixmap AboutDialog::drawPicture()
{
    QPixmap picture(PictureWidth, PictureHeight);
    picture.fill(QColor(0xF4, 0xF7, 0xFB));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    // The cable, leaving the connector downwards and curling away.
    QPainterPath cable;
    cable.moveTo(55.5, 50);
    cable.cubicTo(55.5, 66, 80, 58, 104, 72);
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 6, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(cable);

    // The flange, holding the fixing screws.
    p.setPen(QPen(QColor(0x55, 0x5E, 0x6A), 1.5));
    p.setBrush(QColor(0xB8, 0xBF, 0xC8));
    p.drawRoundedRect(QRectF(1.5, 19.5, 108, 16), 4, 4);

    // The metal shell of a DE-9 plug: a trapezoid with rounded corners.
    QPainterPath shell;
    shell.moveTo(14, 10);
    shell.lineTo(97, 10);
    shell.lineTo(88, 44);
    shell.lineTo(23, 44);
    shell.closeSubpath();
    p.setPen(QPen(QColor(0x55, 0x5E, 0x6A), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QLinearGradient metal(0, 10, 0, 44);
    metal.setColorAt(0, QColor(0xD9, 0xDE, 0xE5));
    metal.setColorAt(1, QColor(0x9A, 0xA3, 0xAE));
    p.setBrush(metal);
    p.drawPath(shell);

    // Its insulating face.
    QPainterPath face;
    face.moveTo(21, 15);
    face.lineTo(90, 15);
    face.lineTo(83, 39);
    face.lineTo(28, 39);
    face.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2B, 0x3A, 0x55));
    p.drawPath(face);

    // Five pins above, four below.
    p.setBrush(QColor(0xE8, 0xC5, 0x4A));
    for (int i = 0; i < 5; ++i)
        p.drawEllipse(QPointF(31 + i * 12.25, 22), 3, 3);
    for (int i = 0; i < 4; ++i)
        p.drawEllipse(QPointF(37 + i * 12.25, 32), 3, 3);

    // Fixing screws at the ends of the flange.
    p.setBrush(QColor(0x80, 0x88, 0x93));
    p.drawEllipse(QPointF(7, 27), 4, 4);
    p.drawEllipse(QPointF(104, 27), 4, 4);
    p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
    p.drawLine(QPointF(5, 27), QPointF(9, 27));
    p.drawLine(QPointF(102, 27), QPointF(106, 27));
    return picture;
}

}  // namespace comtrax
