#include "device_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

extern char** environ;

namespace comtrax::bench {

DeviceProcess::DeviceProcess(const std::string& program, const std::vector<std::string>& args)
{
    int outPipe[2], inPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0 || ::pipe2(inPipe, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_adddup2(&fa, outPipe[1], 1);
    posix_spawn_file_actions_adddup2(&fa, inPipe[0], 0);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int r = posix_spawn(&pid_, program.c_str(), &fa, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&fa);
    ::close(outPipe[1]);
    ::close(inPipe[0]);
    out_ = outPipe[0];
    in_ = inPipe[1];
    if (r != 0)
        throw std::runtime_error("cannot start " + program);
}

DeviceProcess::~DeviceProcess()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        finish();
    }
    if (out_ >= 0)
        ::close(out_);
}

std::string DeviceProcess::readLine()
{
    for (;;) {
        const auto nl = pending_.find('\n');
        if (nl != std::string::npos) {
            std::string line = pending_.substr(0, nl);
            pending_.erase(0, nl + 1);
            return line;
        }
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n <= 0)
            return {};
        pending_.append(buf, static_cast<std::size_t>(n));
    }
}

std::vector<std::string> DeviceProcess::readLines()
{
    for (;;) {
        pollfd p{out_, POLLIN, 0};
        if (::poll(&p, 1, 0) <= 0 || !(p.revents & (POLLIN | POLLHUP)))
            break;
        char buf[4096];
        const ssize_t n = ::read(out_, buf, sizeof buf);
        if (n <= 0)
            break;
        pending_.append(buf, static_cast<std::size_t>(n));
    }
    std::vector<std::string> lines;
    std::size_t nl;
    while ((nl = pending_.find('\n')) != std::string::npos) {
        lines.push_back(pending_.substr(0, nl));
        pending_.erase(0, nl + 1);
    }
    return lines;
}

int DeviceProcess::finish()
{
    if (in_ >= 0) {
        ::close(in_);
        in_ = -1;
    }
    if (pid_ <= 0)
        return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace comtrax::bench
