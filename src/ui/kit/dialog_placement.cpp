#include "ui/kit/dialog_placement.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

namespace comtrax {

void centreOnScreen(QWidget& window)
{
    QScreen* screen = nullptr;
    if (QWidget* active = QApplication::activeWindow(); active && active != &window)
        screen = active->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    // Before the first show the frame is not known yet; the client rectangle is
    // close enough, the frame adds only a few pixels.
    if (!window.testAttribute(Qt::WA_WState_Created) || frame.isEmpty())
        frame = QRect(QPoint(0, 0), window.size());
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}

}  // namespace comtrax
