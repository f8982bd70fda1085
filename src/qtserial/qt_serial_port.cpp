#include "qtserial/qt_serial_port.h"

#include "qtserial/qt_lock_file.h"
#include "serial/port_holder.h"

#include <QFile>
#include <QSerialPort>
#include <QSocketNotifier>

#include <algorithm>
#include <cerrno>
#include <climits>

#ifndef _WIN32
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace comtrax {

namespace {

// The stop-bit setting for a stop-bit code, or false when the platform cannot
// give it. Linux has no one and a half stop bits; QSerialPort would quietly
// send one instead. A UART sends one and a half when asked for two with five
// data bits, which is also the only size Windows allows them with; for any
// other size the open is refused, as Windows refuses it.
bool stopBitsFor(int stopCode, int dataBits, QSerialPort::StopBits& out)
{
    switch (stopCode) {
    case OneAndHalfStop:
#ifdef _WIN32
        out = QSerialPort::OneAndHalfStop;
        return true;
#else
        out = QSerialPort::TwoStop;
        return dataBits == 5;
#endif
    case TwoStop:
        out = QSerialPort::TwoStop;
        return true;
    default:
        out = QSerialPort::OneStop;
        return true;
    }
}

#ifndef _WIN32
// Qt reports a refused open as a permission error whatever the cause; a
// second, plain open of the device tells which it was. A device that opens
// but is no terminal (/dev/null, /dev/zero, /dev/kmsg) has no line to set:
// that, and not another program, is why Qt refused it.
OpenFailure whyNotOpened(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        termios t{};
        const bool terminal = ::tcgetattr(fd, &t) == 0;
        ::close(fd);
        // A terminal that opens: Qt's own lock file names another user.
        return terminal ? OpenFailure::Busy : OpenFailure::NotATerminal;
    }
    switch (errno) {
    case EACCES:
    case EPERM:
        return OpenFailure::PermissionDenied;
    case EBUSY:
        return OpenFailure::Busy;
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case ENOTDIR:
        return OpenFailure::NoDevice;
    default:
        return OpenFailure::Unknown;
    }
}
#endif

}  // namespace

QtSerialPort::QtSerialPort(std::vector<std::string> qtLockDirs)
    : port_(std::make_unique<QSerialPort>()), qtLockDirs_(std::move(qtLockDirs))
{}

QtSerialPort::~QtSerialPort()
{
    close();
}

std::string QtSerialPort::devicePath(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return name;
#ifdef _WIN32
    return name;
#else
    return "/dev/" + name;
#endif
}

namespace {

QSerialPort::Parity qtParity(Parity p)
{
    switch (p) {
    case Parity::Odd:
        return QSerialPort::OddParity;
    case Parity::Even:
        return QSerialPort::EvenParity;
    case Parity::Mark:
        return QSerialPort::MarkParity;
    case Parity::Space:
        return QSerialPort::SpaceParity;
    case Parity::None:
        break;
    }
    return QSerialPort::NoParity;
}

QSerialPort::FlowControl qtFlow(FlowControl f)
{
    switch (f) {
    case FlowControl::RtsCts:
        return QSerialPort::HardwareControl;
    case FlowControl::XonXoff:
        return QSerialPort::SoftwareControl;
    case FlowControl::None:
        break;
    }
    return QSerialPort::NoFlowControl;
}

}  // namespace

bool QtSerialPort::open(const std::string& name, int baud, int dataBits, int stopCode)
{
    close();  // a port still open is let go as Disconnect lets it go, break cleared
    failure_ = OpenFailure::UnsupportedSetting;
    holder_.clear();
    lockFile_.clear();
    if (name.empty() || baud <= 0 || dataBits < 5 || dataBits > 8)
        return false;

    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
    if (!stopBitsFor(stopCode, dataBits, stopBits))
        return false;

    // QSerialPort reads an existing lock file with a blocking open: a FIFO
    // someone planted there would hold the window for good.
    lockFile_ = unsafeLockFile(devicePath(name), qtLockDirs_);
    if (!lockFile_.empty()) {
        failure_ = OpenFailure::UnsafeLockFile;
        return false;
    }

    // A path is the system's bytes, as the file system has them.
    port_->setPortName(QFile::decodeName(QByteArray::fromStdString(devicePath(name))));
    if (!port_->open(QIODevice::ReadWrite)) {
        port_->clearError();
#ifndef _WIN32
        failure_ = whyNotOpened(devicePath(name));
        if (failure_ == OpenFailure::Busy)
            holder_ = findPortHolder(devicePath(name));
#else
        failure_ = OpenFailure::Unknown;
#endif
        return false;
    }
#ifndef _WIN32
    // The exclusive open keeps other programs out only when they are not root;
    // terminals such as picocom and minicom also take an flock, so a port one of
    // them holds is refused, and while this program holds it they refuse it.
    if (::flock(static_cast<int>(port_->handle()), LOCK_EX | LOCK_NB) != 0) {
        failure_ = OpenFailure::HeldByOther;
        port_->close();
        port_->clearError();
        holder_ = findPortHolder(devicePath(name));
        return false;
    }
#endif
    // Once open, each setting reaches the driver and reports whether it took. A
    // baud rate or a combination the platform refuses fails the open and the
    // port is released at once, instead of being held until the program ends.
    const bool configured = port_->setBaudRate(baud)
        && port_->setDataBits(static_cast<QSerialPort::DataBits>(dataBits))
        && port_->setParity(qtParity(lineOptions().parity)) && port_->setStopBits(stopBits)
        && port_->setFlowControl(qtFlow(lineOptions().flow));
    if (!configured) {
        failure_ = OpenFailure::UnsupportedSetting;
        port_->close();
        port_->clearError();
        return false;
    }
    baud_ = baud;
    failure_ = OpenFailure::Unknown;

    // DTR and RTS stay as the open left them (asserted); the terminal sets
    // them as the user chose right after, through setDtr and setRts.

#ifndef _WIN32
    // The terminal reads the descriptor itself. QSerialPort's own read notifier
    // would take bytes into its buffer whenever the event loop runs and, once the
    // line hangs up, fire without pause until the port is closed. Should a Qt
    // version keep it elsewhere, inputCount() and read() still take its buffer
    // into account.
    for (QSocketNotifier* n : port_->findChildren<QSocketNotifier*>())
        if (n->type() == QSocketNotifier::Read)
            n->setEnabled(false);
#endif
    return true;
}

void QtSerialPort::close()
{
    if (port_->isOpen()) {
        // A break left on would hold the line at space after the program has
        // let go of the port.
        if (breakOn_)
            setBreak(false);
        breakOn_ = false;
#ifndef _WIN32
        // Closing waits until the system's output queue has drained, up to
        // half a minute on a line a device no longer reads. Give what is
        // queued a moment to go out, then discard the rest: Disconnect must
        // answer at once.
        const int fd = static_cast<int>(port_->handle());
        for (int waited = 0; waited < 200; waited += 10) {
            int queued = 0;
            if (::ioctl(fd, TIOCOUTQ, &queued) != 0 || queued <= 0)
                break;
            ::usleep(10000);
        }
        ::tcflush(fd, TCOFLUSH);
#endif
        port_->close();
    }
    port_->clearError();
}

bool QtSerialPort::isOpen() const
{
    return port_->isOpen();
}

int QtSerialPort::readNotifierHandle() const
{
#ifdef _WIN32
    return -1;
#else
    return port_->isOpen() ? static_cast<int>(port_->handle()) : -1;
#endif
}

#ifndef _WIN32

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
    pollfd p{fd, 0, 0};
    int r;
    do {
        r = ::poll(&p, 1, 0);
    } while (r < 0 && errno == EINTR);
    if (r < 0 || (p.revents & (POLLHUP | POLLERR | POLLNVAL)))
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
