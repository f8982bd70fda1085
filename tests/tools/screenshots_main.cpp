// Pictures of the window and each dialog in one language, for checking by eye
// that every text fits its control:
//   window_screenshots --lang en --out DIR
// (not a test: run it by hand, e.g. with QT_QPA_PLATFORM=offscreen).
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QCommandLineParser>
#include <QDir>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>

#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/temp_dir.h"
#include "ui/dialogs/about_dialog.h"
#include "ui/panels/controls.h"
#include "ui/panels/help_hover.h"
#include "ui/logview/log_find_bar.h"
#include "ui/dialogs/macro_help_editor.h"
#include "ui/panels/macro_panel.h"
#include "ui/window/terminal_timers.h"
#include "ui/dialogs/no_port_dialog.h"
#include "ui/dialogs/save_macros_prompt.h"
#include "ui/window/terminal_window.h"
#include "ui/kit/translation.h"
#include "ui/recording_dialogs.h"

using namespace comtrax;

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addOption({"lang", "ru or en", "lang", "en"});
    parser.addOption({"out", "directory for the pictures", "dir", "."});
    parser.process(app);
    const auto language = parseLanguage(parser.value("lang"));
    if (!language || !installLanguage(*language))
        return 2;
    const QDir out(parser.value("out"));
    const QString tag = parser.value("lang");
    auto save = [&](QWidget& w, const QString& name) {
        w.grab().save(out.filePath(tag + "-" + name + ".png"));
    };

    testing::TempDir dir;
    testing::FakeSerialPort port;
    testing::FakePortLister lister;
    lister.ports = {"ttyUSB0", "ttyACM0"};
    testing::FakeClock clock;
    testing::RecordingDialogs dialogs;
    WindowEnvironment env;
    env.port = &port;
    env.lister = &lister;
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.directory = dir.path();
    env.startTimers = false;
    TerminalWindow window(env);
    window.show();
    app.processEvents();
    save(window, "window");
    const struct {
        const HelpText& text;
        const char* name;
    } helps[] = {{suffixHelp(), "help-suffix"},
                 {sendOnConnectHelp(), "help-send-on-connect"},
                 {rescanHelpForThisSystem(), "help-rescan"},
                 {timeRxHelp(), "help-timerx"},
                 {lineStateHelp(), "help-line-state"},
                 {portSettingsHelp(), "help-port-settings"}};
    for (const auto& h : helps) {
        setHelpLines(window.controls(), h.text);
        app.processEvents();
        save(window, h.name);
    }

    // A short exchange, so the log shows sent and received lines, in each
    // colour scheme, and then the find bar over it.
    window.controls().BTConnect->click();
    for (const char* request : {"AT", "AT+GMR", "AT+CSQ", "AT+COPS?"}) {
        window.controls().MainStrCmd->setText(QString::fromLatin1(request));
        window.controls().ButtonSend->click();
        port.feed(std::string(request) + " -> OK\r");
        window.timers().pollReceive();
        clock.advance(1);
        window.timers().pollReceive();
    }
    window.timers().runHousekeeping();
    for (int scheme = 0; scheme < 6; ++scheme) {
        app.processEvents();
        save(window, QStringLiteral("log-scheme%1").arg(scheme));
        window.controls().BTPalitra->click();
    }
    auto* findBar = window.findChild<LogFindBar*>();
    findBar->open();
    findBar->field()->setText(QStringLiteral("gmr"));
    findBar->findNext();
    app.processEvents();
    save(window, "log-find");
    findBar->close();

    AboutDialog about;
    about.show();
    save(about, "about");
    SaveMacrosPrompt prompt;
    prompt.show();
    save(prompt, "save-prompt");
    MacroHelpEditor editor(&window.findChild<MacroPanel*>()->editorHost());
    editor.show();
    save(editor, "help-editor");
    NoPortDialog noPort;
    noPort.show();
    save(noPort, "no-port");
    noPort.hide();
    editor.hide();

    // The port list open, with what the system tells of each device. The
    // list is a window of its own: the picture is of the whole screen (run
    // under a display, e.g. xvfb-run, for this one).
    if (window.terminal().connected())
        window.controls().BTConnect->click();
    lister.infos = {{"ttyUSB0", "CP2102 USB to UART Bridge Controller", "0001", "10c4", "ea60", "1-1.2:1.0"},
                    {"ttyACM0", "Pico", "E66138935F2F", "2e8a", "000a", "1-1.3:1.0"},
                    {"ttyS0", "", "", "", "", ""},
                    {"/dev/serial/by-id/usb-Silicon_Labs_CP2102_0001-if00-port0", "", "", "", "", ""}};
    window.controls().BTRescan->click();
    window.activateWindow();
    window.controls().ComPort->showPopup();
    for (int i = 0; i < 10; ++i)
        app.processEvents();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        screen->grabWindow(0).save(out.filePath(tag + "-ports.png"));
    window.controls().ComPort->hidePopup();
    return 0;
}
