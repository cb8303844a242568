#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "storage/settingsfile.h"

using namespace corvane;

namespace {

std::string readFile(const std::string& file) {
    QFile f(QString::fromStdString(file));
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll().toStdString();
}

void writeFile(const std::string& file, const std::string& bytes) {
    QFile f(QString::fromStdString(file));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::vector<std::string> lines(const std::string& bytes) {
    std::vector<std::string> out;
    for (std::size_t from = 0, end; (end = bytes.find("\r\n", from)) != std::string::npos; from = end + 2)
        out.push_back(bytes.substr(from, end - from));
    return out;
}

std::string format(const char* pattern, int number) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, number);
    return text;
}

const WindowPlacement kPlacement{0, 1, 100, 50, 900, 650, 96};

// One run of the program as far as the settings go: start-up reads, then the exit writes.
struct ProgramRun {
    explicit ProgramRun(const std::string& file) : store(file), settings(store) {}

    void start() {
        settings.Open();
        recent = settings.ReadRecentFiles();
        settings.ReadArrangement(state);
        settings.ReadNames(names);
        restored = RestoreWindowPlacement(store, kPlacement);
    }
    void exit(const WindowPlacement& placement = kPlacement) {
        SaveWindowPlacement(store, placement);
        settings.Close(recent, names, state);
    }

    XmlSettingsStore store;
    SettingsFile settings;
    ReopenList recent;
    NameTable names{};
    MatrixState state{};
    std::optional<RestoredPlacement> restored;
};

class SettingsFileTest : public ::testing::Test {
  protected:
    std::string file() const { return m_dir.path().toStdString() + "/QUENDA/matrix.xml"; }
    void SetUp() override { ASSERT_EQ(SettingsLocation(m_dir.path().toStdString()), file()); }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(SettingsFileTest, FirstRunAndExitWriteTheFullFile) {
    ProgramRun run(file());
    run.start();
    EXPECT_FALSE(run.restored.has_value());  // nothing saved yet
    EXPECT_EQ(run.state.MatrixLayout, 0);
    EXPECT_EQ(run.names.lineName(3, 15), "Line 16");
    EXPECT_EQ(run.names.lineName(3, 16), "Line");
    EXPECT_EQ(run.names.channelName(2, 4), "Disconnected");
    EXPECT_EQ(readFile(file()), "<missing>");  // nothing is written before exit
    run.exit();

    std::vector<std::string> expected = {"<?xml version='1.0' encoding='us-ascii' ?>",
                                         "<!-- Quenda XMLStore Data File -->", "<FORMS>", "  <Reopen>"};
    for (int i = 1; i <= 5; ++i) expected.push_back(format("    <Reopen0%d value=\"\"/>", i));
    expected.push_back("  </Reopen>");
    for (int unit = 1; unit <= 4; ++unit) {
        expected.push_back(format("  <LineNames0%d>", unit));
        for (int line = 1; line <= 16; ++line)
            expected.push_back(format(
                line < 10 ? "    <Line0%1$d value=\"Line 0%1$d\"/>" : "    <Line%1$d value=\"Line %1$d\"/>",
                line));
        expected.push_back(format("  </LineNames0%d>", unit));
        expected.push_back(format("  <ChannelNames0%d>", unit));
        for (int channel = 1; channel <= 4; ++channel)
            expected.push_back(format("    <Channel0%1$d value=\"Channel 0%1$d\"/>", channel));
        expected.push_back("    <Channel05 value=\"Disconnected\"/>");
        expected.push_back(format("  </ChannelNames0%d>", unit));
    }
    for (const char* line :
         {"  <MatrixNumber>", "    <Lines value=\"0\"/>", "    <Number value=\"0\"/>", "  </MatrixNumber>",
          "  <TCorvane_Form>", "    <Flags value=\"0\"/>", "    <ShowCmd value=\"1\"/>",
          "    <NormalPos value=\"100,50,900,650\"/>", "    <PixelsPerInch value=\"96\"/>",
          "    <Color value=\"-16777201\"/>", "  </TCorvane_Form>", "</FORMS>"})
        expected.push_back(line);
    ASSERT_EQ(expected.size(), 122u);

    const std::string bytes = readFile(file());
    EXPECT_EQ(lines(bytes), expected);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(bytes.find("Line17"), std::string::npos);
}

TEST_F(SettingsFileTest, FirstRunThatEndsAbnormallyLeavesNoFile) {
    ProgramRun run(file());
    run.start();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(file())));
}

TEST_F(SettingsFileTest, WhatTheOperatorChangedComesBackNextRun) {
    {
        ProgramRun run(file());
        run.start();
        run.recent = {"/data/a.cvm", "", "C:\\old\\b.cvm", "", ""};
        run.names.setLineName(1, 4, "Studio \"A\" <1>");
        run.names.setChannelName(3, 4, "Off");
        run.names.setLineName(0, 16, "changed");  // never saved
        run.state.MatrixLayout = 7;
        run.state.SelectedUnit = 2;
        run.exit({2, 3, 10, 20, 1290, 1044, 96});
    }
    ProgramRun run(file());
    run.start();
    EXPECT_EQ(run.recent, (ReopenList{"/data/a.cvm", "", "C:\\old\\b.cvm", "", ""}));
    EXPECT_EQ(run.names.lineName(1, 4), "Studio \"A\" <1>");
    EXPECT_EQ(run.names.channelName(3, 4), "Off");
    EXPECT_EQ(run.names.lineName(0, 16), "Line");
    EXPECT_EQ(run.state.MatrixLayout, 7);
    EXPECT_EQ(run.state.SelectedUnit, 2);
    ASSERT_TRUE(run.restored.has_value());
    ASSERT_TRUE(run.restored->placement.has_value());
    const WindowPlacement& p = *run.restored->placement;
    EXPECT_EQ((std::vector<int>{p.flags, p.showCmd, p.left, p.top, p.right, p.bottom}),
              (std::vector<int>{2, 0, 10, 20, 1290, 1044}));
    EXPECT_EQ(run.restored->show, WindowShow::Maximized);
}

TEST_F(SettingsFileTest, MissingLineKeyReadsLineAndIsAppendedAtExit) {
    {
        ProgramRun run(file());
        run.start();
        run.exit();
    }
    std::string bytes = readFile(file());
    const std::string missing = "    <Line05 value=\"Line 05\"/>\r\n";
    const std::size_t section = bytes.find("<LineNames02>");
    bytes.erase(bytes.find(missing, section), missing.size());
    writeFile(file(), bytes);

    ProgramRun run(file());
    run.start();
    EXPECT_EQ(run.names.lineName(1, 4), "Line");
    EXPECT_EQ(run.names.lineName(0, 4), "Line 05");
    run.exit();
    const std::vector<std::string> saved = lines(readFile(file()));
    const auto at = std::find(saved.begin(), saved.end(), "  <LineNames02>") - saved.begin();
    EXPECT_EQ(saved[at + 15], "    <Line16 value=\"Line 16\"/>");
    EXPECT_EQ(saved[at + 16], "    <Line05 value=\"Line\"/>");
    EXPECT_EQ(saved[at + 17], "  </LineNames02>");
    EXPECT_EQ(saved.size(), 122u);
}

TEST_F(SettingsFileTest, EmptyFileGivesPlainDefaults) {
    writeFile(file(), "");
    ProgramRun run(file());
    run.start();
    EXPECT_EQ(run.state.MatrixLayout, 255);
    EXPECT_EQ(run.state.SelectedUnit, 255);
    EXPECT_EQ(run.names.lineName(2, 0), "Line");
    EXPECT_EQ(run.names.channelName(2, 0), "Channel");
    EXPECT_EQ(run.recent, ReopenList{});
}

TEST_F(SettingsFileTest, RecentKeyCreatedEmptyBecomesOneLineAtTheNextExit) {
    writeFile(file(),
              "<FORMS>\r\n  <Reopen>\r\n    <Reopen03 value=\"/p.cvm\"/>\r\n  </Reopen>\r\n</FORMS>\r\n");
    const std::vector<std::vector<std::string>> expected = {
        {"<FORMS>", "  <Reopen>", "    <Reopen03 value=\"/p.cvm\"/>", "    <Reopen01>", "    </Reopen01>"},
        {"<FORMS>", "  <Reopen>", "    <Reopen03 value=\"/p.cvm\"/>", "    <Reopen01 value=\"\"/>"},
    };
    for (const auto& head : expected) {
        ProgramRun run(file());
        run.start();
        EXPECT_EQ(run.recent, (ReopenList{"", "", "/p.cvm", "", ""}));
        run.exit();
        const std::vector<std::string> saved = lines(readFile(file()));
        EXPECT_EQ(
            std::vector<std::string>(saved.begin(), saved.begin() + static_cast<std::ptrdiff_t>(head.size())),
            head);
    }
}

TEST_F(SettingsFileTest, ArrangementThatIsNotAnIntegerStopsStartUp) {
    struct Case {
        const char* lines;
        const char* number;
        const char* message;
    };
    const Case cases[] = {
        {"abc", "0", "'abc' is not a valid integer value"},
        {"", "0", "'' is not a valid integer value"},
        {"1", "2x", "'2x' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        writeFile(file(), std::string("<FORMS>\n  <MatrixNumber>\n    <Lines value=\"") + c.lines +
                              "\"/>\n    <Number value=\"" + c.number +
                              "\"/>\n  </MatrixNumber>\n</FORMS>\n");
        ProgramRun run(file());
        try {
            run.start();
            ADD_FAILURE() << "started with " << c.lines << "/" << c.number;
        } catch (const SettingsError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}

TEST_F(SettingsFileTest, ArrangementKeepsTheLowByte) {
    writeFile(file(),
              "<FORMS>\n  <MatrixNumber>\n    <Lines value=\"258\"/>\n    <Number value=\"-2\"/>\n"
              "  </MatrixNumber>\n</FORMS>\n");
    ProgramRun run(file());
    run.start();
    EXPECT_EQ(run.state.MatrixLayout, 2);
    EXPECT_EQ(run.state.SelectedUnit, 254);
}

// On a fresh account the common folder itself may be missing, several levels deep.
TEST_F(SettingsFileTest, LocationCreatesTheWholePathAndAFolderGoneAtExitIsReported) {
    const std::string base = m_dir.path().toStdString() + "/no/such";
    const std::string file = base + "/QUENDA/matrix.xml";
    EXPECT_EQ(SettingsLocation(base), file);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(base + "/QUENDA")).isDir());

    // Without its folder the settings cannot be saved, and the exit says so.
    ProgramRun run(file);
    run.start();
    ASSERT_TRUE(QDir(QString::fromStdString(base)).removeRecursively());
    try {
        run.exit();
        ADD_FAILURE() << "saved without a folder";
    } catch (const SettingsError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + file + "\". No such file or directory");
    }
}

TEST_F(SettingsFileTest, WindowPlacementRestore) {
    const WindowPlacement current{0, 1, 100, 50, 900, 650, 96};
    struct Case {
        const char* name;
        const char* pixelsPerInch;  // nullptr: key missing
        const char* flags;
        const char* normalPos;
        const char* showCmd;
        bool restored;
        std::vector<int> placement;  // flags, left, top, right, bottom; empty: not applied
        WindowShow show;
    };
    const Case cases[] = {
        {"all saved", "96", "2", "1,2,301,402", "1", true, {2, 1, 2, 301, 402}, WindowShow::Normal},
        {"other display", "120", "2", "1,2,301,402", "3", false, {}, WindowShow::Normal},
        {"ppi missing", nullptr, "0", "1,2,301,402", "3", true, {0, 1, 2, 301, 402}, WindowShow::Maximized},
        {"no rectangle", "96", "0", "", "3", false, {}, WindowShow::Normal},
        {"short rectangle", "96", "0", "5,6,700", "2", true, {0, 5, 6, 700, 650}, WindowShow::Minimized},
        {"bad numbers", "96", "x", "a,-6,$10,", "6", true, {0, 100, -6, 900, 650}, WindowShow::Minimized},
        {"empty width", "96", "0", "500,6,500,700", "3", true, {}, WindowShow::Maximized},
        {"odd show", "96", "0", "1,2,3,4", "9", true, {0, 1, 2, 3, 4}, WindowShow::Normal},
    };
    for (const Case& c : cases) {
        std::string xml = "<FORMS>\n  <TCorvane_Form>\n";
        if (c.pixelsPerInch) xml += std::string("    <PixelsPerInch value=\"") + c.pixelsPerInch + "\"/>\n";
        xml += std::string("    <Flags value=\"") + c.flags + "\"/>\n    <NormalPos value=\"" + c.normalPos +
               "\"/>\n    <ShowCmd value=\"" + c.showCmd + "\"/>\n  </TCorvane_Form>\n</FORMS>\n";
        writeFile(file(), xml);
        XmlSettingsStore store(file());
        const auto restored = RestoreWindowPlacement(store, current);
        EXPECT_EQ(store.openCount(), 0) << c.name;
        ASSERT_EQ(restored.has_value(), c.restored) << c.name;
        if (!restored) continue;
        EXPECT_EQ(restored->show, c.show) << c.name;
        std::vector<int> applied;
        if (restored->placement) {
            const WindowPlacement& p = *restored->placement;
            applied = {p.flags, p.left, p.top, p.right, p.bottom};
            EXPECT_EQ(p.showCmd, 0) << c.name;
        }
        EXPECT_EQ(applied, c.placement) << c.name;
    }
}

TEST(WindowOnScreens, APlacementThatFitsStaysAndOneTooLargeOrLostComesOntoAScreen) {
    // The primary screen first, a second one to its right reaching less far down.
    const std::vector<QRect> screens{QRect(0, 0, 1920, 1040), QRect(1920, 0, 1280, 1024)};
    constexpr int kMin = std::numeric_limits<int>::min();
    constexpr int kMax = std::numeric_limits<int>::max();
    struct Case {
        const char* name;
        int left, top, right, bottom;
        QRect expected;
    };
    const Case cases[] = {
        {"on the primary", 100, 50, 900, 650, QRect(100, 50, 800, 600)},
        {"on the second", 2000, 100, 2800, 700, QRect(2000, 100, 800, 600)},
        {"across both", 1800, 100, 2600, 700, QRect(1800, 100, 800, 600)},
        {"partly off the left edge", -300, 100, 500, 700, QRect(-300, 100, 800, 600)},
        {"absurdly large", 0, 0, 100000, 100000, QRect(0, 0, 1920, 1040)},
        {"too large, mostly on the second", 1900, 0, 3300, 1100, QRect(1920, 0, 1280, 1024)},
        {"far right of every screen", 5000, 100, 5800, 700, QRect(1120, 100, 800, 600)},
        {"above every screen", 100, -2000, 900, -1400, QRect(100, 0, 800, 600)},
        {"in the corner below the second", 2000, 1030, 2800, 1630, QRect(1120, 440, 800, 600)},
        {"extreme edges", kMin, kMin, kMax, kMax, QRect(0, 0, 1920, 1040)},
    };
    for (const Case& c : cases) {
        const WindowPlacement p{0, 0, c.left, c.top, c.right, c.bottom, 96};
        EXPECT_EQ(FitOnScreens(p, screens), c.expected) << c.name;
    }
    // Without any screen to go by, the placement is taken as saved.
    EXPECT_EQ(FitOnScreens(WindowPlacement{0, 0, 1, 2, 301, 402, 96}, {}), QRect(1, 2, 300, 400));
}
