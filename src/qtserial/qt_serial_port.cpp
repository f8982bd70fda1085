#include "qtserial/qt_serial_port.h"

#include "qtserial/qt_lock_file.h"
#include "serial/port_holder.h"

#include <QFile>
#include <QSerialPort>
#include <QSocketNotifier>

#include <cerrno>

#ifndef _WIN32
#include <fcntl.h>
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
    nonBlockingFd_.store(-1, std::memory_order_relaxed);
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

}  // namespace comtrax
