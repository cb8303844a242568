#include "virtualunit/panelscript.h"

#include <charconv>
#include <fstream>
#include <sstream>

#include "model/matrixstate.h"
#include "virtualunit/devicemodel.h"
#include "virtualunit/unitfirmware.h"

namespace corvane {

namespace {

std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> result;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
        if (i > start) result.push_back(line.substr(start, i - start));
    }
    return result;
}

bool number(std::string_view text, std::int64_t& value, int base = 10) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value, base);
    return ec == std::errc{} && ptr == end && value >= 0;
}

// Reads the lines of one script; each failure names its line.
class LineReader {
  public:
    LineReader(int line, std::vector<std::string_view> words) : m_line(line), m_words(std::move(words)) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw PanelScriptError("line " + std::to_string(m_line) + ": " + what);
    }

    void expectArguments(std::size_t count) const {
        if (m_words.size() != count + 2)
            fail("\"" + std::string(m_words[1]) + "\" takes " + std::to_string(count) + " argument" +
                 (count == 1 ? "" : "s"));
    }

    // A number counted from 1 up to `last`, or "off" when offValue is given; returns an index from 0.
    int counted(std::size_t word, const char* what, int last, int offValue = -1) const {
        const std::string_view text = m_words[word];
        if (offValue >= 0 && text == "off") return offValue;
        std::int64_t value = 0;
        if (!number(text, value) || value < 1 || value > last)
            fail(std::string(what) + " must be 1.." + std::to_string(last) +
                 (offValue >= 0 ? " or off" : "") + ", not \"" + std::string(text) + "\"");
        return static_cast<int>(value) - 1;
    }

    std::string_view word(std::size_t i) const { return m_words[i]; }
    std::size_t size() const { return m_words.size(); }
    int line() const { return m_line; }

  private:
    int m_line;
    std::vector<std::string_view> m_words;
};

void readWhen(const LineReader& r, PanelScript::Action& action) {
    std::string_view when = r.word(0);
    std::int64_t value = 0;
    if (when.size() > 1 && when.front() == '@' && number(when.substr(1), value)) {
        action.afterTransfers = true;
    } else if (when.size() > 2 && when.substr(when.size() - 2) == "ms" &&
               number(when.substr(0, when.size() - 2), value)) {
        action.afterTransfers = false;
    } else {
        r.fail("expected a time such as 500ms or @120, not \"" + std::string(when) + "\"");
    }
    action.when = value;
}

void readAction(const LineReader& r, PanelScript::Action& a) {
    using Kind = PanelScript::Kind;
    if (r.size() < 2) r.fail("an action must follow the time");
    const std::string_view name = r.word(1);
    if (name == "route") {
        r.expectArguments(3);
        a.kind = Kind::Route;
        a.unit = r.counted(2, "unit", kUnits);
        a.row = r.counted(3, "channel", kChannels, kDisconnected);
        a.column = r.counted(4, "line", kLines, kNoLine);
    } else if (name == "recall") {
        r.expectArguments(1);
        a.kind = Kind::Recall;
        a.memory = r.counted(2, "memory", kMemories);
    } else if (name == "store") {
        r.expectArguments(2);
        a.kind = Kind::Store;
        a.unit = r.counted(2, "unit", kUnits);
        a.memory = r.counted(3, "memory", kMemories);
    } else if (name == "clear") {
        r.expectArguments(1);
        a.kind = Kind::Clear;
        a.unit = r.counted(2, "unit", kUnits);
    } else if (name == "reverse") {
        r.expectArguments(1);
        a.kind = Kind::Reverse;
        if (r.word(2) != "on" && r.word(2) != "off") r.fail("reverse takes on or off");
        a.on = r.word(2) == "on";
    } else if (name == "image") {
        r.expectArguments(0);
        a.kind = Kind::Image;
    } else if (name == "unplug") {
        r.expectArguments(0);
        a.kind = Kind::Unplug;
    } else if (name == "event") {
        if (r.size() < 3 || r.size() > 2 + a.event.size()) r.fail("event takes 1 to 8 bytes in hex");
        a.kind = Kind::Event;
        for (std::size_t i = 2; i < r.size(); ++i) {
            std::string_view hex = r.word(i);
            if (hex.size() > 2 && (hex.substr(0, 2) == "0x" || hex.substr(0, 2) == "0X"))
                hex.remove_prefix(2);
            std::int64_t value = 0;
            if (hex.size() > 2 || !number(hex, value, 16))
                r.fail("\"" + std::string(r.word(i)) + "\" is not a byte in hex");
            a.event[i - 2] = static_cast<std::uint8_t>(value);
        }
    } else {
        r.fail("unknown action \"" + std::string(name) + "\"");
    }
}

// Every route of every unit and slot moves on by one: a change the host can only pick up by
// reading the whole image again.
MatrixState rotated(MatrixState state) {
    for (auto& unit : state.LineRoute)
        for (auto& slot : unit)
            for (auto& route : slot) route = static_cast<std::uint8_t>((route + 1) % (kDisconnected + 1));
    for (auto& unit : state.ChannelRoute)
        for (auto& slot : unit)
            for (auto& route : slot) route = static_cast<std::uint8_t>((route + 1) % (kNoLine + 1));
    return state;
}

}  // namespace

PanelScript PanelScript::Parse(std::string_view text) {
    PanelScript script;
    int lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (const std::size_t hash = line.find('#'); hash != std::string_view::npos)
            line = line.substr(0, hash);

        const LineReader reader(lineNumber, words(line));
        if (reader.size() == 0) continue;
        Action action;
        action.line = lineNumber;
        readWhen(reader, action);
        readAction(reader, action);
        script.m_actions.push_back(action);
    }
    script.m_done.assign(script.m_actions.size(), false);
    return script;
}

PanelScript PanelScript::Load(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) throw PanelScriptError("cannot read " + path);
    std::ostringstream text;
    text << file.rdbuf();
    try {
        return Parse(text.str());
    } catch (const PanelScriptError& e) {
        throw PanelScriptError(path + ": " + e.what());
    }
}

int PanelScript::advance(std::int64_t elapsedMs, long transfers, DeviceModel& device) {
    int applied = 0;
    for (std::size_t i = 0; i < m_actions.size() && m_applied < m_actions.size(); ++i) {
        const Action& a = m_actions[i];
        if (m_done[i] || (a.afterTransfers ? transfers : elapsedMs) < a.when) continue;
        m_done[i] = true;
        ++m_applied;
        ++applied;
        Apply(a, device);
    }
    return applied;
}

std::optional<std::int64_t> PanelScript::nextDueMs() const {
    std::optional<std::int64_t> next;
    for (std::size_t i = 0; i < m_actions.size(); ++i)
        if (!m_done[i] && !m_actions[i].afterTransfers && (!next || m_actions[i].when < *next))
            next = m_actions[i].when;
    return next;
}

bool PanelScript::waitsForTransfers() const {
    for (std::size_t i = 0; i < m_actions.size(); ++i)
        if (!m_done[i] && m_actions[i].afterTransfers) return true;
    return false;
}

void PanelScript::Apply(const Action& a, DeviceModel& device) {
    if (a.kind == Kind::Unplug) {
        device.unplug();
        return;
    }
    UnitFirmware* firmware = device.firmware();
    if (firmware == nullptr) return;  // a device without the unit's firmware has no front panel
    switch (a.kind) {
        case Kind::Route:
            firmware->pressRoute(a.unit, a.row, a.column);
            break;
        case Kind::Recall:
            firmware->pressRecall(a.memory);
            break;
        case Kind::Store:
            firmware->pressStore(a.unit, a.memory);
            break;
        case Kind::Clear:
            firmware->pressClear(a.unit);
            break;
        case Kind::Reverse:
            firmware->pressReverse(a.on);
            break;
        case Kind::Image:
            firmware->replaceConfiguration(rotated(firmware->state()));
            break;
        case Kind::Event:
            firmware->queueEvent(a.event);
            break;
        case Kind::Unplug:
            break;
    }
}

}  // namespace corvane
