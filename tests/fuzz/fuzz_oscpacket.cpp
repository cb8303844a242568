#include <cstddef>
#include <cstdint>

#include "remote/oscdispatch.h"
#include "remote/remotecontrol.h"

using namespace corvane;

namespace {

// Takes every call and checks that the dispatch only ever passes indexes in range.
class CheckingControl : public RemoteControl, public RemoteSession {
  public:
    MatrixState record{};

    bool route(int u, int c, int l) override {
        check(unit(u) && c >= 0 && c < kChannels && line(l));
        return true;
    }
    bool disconnect(int u, int l) override {
        check(unit(u) && line(l));
        return true;
    }
    bool recall(int m) override {
        check(memory(m));
        return true;
    }
    bool store(int u, int m) override {
        check(unit(u) && memory(m));
        return true;
    }
    bool clear(int u) override {
        check(unit(u));
        return true;
    }
    bool setReverse(bool) override { return true; }
    bool selectUnit(int u) override {
        check(unit(u));
        return true;
    }
    bool setArrangement(int layout) override {
        check(layout >= 0 && layout < kLayouts);
        return true;
    }
    const MatrixModel& model() const override {
        m_model.replaceRecord(record);
        return m_model;
    }

    bool subscribe(const RemotePeer&, std::uint16_t) override { return true; }
    void unsubscribe(const RemotePeer&, std::uint16_t) override {}
    void dump(const RemotePeer&) override {}

  private:
    bool unit(int u) const { return u >= 0 && u <= record.SlaveCount; }
    static bool line(int l) { return l >= 0 && l < kLines; }
    static bool memory(int m) { return m >= 0 && m < kMemories; }
    static void check(bool inRange) {
        if (!inRange) __builtin_trap();
    }
    mutable MatrixModel m_model;
};

}  // namespace

// Any datagram is acted on or dropped; none crashes or reaches the program out of range.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckingControl control;
    control.record.SlaveCount = static_cast<std::uint8_t>(size % 4);
    OscDispatch dispatch(control, &control);
    dispatch.handlePacket(data, size, RemotePeer{0x7f000001, 9000});
    return 0;
}
