#pragma once
// A one-connection TCP server on 127.0.0.1 playing a script on a thread of
// its own: a broken or hostile device server for the network port's tests.
// The script gets the accepted socket (non-blocking) and a flag that turns
// true when the test is done; the server stops and closes when it goes.
#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace comtrax::testing {

class ScriptedServer {
public:
    struct Peer {
        int fd;
        const std::atomic<bool>& stop;
        // Sends all of bytes unless the test ends first; false then.
        bool send(const std::vector<uint8_t>& bytes) const;
        // Reads what arrives within ms milliseconds; empty when the client closed.
        std::vector<uint8_t> read(int ms) const;
        // Waits until the test ends.
        void idle() const;
    };
    using Script = std::function<void(const Peer&)>;

    explicit ScriptedServer(Script script);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    uint16_t port() const { return port_; }
    // Ends the script and closes its connection.
    void stop();

private:
    int listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace comtrax::testing
