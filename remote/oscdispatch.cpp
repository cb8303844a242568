#include "remote/oscdispatch.h"

#include <lo/lo.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>
#include <vector>

#include "model/layouts.h"
#include "model/matrixmodel.h"
#include "remote/remotecontrol.h"

namespace corvane {

namespace {

// What an argument stands for decides its range.
enum class Arg { Unit, Channel, Line, Memory, OnOff, Layout, Port };

enum class Action {
    Route,
    Disconnect,
    Recall,
    Store,
    Clear,
    Reverse,
    Unit,
    Layout,
    Subscribe,
    Unsubscribe,
    Dump
};

struct Command {
    std::string_view address;
    Action action;
    int required;  // arguments that must be present
    int optional;  // arguments that may follow
    std::array<Arg, 3> args;
};

constexpr std::array kCommands{
    Command{"/corvane/route", Action::Route, 3, 0, {Arg::Unit, Arg::Channel, Arg::Line}},
    Command{"/corvane/disconnect", Action::Disconnect, 2, 0, {Arg::Unit, Arg::Line}},
    Command{"/corvane/recall", Action::Recall, 1, 0, {Arg::Memory}},
    Command{"/corvane/store", Action::Store, 2, 0, {Arg::Unit, Arg::Memory}},
    Command{"/corvane/clear", Action::Clear, 1, 0, {Arg::Unit}},
    Command{"/corvane/reverse", Action::Reverse, 1, 0, {Arg::OnOff}},
    Command{"/corvane/unit", Action::Unit, 1, 0, {Arg::Unit}},
    Command{"/corvane/layout", Action::Layout, 1, 0, {Arg::Layout}},
    Command{"/corvane/subscribe", Action::Subscribe, 0, 1, {Arg::Port}},
    Command{"/corvane/unsubscribe", Action::Unsubscribe, 0, 1, {Arg::Port}},
    Command{"/corvane/dump", Action::Dump, 0, 0, {}},
};

// A dump sends the whole state, so it weighs as much as several messages against the work one
// wake-up of the server may do.
constexpr int kDumpWeight = 8;
// Bundles inside bundles: enough for any sender, and a bound for crafted packets.
constexpr int kMaxBundleDepth = 4;

constexpr char kBundleTag[8] = {'#', 'b', 'u', 'n', 'd', 'l', 'e', '\0'};

// int32, or a float holding a whole number; nothing else is a number here. OSC arguments are
// only 4-byte aligned while lo_arg wants 8, so they are copied out rather than read in place.
bool wholeNumber(char type, const lo_arg* arg, int& value) {
    if (type == LO_INT32) {
        std::int32_t i = 0;
        std::memcpy(&i, arg, sizeof i);
        value = i;
        return true;
    }
    if (type == LO_FLOAT) {
        float f = 0;
        std::memcpy(&f, arg, sizeof f);
        if (!std::isfinite(f) || std::trunc(f) != f || std::fabs(f) > 1.0e6f) return false;
        value = static_cast<int>(f);
        return true;
    }
    return false;
}

// Operator counting in, 0-based out (ports and on/off stay as they are). Any int32 may arrive,
// so nothing is computed from the value before it is known to be in range.
bool inRange(Arg kind, int value, const MatrixModel& model, int& converted) {
    bool ok = false;
    bool counted = true;  // counted from 1 by the operator
    switch (kind) {
        case Arg::Unit:
            ok = value >= 1 && value <= 4 && value - 1 <= model.slaveCount();
            break;
        case Arg::Channel:
            ok = value >= 1 && value <= kChannels;
            break;
        case Arg::Line:
            ok = value >= 1 && value <= kLines;
            break;
        case Arg::Memory:
            ok = value >= 1 && value <= kMemories;
            break;
        case Arg::Layout:
            ok = value >= 1 && value <= kLayouts && LayoutAllowed(model.slaveCount(), value - 1);
            break;
        case Arg::OnOff:
            ok = value == 0 || value == 1;
            counted = false;
            break;
        case Arg::Port:
            ok = value >= 1 && value <= 65535;
            counted = false;
            break;
    }
    if (ok) converted = counted ? value - 1 : value;
    return ok;
}

struct MessageDeleter {
    void operator()(lo_message m) const { lo_message_free(m); }
};
using Message = std::unique_ptr<std::remove_pointer_t<lo_message>, MessageDeleter>;

std::uint32_t readBigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

}  // namespace

OscDispatch::OscDispatch(RemoteControl& control, RemoteSession* session)
    : m_control(control), m_session(session) {}

// The whole packet is read before any of it acts, so that a bundle broken half-way does nothing.
int OscDispatch::handlePacket(const void* data, std::size_t size, const RemotePeer& sender) {
    ParsedPacket packet;
    if (!parseElement(static_cast<const std::uint8_t*>(data), size, 0, packet)) {
        m_counters.count(RemoteDrop::Malformed);
        return 0;
    }
    int work = 0;
    for (const ParsedMessage& m : packet.messages) {
        if (m.drop)
            m_counters.count(*m.drop);
        else
            work += dispatch(m, sender);
    }
    for (int i = 0; i < packet.beyond; ++i) m_counters.count(RemoteDrop::TooMany);
    return work;
}

bool OscDispatch::parseElement(const std::uint8_t* data, std::size_t size, int depth, ParsedPacket& out) {
    if (size < sizeof kBundleTag || std::memcmp(data, kBundleTag, sizeof kBundleTag) != 0) {
        const std::optional<ParsedMessage> m = parseMessage(data, size);
        if (!m) return false;
        // Beyond what one packet may carry the message is only checked for its form.
        if (out.messages.size() < std::size_t{kMaxBundleMessages})
            out.messages.push_back(*m);
        else
            ++out.beyond;
        return true;
    }
    // A bundle: the tag, an 8-byte time tag, then elements, each a 32-bit size and that many bytes.
    if (depth >= kMaxBundleDepth || size < 16) return false;
    std::size_t pos = 16;
    while (pos < size) {
        if (size - pos < 4) return false;
        const std::uint32_t length = readBigEndian32(data + pos);
        pos += 4;
        if (length == 0 || length % 4 != 0 || length > size - pos) return false;
        if (!parseElement(data + pos, length, depth + 1, out)) return false;
        pos += length;
    }
    return true;
}

// Nothing when the bytes are not an OSC message; a message carrying its drop reason when they
// are one this program does not take.
std::optional<OscDispatch::ParsedMessage> OscDispatch::parseMessage(const std::uint8_t* data,
                                                                    std::size_t size) {
    int result = 0;
    // liblo validates padding, strings, type tags and argument sizes, and copies the bytes.
    Message message(lo_message_deserialise(const_cast<std::uint8_t*>(data), size, &result));
    if (!message || result != 0) return std::nullopt;
    ParsedMessage parsed;
    // The address is the first string of the validated packet, so it ends inside it.
    const std::string_view address(reinterpret_cast<const char*>(data));
    for (std::size_t i = 0; i < kCommands.size(); ++i)
        if (kCommands[i].address == address) parsed.command = static_cast<int>(i);
    if (parsed.command < 0) {
        parsed.drop = RemoteDrop::UnknownAddress;
        return parsed;
    }
    const Command& command = kCommands[static_cast<std::size_t>(parsed.command)];
    parsed.argc = lo_message_get_argc(message.get());
    if (parsed.argc < command.required || parsed.argc > command.required + command.optional) {
        parsed.drop = RemoteDrop::WrongCount;
        return parsed;
    }
    const char* types = lo_message_get_types(message.get());
    lo_arg** argv = lo_message_get_argv(message.get());
    for (int i = 0; i < parsed.argc; ++i) {
        if (!wholeNumber(types[i], argv[i], parsed.args[static_cast<std::size_t>(i)])) {
            parsed.drop = RemoteDrop::WrongType;
            return parsed;
        }
    }
    return parsed;
}

int OscDispatch::dispatch(const ParsedMessage& message, const RemotePeer& sender) {
    const Command* command = &kCommands[static_cast<std::size_t>(message.command)];
    const int argc = message.argc;
    // Ranges are checked as each message acts: an earlier one may have changed what is offered.
    const MatrixModel& model = m_control.model();
    std::array<int, 3> a{};
    for (int i = 0; i < argc; ++i) {
        const auto k = static_cast<std::size_t>(i);
        if (!inRange(command->args[k], message.args[k], model, a[k])) {
            m_counters.count(RemoteDrop::OutOfRange);
            return 0;
        }
    }

    const auto port = static_cast<std::uint16_t>(argc > 0 ? a[0] : 0);
    int work = 1;
    bool taken = true;
    switch (command->action) {
        case Action::Route:
            taken = m_control.route(a[0], a[1], a[2]);
            break;
        case Action::Disconnect:
            taken = m_control.disconnect(a[0], a[1]);
            break;
        case Action::Recall:
            taken = m_control.recall(a[0]);
            break;
        case Action::Store:
            taken = m_control.store(a[0], a[1]);
            break;
        case Action::Clear:
            taken = m_control.clear(a[0]);
            break;
        case Action::Reverse:
            taken = m_control.setReverse(a[0] != 0);
            break;
        case Action::Unit:
            taken = m_control.selectUnit(a[0]);
            break;
        case Action::Layout:
            taken = m_control.setArrangement(a[0]);
            break;
        case Action::Subscribe:
            if (m_session && !m_session->subscribe(sender, port)) {
                m_counters.count(RemoteDrop::TooMany);
                return 0;
            }
            work = kDumpWeight;
            break;
        case Action::Unsubscribe:
            if (m_session) m_session->unsubscribe(sender, port);
            break;
        case Action::Dump:
            if (m_session) m_session->dump(sender);
            work = kDumpWeight;
            break;
    }
    if (!taken) {
        m_counters.count(RemoteDrop::Busy);
        return 0;
    }
    ++m_counters.handled;
    return work;
}

}  // namespace corvane
