// The composition root: the real port, the port list, the clock and the
// window. (The window makes its own Qt dialogs: they need it as their parent.)
#include <QApplication>
#include <QLocale>

#include "common/clock.h"
#include "qtserial/qt_serial_port.h"
#include "ui/terminal_window.h"
#include "ui/translation.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The interface speaks the user's language when we have it, Russian otherwise.
    comtrax::installLanguage(comtrax::languageFor(QLocale::system().uiLanguages()));
    comtrax::QtSerialPort port;
    comtrax::QtPortLister lister;
    comtrax::SystemClock clock;
    comtrax::WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    comtrax::TerminalWindow w(env);
    w.show();
    return app.exec();
}
