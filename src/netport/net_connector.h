#pragma once
// One attempt to reach a host: the name resolved and each of its addresses
// tried, on a thread of its own, until one answers, the time runs out or the
// attempt is cancelled. The caller never waits for it.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace comtrax {

class NetConnector {
public:
    // Starts the attempt; wakeFd (taken over and closed by the attempt) is
    // written to when it ends.
    NetConnector(std::string host, uint16_t port, int timeoutMs, int wakeFd);
    // Cancels an attempt still under way; a socket it made is closed.
    ~NetConnector();
    NetConnector(const NetConnector&) = delete;
    NetConnector& operator=(const NetConnector&) = delete;

    // Whether the attempt has ended; then socket() is the connected socket
    // (non-blocking, handed over to the caller) or -1 with error() saying why.
    bool done() const;
    int takeSocket();
    // The system's words for the failure (untranslated), whether the time
    // ran out, and whether the name was not found.
    std::string error() const;
    bool timedOut() const;
    bool unresolved() const;

private:
    struct Shared {
        std::mutex mutex;
        bool done = false;
        int socket = -1;
        std::string error;
        bool unresolved = false;
        std::atomic<bool> cancelled{false};
    };
    static void run(const std::shared_ptr<Shared>& shared, const std::string& host, uint16_t port,
                    int timeoutMs, int wakeFd);

    std::shared_ptr<Shared> shared_;
};

}  // namespace comtrax
