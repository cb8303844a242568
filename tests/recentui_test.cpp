#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#ifdef __unix__
#include <sys/stat.h>
#endif

#include "fileformfixture.h"

using namespace corvane;

namespace {

// What the Reopen submenu shows, entry by entry: the path, or "-" for a hidden entry.
std::vector<std::string> Submenu(const MainWindow& window) {
    std::vector<std::string> shown;
    for (const QAction* entry : window.commands().recentFiles)
        shown.push_back(entry->isVisible() ? entry->text().toStdString() : std::string("-"));
    return shown;
}

// Saves files a.cvm, b.cvm, ... so that the last one heads the list.
std::vector<std::string> SaveFiles(FileFormFixture& f, const char* names) {
    std::vector<std::string> paths;
    for (const char* n = names; *n; ++n) {
        paths.push_back(f.path((std::string(1, *n) + ".cvm").c_str()));
        f.window->controller().saveFile(paths.back());
    }
    return paths;
}

}  // namespace

TEST(ReopenMenu, SavingASixthFilePushesTheOldestOutAndAListedPathStaysWhereItIs) {
    FileFormFixture f;
    MainWindow& window = f.open();
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{"-", "-", "-", "-", "-"}));

    const auto p = SaveFiles(f, "abcdef");
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{p[5], p[4], p[3], p[2], p[1]}));
    EXPECT_EQ(window.controller().session().recentFiles().entries(),
              (RecentFiles::Entries{p[5], p[4], p[3], p[2], p[1]}));

    // Entry 3 saved again, and loaded again: nothing moves.
    window.controller().saveFile(p[2]);
    window.controller().openFile(p[2]);
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{p[5], p[4], p[3], p[2], p[1]}));

    // The same file under another spelling is another entry.
    const std::string upper = f.path("F.CVM");
    window.controller().saveFile(upper);
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{upper, p[5], p[4], p[3], p[2]}));
}

TEST(ReopenMenu, ReopenLoadsThePathOfItsEntryWithoutReordering) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const auto p = SaveFiles(f, "abc");
    WriteBytes(p[0], StudioFile());
    f.takeRequests();

    window.openRecentFile(2);
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(window.controller().names().lineName(0, 0), "Studio A");
    EXPECT_EQ(window.controller().currentFile(), p[0]);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE - A.CVM"));
    EXPECT_EQ(f.requestedImage(), ImageOf(window.controller().state()));
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{p[2], p[1], p[0], "-", "-"}));

    // A hidden entry has no command.
    window.openRecentFile(3);
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(window.controller().currentFile(), p[0]);
}

TEST(ReopenMenu, ReopenOfADeletedFileRemovesItsEntryWhileOpenLeavesTheList) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const auto p = SaveFiles(f, "abcde");
    ASSERT_TRUE(QFile::remove(QString::fromStdString(p[3])));  // entry 1
    const std::string file = *window.controller().currentFile();
    const QString caption = window.windowTitle();

    f.answers.push_back(p[3]);
    window.open();
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    const std::string openError = f.notifier.messages[0].text;
    EXPECT_EQ(openError.rfind("Cannot open file \"" + p[3] + "\". ", 0), 0u);
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{p[4], p[3], p[2], p[1], p[0]}));

    window.openRecentFile(1);
    ASSERT_EQ(f.notifier.messages.size(), 2u);
    EXPECT_EQ(f.notifier.messages[1].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[1].icon, MessageIcon::None);
    EXPECT_EQ(f.notifier.messages[1].text, openError);
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{p[4], p[2], p[1], p[0], "-"}));
    EXPECT_EQ(window.commands().recentFiles[4]->text(), QString());
    EXPECT_EQ(window.controller().session().recentFiles().entries()[4], "");
    EXPECT_EQ(window.controller().currentFile(), file);
    EXPECT_EQ(window.windowTitle(), caption);
}

#ifdef __unix__
// A FIFO left where a listed file was cannot be opened: refused at once, and its entry goes.
TEST(ReopenMenu, ReopenOfAFifoIsRefusedWithoutWaiting) {
    FileFormFixture f;
    ShowOnScreen(f.open());
    const auto p = SaveFiles(f, "ab");
    ASSERT_TRUE(QFile::remove(QString::fromStdString(p[0])));
    ASSERT_EQ(mkfifo(p[0].c_str(), 0644), 0);
    f.window->commands().recentFiles[1]->trigger();
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].text, "Cannot open file \"" + p[0] + "\". Not a regular file");
    EXPECT_EQ(Submenu(*f.window), (std::vector<std::string>{p[1], "-", "-", "-", "-"}));
}
#endif

TEST(ReopenMenu, ReopenOfADamagedFileKeepsItsEntry) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const auto p = SaveFiles(f, "ab");
    std::vector<std::uint8_t> checksum = StudioFile();
    checksum[matrixfile::kChecksum + 3] = 0x80;
    WriteBytes(p[1], checksum);
    std::vector<std::uint8_t> shortFile = StudioFile();
    shortFile.resize(100);
    WriteBytes(p[0], shortFile);

    window.openRecentFile(0);
    window.openRecentFile(1);
    ASSERT_EQ(f.notifier.messages.size(), 2u);
    EXPECT_EQ(f.notifier.messages[0].title, "File Reopen");
    EXPECT_EQ(f.notifier.messages[0].text, " Error in file checksum? ");
    EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(f.notifier.messages[1].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[1].text, "Stream read error\n\n Error reading the file: " + p[0] + " ");
    EXPECT_EQ(Submenu(window), (std::vector<std::string>{p[1], p[0], "-", "-", "-"}));
}

TEST(ReopenMenu, MenuTextShowsAnAmpersandAndReopenStillFindsTheFile) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const std::string path = f.path("Q&A.cvm");
    WriteBytes(path, StudioFile());
    window.controller().openFile(path);
    EXPECT_EQ(window.commands().recentFiles[0]->text(), QString::fromStdString(f.path("Q&&A.cvm")));
    window.newFile();
    window.openRecentFile(0);
    EXPECT_EQ(window.controller().currentFile(), path);
    EXPECT_EQ(window.controller().names().lineName(0, 0), "Studio A");
}

// The list read at start-up may have gaps; an added path then leaves a stale entry showing, and
// that entry still loads its own path.
TEST(ReopenMenu, ListWithAGapFromTheSettingsFile) {
    FileFormFixture f;
    const std::string p = f.path("p.cvm");
    WriteBytes(p, StudioFile());
    const QString folder = f.dataDir.filePath(QStringLiteral("QUENDA"));
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile settings(folder + QStringLiteral("/matrix.xml"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(
        QByteArray("<?xml version='1.0' encoding='us-ascii' ?>\n<!-- Quenda XMLStore Data File -->\n"
                   "<FORMS>\n  <Reopen>\n    <Reopen01 value=\"\"/>\n    <Reopen02 value=\"\"/>\n"
                   "    <Reopen03 value=\"") +
        QByteArray::fromStdString(p) +
        QByteArray("\"/>\n    <Reopen04 value=\"\"/>\n    <Reopen05 value=\"\"/>\n  </Reopen>\n</FORMS>\n"));
    settings.close();

    MainWindow& started = f.FormFixture::open();
    if (!started.commands().recentFiles[0]) GTEST_SKIP() << "this build has no Reopen submenu at start-up";
    f.answerDialogs(started);
    EXPECT_EQ(started.controller().session().recentFiles().entries(),
              (RecentFiles::Entries{"", "", p, "", ""}));
    EXPECT_EQ(Submenu(started), (std::vector<std::string>{"-", "-", p, "-", "-"}));

    const std::string q = f.path("q.cvm");
    started.controller().saveFile(q);
    EXPECT_EQ(started.controller().session().recentFiles().entries(),
              (RecentFiles::Entries{q, "", "", p, ""}));
    EXPECT_EQ(Submenu(started), (std::vector<std::string>{q, "-", p, p, "-"}));

    started.openRecentFile(2);
    EXPECT_EQ(started.controller().currentFile(), p);
    EXPECT_EQ(started.controller().names().lineName(0, 0), "Studio A");
}
