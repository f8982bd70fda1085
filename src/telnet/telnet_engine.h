#pragma once
// A Telnet client's side of one connection, without the socket: what arrives
// is fed to receive(), which hands out the data and queues the replies the
// protocol asks for; what is sent goes through encodeData(). With
// COM-PORT-CONTROL the engine also carries the line settings, the modem lines
// and the server's notifications. Memory stays bounded whatever the server
// sends.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace comtrax {

class TelnetEngine {
public:
    // What a server did wrong, for the user.
    enum class Fault { None, EndlessSubnegotiation };

    // comPortControl: offer COM-PORT-CONTROL (an rfc2217:// port).
    // replyTimeoutNs: how long the line settings' acknowledgements are waited for.
    TelnetEngine(bool comPortControl, int64_t replyTimeoutNs);

    // Queues the client's offers (BINARY both ways, SGA, COM-PORT-CONTROL).
    void start(int64_t nowNs);
    // Takes n received bytes; appends the data among them to data (IAC IAC
    // undoubled, commands and subnegotiations taken out); nowNs stamps the
    // notifications among them.
    void receive(const uint8_t* bytes, std::size_t n, std::vector<uint8_t>& data, int64_t nowNs);
    // The same over the received bytes themselves: the data among them is
    // moved to their front, and its length returned.
    std::size_t receiveInPlace(uint8_t* bytes, std::size_t n, int64_t nowNs);
    // Appends n data bytes as they go on the wire: 0xFF doubled, and CR
    // followed by NUL once the server has refused binary.
    void encodeData(const uint8_t* bytes, std::size_t n, std::vector<uint8_t>& out) const;
    // The protocol's own bytes waiting to be sent; the caller sends and clears them.
    std::vector<uint8_t>& output() { return output_; }

    // The line settings: sent once the server agrees to COM-PORT-CONTROL
    // (queued until then); their acknowledgements are awaited.
    void setLineSettings(uint32_t baud, uint8_t dataBits, uint8_t parity, uint8_t stopSize, uint8_t flow);
    // A SET-CONTROL value (DTR, RTS, break): sent, never awaited.
    void setControl(uint8_t value);
    void purgeData(uint8_t which);
    // Asks the server for its modem lines now (for servers that never notify).
    void requestModemState(int64_t nowNs);

    // True while the line settings wait for the server's acknowledgements and
    // their time has not run out; data should not be read before.
    bool awaitingReplies(int64_t nowNs) const;
    // True when anything of Telnet has come from the server (a command, a
    // negotiation): a server that sent none is no Telnet server.
    bool sawTelnet() const { return sawTelnet_; }
    bool comPortAgreed() const { return us_[44] == State::Yes; }
    bool comPortRefused() const { return comPortRefused_; }
    bool binaryReceive() const { return him_[0] == State::Yes; }
    bool flowSuspended() const { return flowSuspended_; }
    Fault fault() const { return fault_; }
    // What the server reported: the baud it set, the modem lines (with the
    // time of the report), the line state, its signature.
    std::optional<uint32_t> serverBaud() const { return serverBaud_; }
    std::optional<uint8_t> modemState() const { return modemState_; }
    int64_t modemStateAtNs() const { return modemStateAtNs_; }
    int64_t modemRequestAtNs() const { return modemRequestAtNs_; }
    std::optional<uint8_t> lineState() const { return lineState_; }
    const std::string& signature() const { return signature_; }
    // Acknowledgements of SET-CONTROL received (DTR, RTS, break, flow).
    unsigned controlReplies() const { return controlReplies_; }
    // What the engine holds in memory (its buffers' capacity).
    std::size_t bufferedBytes() const
    {
        return sb_.capacity() + output_.capacity() + queuedComPort_.capacity() + signature_.capacity();
    }

    // The most a subnegotiation keeps; a longer one is read past and dropped.
    static constexpr std::size_t MaxSubnegotiation = 512;
    // A subnegotiation running past this many bytes is a broken server.
    static constexpr std::size_t EndlessSubnegotiation = 1 << 20;

private:
    enum class State : uint8_t { No, Yes, WantNo, WantYes };
    enum class Parse : uint8_t { Data, Cr, Iac, Verb, Sb, SbIac };

    std::size_t decode(const uint8_t* bytes, std::size_t n, uint8_t* out, int64_t nowNs);
    bool supportedLocally(uint8_t option) const;
    bool supportedRemotely(uint8_t option) const;
    void sendVerb(uint8_t verb, uint8_t option);
    void refuse(uint8_t verb, uint8_t option);
    void negotiate(uint8_t verb, uint8_t option);
    void usChanged(uint8_t option);
    void subnegotiation();
    void comPortReply(uint8_t command, const uint8_t* value, std::size_t n);
    void sendComPort(uint8_t command, const uint8_t* value, std::size_t n);
    void flushComPort();

    bool comPortControl_;
    int64_t replyTimeoutNs_;
    std::array<State, 256> us_{};
    std::array<State, 256> him_{};
    std::array<uint8_t, 256> refusals_{};
    Parse parse_ = Parse::Data;
    uint8_t verb_ = 0;
    std::vector<uint8_t> sb_;
    std::size_t sbLength_ = 0;
    std::vector<uint8_t> output_;
    std::vector<uint8_t> queuedComPort_;  // commands made before the server agreed
    bool sawTelnet_ = false;
    bool comPortRefused_ = false;
    bool flowSuspended_ = false;
    Fault fault_ = Fault::None;
    int64_t settingsDeadlineNs_ = 0;
    unsigned pendingSettings_ = 0;  // bits 1 << command awaiting their reply
    std::optional<uint32_t> serverBaud_;
    std::optional<uint8_t> modemState_;
    int64_t modemStateAtNs_ = 0;
    int64_t modemRequestAtNs_ = 0;
    int64_t nowNs_ = 0;
    std::optional<uint8_t> lineState_;
    std::string signature_;
    unsigned controlReplies_ = 0;
};

}  // namespace comtrax
