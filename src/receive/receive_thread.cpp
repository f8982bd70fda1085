#include "receive/receive_thread.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <pthread.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "common/clock.h"
#include "serial/serial_port.h"

namespace comtrax {

namespace {

constexpr int64_t NsPerMs = 1000000;
// One wake reads at most this much before it frames and hands over: a flood
// still reaches the window in steady batches.
constexpr uint64_t MaxBytesPerWake = 64 * 1024;

void clearEvent(int fd)
{
    uint64_t value = 0;
    while (::read(fd, &value, sizeof value) < 0 && errno == EINTR) {
    }
}

void raiseEvent(int fd)
{
    const uint64_t one = 1;
    while (::write(fd, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

// The kernel's sched_attr (glibc has no wrapper for sched_setattr).
struct SchedAttr {
    uint32_t size;
    uint32_t policy;
    uint64_t flags;
    int32_t nice;
    uint32_t priority;
    uint64_t runtime;
    uint64_t deadline;
    uint64_t period;
};

// The shortest time slice the fair scheduler accepts: a thread that asks for
// it gets an early deadline when it wakes and runs before a thread that is
// painting, without privileges (Linux 6.12 and later; older kernels take the
// call and ignore the value, or refuse it).
constexpr uint64_t ShortSliceNs = 100000;

bool askShortSlice()
{
    SchedAttr attr{};
    attr.size = sizeof attr;
    if (::syscall(SYS_sched_getattr, 0, &attr, sizeof attr, 0) != 0 || attr.policy != SCHED_OTHER)
        return false;
    attr.size = sizeof attr;
    attr.flags = 0;
    attr.runtime = ShortSliceNs;
    if (::syscall(SYS_sched_setattr, 0, &attr, 0) != 0)
        return false;
    SchedAttr now{};
    return ::syscall(SYS_sched_getattr, 0, &now, sizeof now, 0) == 0 && now.runtime == ShortSliceNs;
}

// A real-time class where the system grants it without privileges
// (RLIMIT_RTPRIO above zero); otherwise the normal class with the shortest
// slice, as lowering the nice value needs privileges too. The thread's timers
// (its poll's deadline) fire within a microsecond instead of the usual 50.
const char* raisePriority()
{
    ::prctl(PR_SET_TIMERSLACK, 1000UL, 0UL, 0UL, 0UL);
    rlimit limit{};
    if (::getrlimit(RLIMIT_RTPRIO, &limit) == 0 && limit.rlim_cur > 0) {
        sched_param param{};
        param.sched_priority = static_cast<int>(std::min<rlim_t>(limit.rlim_cur, 10));
        if (::pthread_setschedparam(::pthread_self(), SCHED_RR, &param) == 0)
            return "SCHED_RR";
    }
    return askShortSlice() ? "SCHED_OTHER, slice 0.1 ms" : "SCHED_OTHER";
}

}  // namespace

HandOver::HandOver() : eventFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

HandOver::~HandOver()
{
    if (eventFd_ >= 0)
        ::close(eventFd_);
}

void HandOver::put(ReceiveBatch& from, bool wake)
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto& packets = batch_.packets;
        packets.insert(packets.end(), std::make_move_iterator(from.packets.begin()),
                       std::make_move_iterator(from.packets.end()));
        batch_.readMs.insert(batch_.readMs.end(), from.readMs.begin(), from.readMs.end());
        batch_.bytes += from.bytes;
        batch_.lost = batch_.lost || from.lost;
    }
    from = ReceiveBatch{};
    if (wake)
        this->wake();
}

void HandOver::wake()
{
    if (eventFd_ >= 0)
        raiseEvent(eventFd_);
}

ReceiveBatch HandOver::take()
{
    if (eventFd_ >= 0)
        clearEvent(eventFd_);
    std::lock_guard<std::mutex> lock(mutex_);
    ReceiveBatch out = std::move(batch_);
    batch_ = ReceiveBatch{};
    return out;
}

ReceiveThread::ReceiveThread(SerialPort& port, Framer& framer, HandOver& handOver)
    : port_(port), framer_(framer), handOver_(handOver)
{}

ReceiveThread::~ReceiveThread()
{
    stop();
}

bool ReceiveThread::start(const ReceiveSettings& settings)
{
    stop();
    portFd_ = port_.receiveHandle();
    if (portFd_ < 0 || handOver_.handle() < 0)
        return false;
    wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0)
        return false;
    settings_ = settings;
    settingsChanged_ = true;
    stopping_ = false;
    lastReadMs_ = -1;
    thread_ = std::thread([this] { run(); });
    return true;
}

void ReceiveThread::stop()
{
    if (thread_.joinable()) {
        stopping_ = true;
        raiseEvent(wakeFd_);
        thread_.join();
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
}

void ReceiveThread::reconfigure(const ReceiveSettings& settings)
{
    {
        std::lock_guard<std::mutex> lock(settingsMutex_);
        settings_ = settings;
        settingsChanged_ = true;
    }
    if (thread_.joinable())
        raiseEvent(wakeFd_);
}

void ReceiveThread::applySettings()
{
    std::lock_guard<std::mutex> lock(settingsMutex_);
    if (!settingsChanged_)
        return;
    framer_.setGapNs(settings_.gapNs);
    framer_.setHex(settings_.hex);
    answerAtOnce_ = settings_.answerAtOnce;
    settingsChanged_ = false;
}

int64_t ReceiveThread::waitNs(int64_t now) const
{
    int64_t deadline = framer_.deadlineNs();
    const int64_t wake = policy_.deadlineNs();
    if (deadline < 0 || (wake >= 0 && wake < deadline))
        deadline = wake;
    if (deadline < 0)
        return -1;
    return std::clamp<int64_t>(deadline - now, 0, 60000 * NsPerMs);
}

// Reads what waits, one framer's room at a time; false when the port is gone.
bool ReceiveThread::readAll(std::vector<FramedPacket>& out, ReceiveBatch& batch)
{
    static thread_local uint8_t buffer[Framer::BufferSize];
    uint64_t total = 0;
    while (total < MaxBytesPerWake) {
        const uint32_t room = framer_.room();
        const int64_t got = port_.readReceived(buffer, room);
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        const int64_t ns = monotonicNowNs();
        const int64_t ms = ns / NsPerMs;
        if (ms != lastReadMs_) {
            batch.readMs.push_back(ms);
            lastReadMs_ = ms;
        }
        batch.bytes += static_cast<uint64_t>(got);
        total += static_cast<uint64_t>(got);
        framer_.feed(buffer, static_cast<uint32_t>(got), ns, out);
        framer_.cutEarly(out);
        // Less than asked for: nothing more was waiting. What comes next
        // wakes the poll again; asking now would cost a call that finds
        // nothing.
        if (static_cast<uint64_t>(got) < room)
            return true;
    }
    return true;
}

void ReceiveThread::run()
{
    scheduling_ = raisePriority();
    ReceiveBatch batch;
    std::vector<FramedPacket> out;
    for (;;) {
        applySettings();
        pollfd fds[2] = {{portFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        // The deadline to the nanosecond: a packet's end is not rounded up
        // to the next millisecond.
        const int64_t wait = waitNs(monotonicNowNs());
        const timespec timeout{static_cast<time_t>(wait / 1000000000), static_cast<long>(wait % 1000000000)};
        const int ready = ::ppoll(fds, 2, wait < 0 ? nullptr : &timeout, nullptr);
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[1].revents != 0)
            clearEvent(wakeFd_);
        if (stopping_)
            break;
        bool lost = false;
        bool quiet = true;
        if (fds[0].revents != 0) {
            const uint64_t before = batch.bytes;
            lost = !readAll(out, batch);
            // A hung-up line reports readiness with nothing to read.
            if (!lost && batch.bytes == before && (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)))
                lost = true;
            quiet = batch.bytes - before < MaxBytesPerWake;
        }
        const int64_t now = monotonicNowNs();
        applySettings();
        if (lost)
            framer_.flush(out);
        else
            framer_.due(now, quiet, out);
        bool urgent = lost;
        for (FramedPacket& p : out)
            urgent = urgent || (answerAtOnce_ && p.deviceQuiet);
        batch.lost = lost;
        batch.packets.insert(batch.packets.end(), std::make_move_iterator(out.begin()),
                             std::make_move_iterator(out.end()));
        out.clear();
        if (!batch.packets.empty() || lost) {
            handOver_.put(batch, policy_.wakeNow(now, urgent));
        } else {
            if (!batch.empty()) {
                policy_.countsWaiting(now);
                handOver_.put(batch, false);
            }
            if (policy_.wakeAtDeadline(now))
                handOver_.wake();
        }
        if (lost)
            break;
    }
}

}  // namespace comtrax
