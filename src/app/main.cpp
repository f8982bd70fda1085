// The composition root: the real port, the port list, the clock and the
// window. (The window makes its own Qt dialogs: they need it as their parent.)
#include <QApplication>
#include <QLocale>

#include <cstdio>

#include "app/command_line.h"
#include "common/clock.h"
#include "netport/network_port.h"
#include "netport/port_router.h"
#include "netport/recent_network_ports.h"
#include "qtserial/qt_serial_port.h"
#include "ui/window/terminal_window.h"
#include "ui/kit/translation.h"

int main(int argc, char* argv[])
{
    // The interface speaks the user's language when we have it, Russian otherwise;
    // the command line too, which is read before the window system starts, so
    // that --help and --version work without a display.
    comtrax::Language language = comtrax::languageFor(QLocale::system().uiLanguages());
    comtrax::installLanguage(language);
    QStringList args;
    for (int i = 0; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    // --lang wins over the locale, for the command line's own help and
    // messages too: it is switched to before they are made.
    const comtrax::CommandLine line =
        comtrax::parseCommandLine(args, comtrax::processEnvironment, [&language](const std::string& name) {
            const auto chosen = comtrax::parseLanguage(QString::fromStdString(name));
            if (chosen && *chosen != language) {
                language = *chosen;
                comtrax::installLanguage(language);
            }
        });
    if (line.outcome != comtrax::CommandLine::Outcome::Run) {
        std::fputs(line.text.c_str(), line.outcome == comtrax::CommandLine::Outcome::Print ? stdout : stderr);
        return line.exitCode;
    }
    const comtrax::StartOptions& options = line.options;
    if (const auto error = comtrax::prepareDirectory(options.directory)) {
        std::fputs(error->c_str(), stderr);
        return 2;
    }

    QApplication app(argc, argv);
    comtrax::installLanguage(language);
    comtrax::SystemClock clock;
    comtrax::QtSerialPort localPort;
    comtrax::NetworkPort networkPort(clock);
    // tcp:// and rfc2217:// names open the network port, the others a local one.
    comtrax::PortRouter port(localPort, networkPort);
    comtrax::QtPortLister localLister;
    // The network ports used lately follow the local ones in ComPort's list.
    comtrax::RecentNetworkPorts recent(options.directory + "/CfgNetPorts");
    comtrax::RecentPortLister lister(localLister, recent);
    port.setConnectedListener([&recent](const std::string& name) { recent.use(name); });
    comtrax::WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    env.directory = options.directory;
    env.startPort = options.port;
    env.startBaud = options.baud;
    env.startDataBits = options.dataBits;
    env.startStopBitsIndex = options.stopBitsIndex;
    env.startParity = options.parity;
    env.startFlow = options.flow;
    env.connectAtStart = options.connect;
    comtrax::TerminalWindow w(env);
    w.show();
    return app.exec();
}
