#include "serial/connection.h"

#include <algorithm>
#include <string>
#include <utility>

#include "common/terminal_view.h"
#include "common/texts.h"

namespace comtrax {

namespace {

const char* const OpenFailedText =
    "Что-то не открывается порт. Программа может работать только с COM1..COM9.";

// What the user can do about a port that did not open, when the system says why.
const char* openFailedText(OpenFailure why)
{
    switch (why) {
    case OpenFailure::PermissionDenied:
        return "Нет доступа к порту. Добавьте пользователя в группу dialout "
               "(sudo usermod -aG dialout $USER) и войдите в систему заново.";
    case OpenFailure::Busy:
        return "Порт занят: его открыла другая программа.";
    case OpenFailure::HeldByOther:
        return "Порт занят: его заблокировала другая программа (например, picocom или minicom).";
    case OpenFailure::NoDevice:
        return "Порт не найден: устройство отключено или такого порта нет.";
    case OpenFailure::UnsupportedSetting:
        return "Порт не принимает эти параметры: скорость, биты данных или стоповые биты.";
    case OpenFailure::NotATerminal:
    case OpenFailure::UnsafeLockFile:  // told with the file's name
    case OpenFailure::Unknown:
        break;
    }
    return OpenFailedText;
}

std::string openFailedMessage(const SerialPort& port, const std::string& name)
{
    const OpenFailure why = port.lastOpenFailure();
    // Opened, but no terminal: nobody holds it, it just is no port.
    if (why == OpenFailure::NotATerminal)
        return trFormat("%1 — не последовательный порт: у этого устройства нет настроек линии.", {name});
    if (why == OpenFailure::UnsafeLockFile)
        return trFormat("Порт не открыт: файл блокировки %1 — не обычный файл (его мог подложить другой "
                        "пользователь). Удалите его и попробуйте снова.",
                        {port.lastOpenLockFile()});
    const std::string holder = port.lastOpenHolder();
    if ((why == OpenFailure::Busy || why == OpenFailure::HeldByOther) && !holder.empty())
        return trFormat("Порт занят: его держит программа %1. Закройте её и попробуйте снова.", {holder});
    return trText(openFailedText(why));
}

// The pause after a reconnection lets a device that has just come back finish
// starting up before the terminal talks to it.
constexpr int ReconnectPauseMs = 2000;

}  // namespace

Connection::Connection(PortAccess& access, TerminalView& view, Hooks hooks)
    : access_(access), view_(view), hooks_(std::move(hooks))
{}

void Connection::toggle(const PortParameters& params, bool sendOnConnect)
{
    if (connected_) {
        // In the lost state the port is already closed; this only resets the
        // display. A connection still being made is cancelled at once.
        access_.closePort();
        connected_ = connecting_ = false;
        colour_ = clWindow;
        retryPause_ = retryWait_ = 0;
        return;
    }

    if (!access_.openPort(params)) {
        // With no port chosen "Выбери порт!" has been said, and a box with no
        // entry has had its conversion error; one message per click is enough.
        const std::string notice = access_.port().takeNotice();
        if (!notice.empty())
            view_.showMessage(notice);
        else if (!access_.portName().empty() && !access_.conversionFailed() && !access_.pathRefused())
            view_.showMessage(openFailedMessage(access_.port(), access_.portName()));
        return;
    }
    access_.rememberIdentity();
    connected_ = true;
    retryPause_ = retryWait_ = 0;
    if (access_.port().connecting()) {
        connecting_ = true;
        userAttempt_ = true;
        colour_ = clYellow;
        return;
    }
    colour_ = clLime;
    if (sendOnConnect && hooks_.sendAfterConnect)
        hooks_.sendAfterConnect();
}

void Connection::finishConnecting(bool autoConnect, bool sendOnConnect)
{
    connecting_ = false;
    const bool alive = access_.probePort();
    const std::string notice = access_.port().takeNotice();
    const bool told = userAttempt_;
    userAttempt_ = false;
    if (told && !notice.empty())
        view_.showMessage(notice);
    if (alive) {
        colour_ = clLime;
        retryPause_ = retryWait_ = 0;
        if (!told && hooks_.sleep)
            hooks_.sleep(ReconnectPauseMs);
        if (sendOnConnect && hooks_.sendAfterConnect)
            hooks_.sendAfterConnect();
        return;
    }
    access_.closePort();
    if (told && !autoConnect) {
        // The connection asked for never came about: as a port that did not open.
        connected_ = false;
        colour_ = clWindow;
        return;
    }
    colour_ = autoConnect ? clYellow : clRed;
    // Each failed attempt waits longer before the next, up to a limit.
    retryPause_ = retryPause_ == 0 ? 1 : std::min(retryPause_ * 2, MaxRetryPause);
    retryWait_ = retryPause_;
}

bool Connection::waitBeforeRetry()
{
    if (retryWait_ <= 0)
        return false;
    --retryWait_;
    return true;
}

void Connection::check(const PortParameters& params, bool autoConnect, bool sendOnConnect)
{
    if (connecting_) {
        if (!access_.port().connecting())
            finishConnecting(autoConnect, sendOnConnect);
        return;
    }
    const bool alive = access_.probePort();
    if (!alive && access_.portOpen()) {
        // Why the connection ended, when the port knows (a server that broke
        // the protocol); a device simply gone is told by the colour.
        const std::string notice = access_.port().takeNotice();
        if (!notice.empty())
            view_.showMessage(notice);
    }

    if (!autoConnect && !alive && access_.portOpen())
        colour_ = clRed;
    if (connected_ && !access_.portOpen() && !autoConnect)
        colour_ = clRed;

    if (!alive)
        access_.closePort();

    if (!autoConnect)
        return;
    if (!connected_) {
        colour_ = clWindow;
        return;
    }
    if (alive)
        return;

    if (waitBeforeRetry()) {
        colour_ = clYellow;
        return;
    }
    if (!access_.reopenPort(params)) {
        access_.port().takeNotice();  // a reconnection is quiet
        colour_ = clYellow;           // tried again on the next tick
        return;
    }
    if (access_.port().connecting()) {
        connecting_ = true;
        colour_ = clYellow;
        return;
    }
    colour_ = clLime;
    if (hooks_.sleep)
        hooks_.sleep(ReconnectPauseMs);
    if (sendOnConnect && hooks_.sendAfterConnect)
        hooks_.sendAfterConnect();
}

}  // namespace comtrax
