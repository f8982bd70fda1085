#pragma once
// Ways to make file writes fail on purpose, also when the tests run as root
// (where a read-only directory stops nothing).
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace comtrax::testing {

// Runs body in a forked child whose files may not grow beyond limit bytes, the
// way a full disk stops a write part-way. Returns body's result, or nothing
// when the child could not be set up or did not end normally.
std::optional<bool> runWithFileSizeLimit(std::size_t limit, const std::function<bool()>& body);

// Runs body in a forked child that is killed after the given number of
// seconds: for code that, when faulty, would never return. Returns body's
// result, or nothing when the child was killed or did not end normally.
std::optional<bool> runWithTimeLimit(unsigned seconds, const std::function<bool()>& body);

// Runs body in a forked child that, when the tests run as root, gives up root
// for an ordinary user (nobody), so file modes bind it as they bind a user;
// dir (and what it holds) is handed to that user first. Returns body's result,
// or nothing when the child could not be set up or did not end normally.
inline constexpr unsigned UnprivilegedId = 65534;
std::optional<bool> runAsUnprivileged(const std::string& dir, const std::function<bool()>& body);

// The same limit on this very process for as long as the object lives: for
// code that cannot run in a forked child, such as a window with its widgets.
// Every regular file the process writes meanwhile is held to limit bytes.
class ScopedFileSizeLimit {
public:
    explicit ScopedFileSizeLimit(std::size_t limit);
    ~ScopedFileSizeLimit();
    ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
    ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    bool active_ = false;
    unsigned long long oldSoft_ = 0;
    void (*oldHandler_)(int) = nullptr;
};

// Names of the entries in dir that start with prefix.
std::vector<std::string> filesStartingWith(const std::string& dir, const std::string& prefix);

}  // namespace comtrax::testing
