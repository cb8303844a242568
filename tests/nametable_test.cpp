#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

#include "model/nametable.h"

using namespace corvane;

namespace {

std::string channelTag(int unit, int entry) {
    return "C" + std::to_string(unit) + "." + std::to_string(entry);
}
std::string lineTag(int unit, int entry) {
    return "L" + std::to_string(unit) + "." + std::to_string(entry);
}

// Every unit carries names of its own, so after sharing each field tells where it came from.
NameTable taggedTable() {
    NameTable t{};
    for (int u = 0; u < kUnits; ++u) {
        for (int e = 0; e < kLineEntries; ++e) t.setLineName(u, e, lineTag(u, e));
        for (int e = 0; e < kChannelEntries; ++e) t.setChannelName(u, e, channelTag(u, e));
    }
    return t;
}

using Sources = std::array<int, kUnits>;
constexpr Sources kOwn = {0, 1, 2, 3};

// Checks that unit u carries the channel names of channels[u] and the line names of lines[u];
// the no-line column's name always stays the unit's own.
void expectSources(const NameTable& t, const Sources& channels, const Sources& lines) {
    for (int u = 0; u < kUnits; ++u) {
        for (int e = 0; e < kChannelEntries; ++e)
            EXPECT_EQ(t.channelName(u, e), channelTag(channels[u], e)) << "unit " << u << " channel " << e;
        for (int e = 0; e < kLines; ++e)
            EXPECT_EQ(t.lineName(u, e), lineTag(lines[u], e)) << "unit " << u << " line " << e;
        EXPECT_EQ(t.lineName(u, kNoLineEntry), lineTag(u, kNoLineEntry)) << "unit " << u;
    }
}

struct ShareCase {
    int layout;
    int selected;
    Sources channels;
    Sources lines;
};

}  // namespace

TEST(NameTableSharing, AfterEdit) {
    const ShareCase cases[] = {
        {0, 0, kOwn, kOwn},
        {0, 3, kOwn, kOwn},
        {1, 0, {0, 0, 2, 3}, kOwn},
        {1, 1, {1, 1, 2, 3}, kOwn},
        {1, 3, {1, 1, 2, 3}, kOwn},  // outside the arrangement: unit 1 still gives to unit 0
        {2, 1, {1, 1, 1, 3}, kOwn},
        {2, 3, {3, 3, 3, 3}, kOwn},  // outside the arrangement: units 0..2 take unit 3's names
        {3, 2, {2, 2, 2, 2}, kOwn},
        {4, 0, kOwn, {0, 0, 2, 3}},
        {4, 2, kOwn, {1, 1, 2, 3}},
        {5, 2, kOwn, {2, 2, 2, 3}},
        {5, 3, kOwn, {3, 3, 3, 3}},
        {6, 1, kOwn, {1, 1, 1, 1}},
        {7, 0, {0, 0, 2, 3}, {0, 1, 0, 3}},
        {7, 1, {1, 1, 2, 3}, {0, 1, 2, 1}},
        {7, 2, {0, 1, 2, 2}, {2, 1, 2, 3}},
        {7, 3, {0, 1, 3, 3}, {0, 3, 2, 3}},
        {8, 0, kOwn, kOwn},
        {200, 1, kOwn, kOwn},
        {-1, 1, kOwn, kOwn},
        {3, 4, kOwn, kOwn},
        {7, 200, kOwn, kOwn},
        {2, -1, kOwn, kOwn},
    };
    for (const ShareCase& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(c.layout) + " unit " + std::to_string(c.selected));
        NameTable t = taggedTable();
        t.shareAfterEdit(c.selected, c.layout);
        expectSources(t, c.channels, c.lines);
    }
}

TEST(NameTableSharing, OnArrangement) {
    const ShareCase cases[] = {
        {0, 0, kOwn, kOwn},         {1, 0, {0, 0, 2, 3}, kOwn},
        {2, 0, {0, 0, 0, 3}, kOwn}, {3, 0, {0, 0, 0, 0}, kOwn},
        {4, 0, kOwn, {0, 0, 2, 3}}, {5, 0, kOwn, {0, 0, 0, 3}},
        {6, 0, kOwn, {0, 0, 0, 0}}, {7, 0, {0, 0, 2, 2}, {0, 1, 0, 1}},
        {8, 0, kOwn, kOwn},         {200, 0, kOwn, kOwn},
        {-7, 0, kOwn, kOwn},
    };
    for (const ShareCase& c : cases) {
        SCOPED_TRACE("layout " + std::to_string(c.layout));
        NameTable t = taggedTable();
        t.shareOnArrangement(c.layout);
        expectSources(t, c.channels, c.lines);
    }
}

TEST(NameTableField, StoreCutsAndZeroFills) {
    struct Case {
        std::string text;
        std::string stored;
    };
    const Case cases[] = {
        {"Studio", "Studio"},
        {"ABCDEFGHIJKLMNO", "ABCDEFGHIJKLMNO"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "ABCDEFGHIJKLMNO"},
        {"", ""},
        {"\xC9quipe \xE9t\xE9", "\xC9quipe \xE9t\xE9"},
    };
    for (const Case& c : cases) {
        NameTable t{};
        t.setChannelName(2, 3, "previous long name");
        t.setChannelName(2, 3, c.text);
        EXPECT_EQ(t.channelName(2, 3), c.stored);
        const char* field = t.ChannelName[2][3];
        for (int i = static_cast<int>(c.stored.size()); i < kNameFieldSize; ++i) EXPECT_EQ(field[i], 0) << i;
    }
}

TEST(NameTableField, StoreNeverWritesTheLastFiveBytes) {
    NameTable t{};
    std::memset(&t.ChannelName[2][3][kNameMaxLength], 'x', kNameFieldSize - kNameMaxLength);
    t.setChannelName(2, 3, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    EXPECT_EQ(std::string(t.ChannelName[2][3], kNameFieldSize), "ABCDEFGHIJKLMNOxxxxx");
    t.setChannelName(2, 3, "AB");
    EXPECT_EQ(std::string(t.ChannelName[2][3], kNameFieldSize),
              std::string("AB", 2) + std::string(13, '\0') + "xxxxx");
}

TEST(NameTableField, FieldWithoutZeroReadsToItsEndOnly) {
    NameTable t{};
    std::memset(t.LineName[0][0], 'A', kNameFieldSize);
    std::memset(t.LineName[0][1], 'B', kNameFieldSize);  // the neighbour must not run into the read
    EXPECT_EQ(t.lineName(0, 0), std::string(kNameFieldSize, 'A'));

    // The last channel field of the table has nothing behind it inside the record.
    std::memset(t.ChannelName[3][4], 'Z', kNameFieldSize);
    EXPECT_EQ(t.channelName(3, 4), std::string(kNameFieldSize, 'Z'));

    // Sharing copies such a name as any other: its first 15 characters.
    t.setLineName(1, 0, "x");
    t.shareOnArrangement(4);
    EXPECT_EQ(t.lineName(1, 0), std::string(kNameMaxLength, 'A'));
}

TEST(NameTableField, OutOfRangeIndexesTouchNothing) {
    NameTable t = taggedTable();
    const NameTable before = t;
    t.setLineName(kUnits, 0, "x");
    t.setLineName(0, kLineEntries, "x");
    t.setLineName(-1, 0, "x");
    t.setChannelName(0, kChannelEntries, "x");
    t.setChannelName(0, -1, "x");
    EXPECT_EQ(std::memcmp(&t, &before, sizeof t), 0);
    EXPECT_EQ(t.lineName(kUnits, 0), "");
    EXPECT_EQ(t.lineName(0, -1), "");
    EXPECT_EQ(t.channelName(0, kChannelEntries), "");
}

TEST(NameTableDefaults, NumberedNamesAndNoLineColumnKept) {
    NameTable t{};
    for (int u = 0; u < kUnits; ++u) t.setLineName(u, kNoLineEntry, "Nobody");
    t.setDefaults();
    for (int u = 0; u < kUnits; ++u) {
        EXPECT_EQ(t.lineName(u, 0), "Line 01");
        EXPECT_EQ(t.lineName(u, 8), "Line 09");
        EXPECT_EQ(t.lineName(u, 9), "Line 10");
        EXPECT_EQ(t.lineName(u, 15), "Line 16");
        EXPECT_EQ(t.lineName(u, kNoLineEntry), "Nobody");
        EXPECT_EQ(t.channelName(u, 0), "Channel 01");
        EXPECT_EQ(t.channelName(u, 3), "Channel 04");
        EXPECT_EQ(t.channelName(u, kDisconnectedEntry), "Disconnected");
    }
}
