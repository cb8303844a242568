#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace corvane {

class RemoteControl;

// Why a message (or a whole packet) was not acted on.
enum class RemoteDrop {
    Malformed,       // not an OSC message or bundle: bad padding, sizes, type tags, nesting
    UnknownAddress,  // no such address (patterns with wildcards included)
    WrongCount,      // too few or too many arguments
    WrongType,       // an argument neither int32 nor a whole float
    OutOfRange,      // a number outside the operator's range, a unit not present, a layout not offered
    NotAllowed,      // the sender is not on the allow-list
    TooMany,         // beyond the messages one bundle may carry, or beyond the subscriber limit
    Busy,            // beyond the requests that may wait for the unit
};
inline constexpr int kRemoteDropReasons = 8;

struct RemoteCounters {
    std::uint64_t handled = 0;  // messages that became one call
    std::array<std::uint64_t, kRemoteDropReasons> dropped{};

    std::uint64_t drops(RemoteDrop reason) const { return dropped[static_cast<std::size_t>(reason)]; }
    void count(RemoteDrop reason) { ++dropped[static_cast<std::size_t>(reason)]; }
};

// Who sent a packet: IPv4 address and UDP port, host byte order.
struct RemotePeer {
    std::uint32_t address = 0;
    std::uint16_t port = 0;

    friend bool operator==(const RemotePeer&, const RemotePeer&) = default;
};

// The messages that concern the sender itself rather than the matrix; the server keeps the
// subscribers. A port of 0 means the sender's own.
class RemoteSession {
  public:
    virtual ~RemoteSession() = default;
    // False when no further subscriber is taken.
    virtual bool subscribe(const RemotePeer& sender, std::uint16_t port) = 0;
    virtual void unsubscribe(const RemotePeer& sender, std::uint16_t port) = 0;
    virtual void dump(const RemotePeer& sender) = 0;
};

// Turns OSC packets into calls on the program. Numbers count as the operator counts (unit 1..4,
// channel 1..4, line 1..16, memory 1..5, layout 1..8) and may be int32 or float with a whole
// value, since show controllers often send floats. Anything else is dropped and counted; no
// dropped message reaches the program.
class OscDispatch {
  public:
    // At most this many messages of one bundle are acted on; the rest are dropped.
    static constexpr int kMaxBundleMessages = 8;

    explicit OscDispatch(RemoteControl& control, RemoteSession* session = nullptr);

    // One received datagram: a message or a bundle (its time tag is ignored: everything acts at
    // once). A packet that is not well-formed throughout does nothing. Returns the messages acted
    // on, dumps weighted as several.
    int handlePacket(const void* data, std::size_t size, const RemotePeer& sender);

    const RemoteCounters& counters() const { return m_counters; }
    // Drops decided outside the dispatch (the sender's address) are counted with the others.
    void countDrop(RemoteDrop reason) { m_counters.count(reason); }

  private:
    // A message read and checked for its form; its numbers are checked when it acts.
    struct ParsedMessage {
        int command = -1;  // index into the table of addresses
        int argc = 0;
        std::array<int, 3> args{};
        std::optional<RemoteDrop> drop;  // a well-formed message this program does not take
    };

    struct ParsedPacket {
        std::vector<ParsedMessage> messages;  // at most kMaxBundleMessages
        int beyond = 0;                       // well-formed messages past them
    };

    // False when the element is not well-formed OSC throughout.
    bool parseElement(const std::uint8_t* data, std::size_t size, int depth, ParsedPacket& out);
    static std::optional<ParsedMessage> parseMessage(const std::uint8_t* data, std::size_t size);
    int dispatch(const ParsedMessage& message, const RemotePeer& sender);

    RemoteControl& m_control;
    RemoteSession* m_session;
    RemoteCounters m_counters;
};

}  // namespace corvane
