#include <gtest/gtest.h>

#include <cctype>
#include <ostream>

#include "controller/eventdispatch.h"

using namespace corvane;

namespace {

struct Case {
    const char* name;
    std::uint8_t code, arg1, arg2;
    int count;
    bool reverse;
    std::uint8_t selected;
    EventAction action;
    int unit, row, column, memory;
};

constexpr auto None = EventAction::None;

const Case kCases[] = {
    // Polls that carry no event.
    {"empty poll", 9, 0x07, 0x13, 0, false, 1, None, 0, 0, 0, 0},
    {"one byte", 5, 1, 0, 1, false, 0, None, 0, 0, 0, 0},
    {"two bytes are an event", 6, 0, 0, 2, false, 0, EventAction::Recall, 0, 0, 0, 0},
    // Codes outside the table.
    {"code 0", 0, 1, 1, 8, false, 0, None, 0, 0, 0, 0},
    {"code 4", 4, 1, 1, 8, false, 0, None, 0, 0, 0, 0},
    {"code 12", 12, 1, 1, 8, false, 0, None, 0, 0, 0, 0},
    {"code 255", 255, 1, 1, 8, false, 0, None, 0, 0, 0, 0},
    // Memories.
    {"recall 4", 6, 9, 4, 8, false, 0, EventAction::Recall, 0, 0, 0, 4},
    {"recall 5", 6, 0, 5, 8, false, 0, None, 0, 0, 0, 0},
    {"stored 2 3", 8, 2, 3, 8, false, 0, EventAction::Stored, 2, 0, 0, 3},
    {"stored unit 4", 8, 4, 3, 8, false, 0, None, 0, 0, 0, 0},
    {"stored memory 5", 8, 3, 5, 8, false, 0, None, 0, 0, 0, 0},
    {"cleared selected", 10, 2, 0, 8, false, 2, EventAction::ClearSelected, 2, 0, 0, 0},
    {"cleared other", 10, 3, 0, 8, true, 2, EventAction::ClearOther, 3, 0, 0, 0},
    {"cleared unit 4", 10, 4, 0, 8, false, 0, None, 0, 0, 0, 0},
    {"image", 11, 0, 0, 8, false, 0, EventAction::ReadImage, 0, 0, 0, 0},
    // Routes in normal routing: column is a line 0..15, row a channel or 4 Disconnected.
    {"route selected", 9, 7, 0x13, 8, false, 1, EventAction::RouteSelected, 1, 3, 7, 0},
    {"route other", 9, 7, 0x13, 8, false, 0, EventAction::RouteOther, 1, 3, 7, 0},
    {"route disconnected", 9, 15, 0x04, 8, false, 0, EventAction::RouteSelected, 0, 4, 15, 0},
    {"route line 16", 9, 16, 0x10, 8, false, 1, None, 0, 0, 0, 0},
    {"route line 16 other", 9, 16, 0x10, 8, false, 0, None, 0, 0, 0, 0},
    {"route row 5 other", 9, 3, 0x25, 8, false, 0, None, 0, 0, 0, 0},
    {"route unit 4", 9, 3, 0x41, 8, false, 0, None, 0, 0, 0, 0},
    // Routes in reverse routing: row is a channel 0..3, column a line or 16 for none.
    {"reverse none", 9, 16, 0x33, 8, true, 3, EventAction::RouteSelected, 3, 3, 16, 0},
    {"reverse row 4", 9, 2, 0x34, 8, true, 3, None, 0, 0, 0, 0},
    {"reverse row 4 other", 9, 2, 0x04, 8, true, 3, None, 0, 0, 0, 0},
    {"reverse column 17 other", 9, 17, 0x01, 8, true, 3, None, 0, 0, 0, 0},
    {"reverse other", 9, 12, 0x22, 8, true, 3, EventAction::RouteOther, 2, 2, 12, 0},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

class Dispatch : public testing::TestWithParam<Case> {};

TEST_P(Dispatch, DecodesAndChecksTheArguments) {
    const Case& c = GetParam();
    MatrixState state{};
    state.ReverseMode = c.reverse ? 1 : 0;
    state.SelectedUnit = c.selected;
    DeviceEvent event{c.code, c.arg1, c.arg2, 0, 0, 0, 0, 0};
    const DispatchedEvent d = DispatchEvent(event, c.count, MatrixModel(state));
    EXPECT_EQ(d.action, c.action);
    EXPECT_EQ(d.unit, c.unit);
    EXPECT_EQ(d.row, c.row);
    EXPECT_EQ(d.column, c.column);
    EXPECT_EQ(d.memory, c.memory);
}

INSTANTIATE_TEST_SUITE_P(Events, Dispatch, testing::ValuesIn(kCases), [](const auto& info) {
    std::string name = info.param.name;
    for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return name;
});

TEST(Dispatch, ReverseAndUnsavedTakeAnyByte) {
    const MatrixModel state;
    for (int value : {0, 1, 2, 0x80, 0xFF}) {
        const auto reverse = DispatchEvent(MakeEvent(EventCode::ReverseChanged, value), 8, state);
        EXPECT_EQ(reverse.action, EventAction::SetReverse);
        EXPECT_EQ(reverse.reverse, value != 0);
        const auto unsaved = DispatchEvent(MakeEvent(EventCode::UnsavedChanged, value), 8, state);
        EXPECT_EQ(unsaved.action, EventAction::Unsaved);
        EXPECT_EQ(unsaved.unsavedBits, value);
    }
}

}  // namespace
