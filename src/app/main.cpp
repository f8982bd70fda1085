#include <QApplication>

#include "ui/terminal_window.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    comtrax::TerminalWindow w;
    w.show();
    return app.exec();
}
