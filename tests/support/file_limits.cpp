#include "support/file_limits.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace comtrax::testing {

namespace {

// prepare runs in the child before body; false there means the child could
// not be set up.
std::optional<bool> runInChild(const std::function<bool()>& prepare, const std::function<bool()>& body)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return std::nullopt;
    if (pid == 0) {
        if (!prepare())
            ::_exit(2);
        ::_exit(body() ? 0 : 1);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1)
        return std::nullopt;
    return WEXITSTATUS(status) == 0;
}

}  // namespace

std::optional<bool> runWithFileSizeLimit(std::size_t limit, const std::function<bool()>& body)
{
    return runInChild(
        [limit] {
            // Past the limit write() must fail with EFBIG instead of killing the child.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{limit, limit};
            return ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
        },
        body);
}

std::optional<bool> runWithTimeLimit(unsigned seconds, const std::function<bool()>& body)
{
    return runInChild(
        [seconds] {
            std::signal(SIGALRM, SIG_DFL);
            ::alarm(seconds);
            return true;
        },
        body);
}

std::optional<bool> runAsUnprivileged(const std::string& dir, const std::function<bool()>& body)
{
    if (::geteuid() == 0) {
        // The child's files live in dir: it becomes the child's own.
        std::error_code ec;
        ::chown(dir.c_str(), UnprivilegedId, UnprivilegedId);
        for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec))
            ::lchown(e.path().c_str(), UnprivilegedId, UnprivilegedId);
    }
    return runInChild(
        [] {
            if (::geteuid() != 0)
                return true;
            return ::setgroups(0, nullptr) == 0 && ::setgid(UnprivilegedId) == 0
                && ::setuid(UnprivilegedId) == 0;
        },
        body);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(std::size_t limit)
{
    rlimit rl{};
    if (::getrlimit(RLIMIT_FSIZE, &rl) != 0 || (rl.rlim_max != RLIM_INFINITY && rl.rlim_max < limit))
        return;
    oldSoft_ = rl.rlim_cur;
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rl.rlim_cur = limit;  // the hard limit stays, so the old soft one can come back
    active_ = ::setrlimit(RLIMIT_FSIZE, &rl) == 0;
    if (!active_)
        std::signal(SIGXFSZ, oldHandler_);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit()
{
    if (!active_)
        return;
    rlimit rl{};
    ::getrlimit(RLIMIT_FSIZE, &rl);
    rl.rlim_cur = oldSoft_;
    ::setrlimit(RLIMIT_FSIZE, &rl);
    std::signal(SIGXFSZ, oldHandler_);
}

std::vector<std::string> filesStartingWith(const std::string& dir, const std::string& prefix)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) {
        const std::string name = e.path().filename().string();
        if (name.compare(0, prefix.size(), prefix) == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace comtrax::testing
