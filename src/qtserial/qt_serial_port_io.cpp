#include "qtserial/qt_serial_port.h"

#include <QSerialPort>

#include <algorithm>
#include <cerrno>
#include <climits>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

// The port's synchronous side: what waits, reading, writing and the modem
// lines, called from inside the terminal's handlers. On Linux through the
// descriptor QSerialPort opened; elsewhere through QSerialPort's own calls.
namespace comtrax {

#ifndef _WIN32

namespace {

// What poll() reports of fd at this moment, without waiting; a poll that
// fails reports the descriptor as invalid.
short eventsNow(int fd, short asked)
{
    pollfd p{fd, asked, 0};
    int r = 0;
    while ((r = ::poll(&p, 1, 0)) < 0 && errno == EINTR) {
    }
    return r < 0 ? static_cast<short>(POLLNVAL) : p.revents;
}

}  // namespace

bool QtSerialPort::probe()
{
    if (!port_->isOpen())
        return false;
    if (port_->error() == QSerialPort::ResourceError)
        return false;
    const int fd = static_cast<int>(port_->handle());
    // QSerialPort raises no error of its own when a pty's other end closes, nor
    // before the event loop has run after a USB adapter was pulled. Both hang
    // the line up, which poll reports whatever events are asked for.
    if (eventsNow(fd, 0) & (POLLHUP | POLLERR | POLLNVAL))
        return false;
    // Every terminal request on a hung-up line fails. Reading the settings is
    // enough to see that; writing them back would reprogram the UART each second.
    termios t{};
    return ::tcgetattr(fd, &t) == 0;
}

uint32_t QtSerialPort::inputCount()
{
    if (!port_->isOpen())
        return 0;
    // Asked every millisecond: clearing an error that is not there would
    // still build QSerialPort's translated "no error" text each time.
    if (port_->error() != QSerialPort::NoError)
        port_->clearError();
    // Bytes may sit in two places: in QSerialPort's buffer, when the event loop
    // let its notifier read them, and in the system's queue. Both count; read()
    // takes them in that order, which is the order they came in.
    long long total = port_->bytesAvailable();
    int queued = 0;
    if (::ioctl(static_cast<int>(port_->handle()), FIONREAD, &queued) == 0 && queued > 0)
        total += queued;
    return static_cast<uint32_t>(std::min<long long>(total, UINT32_MAX));
}

uint32_t QtSerialPort::read(uint8_t* buffer, uint32_t n)
{
    if (!port_->isOpen() || n == 0)
        return 0;
    uint32_t got = 0;
    const long long buffered = port_->bytesAvailable();
    if (buffered > 0) {
        const qint64 r = port_->read(reinterpret_cast<char*>(buffer), std::min<long long>(buffered, n));
        if (r > 0)
            got = static_cast<uint32_t>(r);
    }
    const int fd = static_cast<int>(port_->handle());
    while (got < n) {
        const ssize_t r = ::read(fd, buffer + got, n - got);
        if (r > 0) {
            got += static_cast<uint32_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        break;  // nothing more waiting (EAGAIN), end of input or a lost line
    }
    return got;
}

int64_t QtSerialPort::readReceived(uint8_t* buffer, uint32_t n)
{
    // Straight from the descriptor: QSerialPort itself is not for use from a
    // second thread. The handle stays the same while the port is open, and
    // the port is not closed while the receive thread runs.
    const int fd = static_cast<int>(port_->handle());
    if (fd < 0)
        return -1;
    // The descriptor may be a blocking one: then read only what poll() says
    // is there, so that the call never waits for more. A non-blocking one
    // (as QSerialPort opens them) is read at once, one call a read.
    if (fd != nonBlockingFd_.load(std::memory_order_relaxed)) {
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags >= 0 && (flags & O_NONBLOCK)) {
            nonBlockingFd_.store(fd, std::memory_order_relaxed);
        } else {
            const short ready = eventsNow(fd, POLLIN);
            if (ready & POLLNVAL)
                return -1;
            if ((ready & POLLIN) == 0)
                return (ready & (POLLHUP | POLLERR)) ? -1 : 0;
        }
    }
    for (;;) {
        const ssize_t r = ::read(fd, buffer, n);
        if (r > 0)
            return r;
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return 0;
        if (r == 0) {
            // A terminal set to return at once gives 0 both when nothing
            // waits and when the line has hung up: only poll() tells them
            // apart.
            return (eventsNow(fd, POLLIN) & (POLLHUP | POLLERR | POLLNVAL)) ? -1 : 0;
        }
        return -1;  // a hung-up line (EIO) or another failure
    }
}

void QtSerialPort::purge()
{
    if (!port_->isOpen())
        return;
    // Input waiting is discarded, in QSerialPort's buffer and in the system's.
    // Output is not flushed from the system's queue: write() has handed those
    // bytes over as a finished send, the way a synchronous write completes, and
    // the next send's purge must not cut the previous line short on a slow line.
    port_->clear(QSerialPort::Input);
    ::tcflush(static_cast<int>(port_->handle()), TCIFLUSH);
    port_->clearError();
}

int64_t QtSerialPort::write(const uint8_t* data, uint32_t n)
{
    if (!port_->isOpen())
        return -1;
    // The descriptor is non-blocking: what the output queue has no room for
    // now is left to the caller, who waits for the port to become writable.
    const int fd = static_cast<int>(port_->handle());
    uint32_t done = 0;
    while (done < n) {
        const ssize_t r = ::write(fd, data + done, n - done);
        if (r > 0) {
            done += static_cast<uint32_t>(r);
            continue;
        }
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        // EIO and the like: the line is gone (the connection check will see it).
        return done > 0 ? static_cast<int64_t>(done) : -1;
    }
    return done;
}

// Modem control through the descriptor, as the kernel's tty interface has it
// (tty_ioctl(4)): TIOCMBIS and TIOCMBIC raise and drop single lines without
// touching the others, TIOCMGET reads them all, TIOCSBRK and TIOCCBRK start and
// end a break whose length the caller times (tcsendbreak would hold the window
// for its whole length). A pty has no modem lines: the calls fail with ENOTTY
// or EINVAL, and QSerialPort's error state stays clean, as the probe reads it.
namespace {

bool modemBit(int fd, int bit, bool on)
{
    int r;
    do {
        r = ::ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bit);
    } while (r < 0 && errno == EINTR);
    return r == 0;
}

}  // namespace

bool QtSerialPort::setDtr(bool on)
{
    return port_->isOpen() && modemBit(static_cast<int>(port_->handle()), TIOCM_DTR, on);
}

bool QtSerialPort::setRts(bool on)
{
    return port_->isOpen() && modemBit(static_cast<int>(port_->handle()), TIOCM_RTS, on);
}

bool QtSerialPort::setBreak(bool on)
{
    if (!port_->isOpen())
        return false;
    breakOn_ = on;
    return ::ioctl(static_cast<int>(port_->handle()), on ? TIOCSBRK : TIOCCBRK) == 0;
}

ModemLines QtSerialPort::modemLines()
{
    ModemLines m;
    int bits = 0;
    if (!port_->isOpen() || ::ioctl(static_cast<int>(port_->handle()), TIOCMGET, &bits) != 0)
        return m;
    m.valid = true;
    m.cts = (bits & TIOCM_CTS) != 0;
    m.dsr = (bits & TIOCM_DSR) != 0;
    m.dcd = (bits & TIOCM_CAR) != 0;
    m.ri = (bits & TIOCM_RNG) != 0;
    m.dtr = (bits & TIOCM_DTR) != 0;
    m.rts = (bits & TIOCM_RTS) != 0;
    return m;
}

#else  // _WIN32: QSerialPort's own calls; its buffers fill while the event loop runs.

bool QtSerialPort::setDtr(bool on)
{
    const bool ok = port_->isOpen() && port_->setDataTerminalReady(on);
    port_->clearError();
    return ok;
}

bool QtSerialPort::setRts(bool on)
{
    const bool ok = port_->isOpen() && port_->setRequestToSend(on);
    port_->clearError();
    return ok;
}

bool QtSerialPort::setBreak(bool on)
{
    if (port_->isOpen())
        breakOn_ = on;
    const bool ok = port_->isOpen() && port_->setBreakEnabled(on);
    port_->clearError();
    return ok;
}

ModemLines QtSerialPort::modemLines()
{
    ModemLines m;
    if (!port_->isOpen())
        return m;
    const QSerialPort::PinoutSignals s = port_->pinoutSignals();
    if (port_->error() != QSerialPort::NoError) {
        port_->clearError();
        return m;
    }
    m.valid = true;
    m.cts = s & QSerialPort::ClearToSendSignal;
    m.dsr = s & QSerialPort::DataSetReadySignal;
    m.dcd = s & QSerialPort::DataCarrierDetectSignal;
    m.ri = s & QSerialPort::RingIndicatorSignal;
    m.dtr = s & QSerialPort::DataTerminalReadySignal;
    m.rts = s & QSerialPort::RequestToSendSignal;
    return m;
}

bool QtSerialPort::probe()
{
    if (!port_->isOpen() || port_->error() == QSerialPort::ResourceError)
        return false;
    return port_->setBaudRate(baud_);
}

uint32_t QtSerialPort::inputCount()
{
    if (!port_->isOpen())
        return 0;
    port_->clearError();
    return static_cast<uint32_t>(std::min<long long>(port_->bytesAvailable(), UINT32_MAX));
}

uint32_t QtSerialPort::read(uint8_t* buffer, uint32_t n)
{
    if (!port_->isOpen())
        return 0;
    const qint64 r = port_->read(reinterpret_cast<char*>(buffer), n);
    return r > 0 ? static_cast<uint32_t>(r) : 0;
}

void QtSerialPort::purge()
{
    if (port_->isOpen())
        port_->clear(QSerialPort::Input);
}

int64_t QtSerialPort::write(const uint8_t* data, uint32_t n)
{
    if (!port_->isOpen())
        return -1;
    // QSerialPort keeps what the driver cannot take yet and writes it from the event loop.
    const qint64 r = port_->write(reinterpret_cast<const char*>(data), n);
    return r < 0 ? -1 : r;
}

#endif

}  // namespace comtrax
