#include <gtest/gtest.h>

#include <string>

#include "storage/recentfiles.h"

using namespace corvane;

namespace {

using Entries = RecentFiles::Entries;

// The Reopen submenu as the window keeps it: applies the updates and nothing else.
struct Submenu {
    struct Entry {
        bool visible = false;
        std::string caption = "placeholder";
        bool operator==(const Entry&) const = default;
    };
    std::array<Entry, kRecentFiles> entries;

    void apply(const ReopenUpdate& update) {
        for (int i = 0; i < kRecentFiles; ++i) {
            switch (update[i].change) {
                case ReopenChange::Keep:
                    break;
                case ReopenChange::Show:
                    entries[i] = {true, update[i].caption};
                    break;
                case ReopenChange::Hide:
                    entries[i] = {false, ""};
                    break;
            }
        }
    }
    std::array<std::string, kRecentFiles> shown() const {
        std::array<std::string, kRecentFiles> s;
        for (int i = 0; i < kRecentFiles; ++i) s[i] = entries[i].visible ? entries[i].caption : "-";
        return s;
    }
};

const Entries kFull = {"/a.cvm", "/b.cvm", "/c.cvm", "/d.cvm", "/e.cvm"};

}  // namespace

TEST(RecentFilesAdd, SixthFilePushesTheOldestOut) {
    RecentFiles recent;
    Submenu menu;
    for (auto it = kFull.rbegin(); it != kFull.rend(); ++it) menu.apply(recent.add(*it));
    EXPECT_EQ(recent.entries(), kFull);

    menu.apply(recent.add("/f.cvm"));
    const Entries expected = {"/f.cvm", "/a.cvm", "/b.cvm", "/c.cvm", "/d.cvm"};
    EXPECT_EQ(recent.entries(), expected);
    EXPECT_EQ(menu.shown(), expected);
}

TEST(RecentFilesAdd, ListedPathChangesNothing) {
    RecentFiles recent;
    Submenu menu;
    menu.apply(recent.load(kFull));
    const Submenu before = menu;

    const ReopenUpdate update = recent.add("/d.cvm");
    for (const ReopenEntryUpdate& u : update) EXPECT_EQ(u.change, ReopenChange::Keep);
    menu.apply(update);
    EXPECT_EQ(recent.entries(), kFull);
    EXPECT_EQ(menu.entries, before.entries);
}

TEST(RecentFilesAdd, PathsDifferingInCaseAreDifferentEntries) {
    RecentFiles recent;
    recent.add("c:\\A.CVM");
    recent.add("C:\\a.cvm");
    recent.add("c:\\A.CVM");
    const Entries expected = {"C:\\a.cvm", "c:\\A.CVM", "", "", ""};
    EXPECT_EQ(recent.entries(), expected);
}

TEST(RecentFilesAdd, EmptyPathIsNoFile) {
    RecentFiles recent;
    recent.load(kFull);
    recent.add("");
    EXPECT_EQ(recent.entries(), kFull);
}

TEST(RecentFilesRemove, ClosesTheGapAndHidesTheLastEntry) {
    struct Case {
        Entries before;
        int index;
        Entries after;
        std::array<std::string, kRecentFiles> shown;
    };
    const Case cases[] = {
        {kFull,
         1,
         {"/a.cvm", "/c.cvm", "/d.cvm", "/e.cvm", ""},
         {"/a.cvm", "/c.cvm", "/d.cvm", "/e.cvm", "-"}},
        {kFull,
         4,
         {"/a.cvm", "/b.cvm", "/c.cvm", "/d.cvm", ""},
         {"/a.cvm", "/b.cvm", "/c.cvm", "/d.cvm", "-"}},
        {kFull,
         0,
         {"/b.cvm", "/c.cvm", "/d.cvm", "/e.cvm", ""},
         {"/b.cvm", "/c.cvm", "/d.cvm", "/e.cvm", "-"}},
        {{"", "", "/p.cvm", "", ""}, 0, {"", "/p.cvm", "", "", ""}, {"-", "/p.cvm", "-", "-", "-"}},
        {{"/a.cvm", "", "", "", ""}, 0, {"", "", "", "", ""}, {"-", "-", "-", "-", "-"}},
    };
    for (const Case& c : cases) {
        RecentFiles recent;
        Submenu menu;
        menu.apply(recent.load(c.before));
        menu.apply(recent.remove(c.index));
        EXPECT_EQ(recent.entries(), c.after) << "index " << c.index;
        EXPECT_EQ(menu.shown(), c.shown) << "index " << c.index;
    }
}

TEST(RecentFilesRemove, IndexOutsideTheListChangesNothing) {
    for (int index : {-1, 5, 200}) {
        RecentFiles recent;
        recent.load(kFull);
        const ReopenUpdate update = recent.remove(index);
        EXPECT_EQ(recent.entries(), kFull);
        for (const ReopenEntryUpdate& u : update) EXPECT_EQ(u.change, ReopenChange::Keep);
    }
}

// A settings file holding only the third key: adding leaves the third submenu entry showing the
// path that moved away from it, since entries of free list entries are not touched.
TEST(RecentFilesGaps, AddLeavesSubmenuEntriesOfFreeEntries) {
    RecentFiles recent;
    Submenu menu;
    menu.apply(recent.load({"", "", "/p.cvm", "", ""}));
    EXPECT_EQ(menu.shown(), (std::array<std::string, kRecentFiles>{"-", "-", "/p.cvm", "-", "-"}));

    menu.apply(recent.add("/q.cvm"));
    EXPECT_EQ(recent.entries(), (Entries{"/q.cvm", "", "", "/p.cvm", ""}));
    EXPECT_EQ(menu.shown(), (std::array<std::string, kRecentFiles>{"/q.cvm", "-", "/p.cvm", "/p.cvm", "-"}));
}
