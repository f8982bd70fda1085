#include "ui/dialogs/no_port_dialog.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QShowEvent>

#include "ui/kit/dialog_placement.h"
#include "ui/kit/translation.h"

namespace comtrax {

namespace {

const QColor kInk(0x2B, 0x3A, 0x55);
const QColor kMetal(0xB8, 0xBF, 0xC8);
const QColor kMetalEdge(0x55, 0x5E, 0x6A);
const QColor kPin(0xE8, 0xC5, 0x4A);
const QColor kAlarm(0xD0, 0x30, 0x30);

QFont pixelFont(int pixels, bool bold)
{
    QFont font;
    font.setPixelSize(pixels);  // pixels, not points: the picture has a fixed size
    font.setBold(bold);
    return font;
}

// A DE-9 plug facing right, its cable coming in from the left edge.
void drawPlug(QPainter& p, QPointF tip)
{
    const qreal x = tip.x();
    const qreal y = tip.y();
    p.setPen(QPen(QColor(0x33, 0x33, 0x33), 14, Qt::SolidLine, Qt::RoundCap));
    QPainterPath cable;
    cable.moveTo(0, y + 40);
    cable.cubicTo(x - 140, y + 40, x - 150, y, x - 95, y);
    p.setBrush(Qt::NoBrush);
    p.drawPath(cable);

    p.setPen(QPen(kMetalEdge, 2));
    p.setBrush(QColor(0x3A, 0x3A, 0x3A));
    p.drawRoundedRect(QRectF(x - 100, y - 22, 40, 44), 6, 6);  // moulded hood
    p.setBrush(kMetal);
    p.drawRect(QRectF(x - 62, y - 48, 10, 96));  // flange
    QPainterPath shell;                          // shell seen from the side
    shell.moveTo(x - 52, y - 32);
    shell.lineTo(x, y - 26);
    shell.lineTo(x, y + 26);
    shell.lineTo(x - 52, y + 32);
    shell.closeSubpath();
    p.drawPath(shell);
    p.setPen(QPen(kPin, 4, Qt::SolidLine, Qt::FlatCap));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(x, y - 18 + i * 9), QPointF(x + 12, y - 18 + i * 9));
}

// A DE-9 socket facing left, standing out of the device's panel.
void drawSocket(QPainter& p, QPointF mouth)
{
    const qreal x = mouth.x();
    const qreal y = mouth.y();
    p.setPen(QPen(kMetalEdge, 2));
    p.setBrush(QColor(0xD5, 0xDA, 0xE0));
    p.drawRect(QRectF(x + 50, y - 100, 120, 200));  // the device
    p.setBrush(kMetal);
    p.drawRect(QRectF(x + 40, y - 48, 10, 96));  // flange
    QPainterPath shell;
    shell.moveTo(x + 40, y - 34);
    shell.lineTo(x, y - 28);
    shell.lineTo(x, y + 28);
    shell.lineTo(x + 40, y + 34);
    shell.closeSubpath();
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    p.drawRect(QRectF(x - 1, y - 22, 6, 44));  // the open mouth
    // The device's name plate.
    p.setPen(kInk);
    p.setFont(pixelFont(16, true));
    p.drawText(QRectF(x + 50, y + 60, 120, 30), Qt::AlignCenter, QStringLiteral("COM"));
}

}  // namespace

NoPortDialog::NoPortDialog(QWidget* parent) : QDialog(parent, CloseBoxOnly)
{
    setObjectName("NoPortDialog");
    setWindowTitle(QStringLiteral("OpenPortError"));
    setModal(true);
    setFixedSize(ClientWidth, ClientHeight);

    image_ = new QLabel(this);
    image_->setObjectName("Image1");
    image_->setGeometry(0, 0, ClientWidth, ClientHeight);
    image_->setPixmap(drawPicture());
}

void NoPortDialog::showEvent(QShowEvent* e)
{
    if (!e->spontaneous())
        centreOnScreen(*this);
    QDialog::showEvent(e);
}

QPixmap NoPortDialog::drawPicture()
{
    QPixmap picture(ClientWidth, ClientHeight);
    picture.fill(QColor(0xF4, 0xF7, 0xFB));
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Headline.
    p.setPen(kAlarm);
    p.setFont(pixelFont(44, true));
    p.drawText(QRectF(0, 28, ClientWidth, 60), Qt::AlignCenter, uiText("Порт не открыт"));

    // The plug hangs loose in front of the socket, with a gap and a red cross.
    const qreal midY = 220;
    drawPlug(p, QPointF(250, midY));
    drawSocket(p, QPointF(370, midY));

    p.setPen(QPen(kAlarm, 6, Qt::SolidLine, Qt::RoundCap));
    const QPointF c(315, midY);
    p.drawLine(c + QPointF(-18, -18), c + QPointF(18, 18));
    p.drawLine(c + QPointF(-18, 18), c + QPointF(18, -18));
    // Sparks of the broken link, above and below the gap.
    p.setPen(QPen(kAlarm, 3, Qt::SolidLine, Qt::RoundCap));
    for (const qreal dy : {-1.0, 1.0}) {
        p.drawLine(c + QPointF(-14, dy * 40), c + QPointF(-22, dy * 58));
        p.drawLine(c + QPointF(0, dy * 40), c + QPointF(0, dy * 62));
        p.drawLine(c + QPointF(14, dy * 40), c + QPointF(22, dy * 58));
    }

    // What to do about it.
    p.setPen(kInk);
    p.setFont(pixelFont(26, true));
    p.drawText(QRectF(0, 340, ClientWidth, 40), Qt::AlignCenter, uiText("Выберите порт и нажмите Connect"));
    p.setFont(pixelFont(17, false));
    p.drawText(QRectF(0, 388, ClientWidth, 80), Qt::AlignCenter,
               uiText("Список портов находится справа от кнопки ReScan.\n"
                      "Если нужного порта нет, подключите устройство\n"
                      "и нажмите ReScan."));
    return picture;
}

}  // namespace comtrax
