#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <csignal>
#include <cstring>

#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#endif

#ifdef __linux__
#include "diskfaults.h"
#endif
#include "fileformfixture.h"
#include "statediff.h"
#include "view/led.h"
#include "view/unitpanel.h"

using namespace corvane;

namespace {

std::vector<std::uint8_t> DataBytes(const NameTable& names, const MatrixState& state) {
    const MatrixFileBytes bytes = EncodeMatrixFile(names, state);
    return {bytes.begin(), bytes.begin() + kMatrixDataSize};
}

// Everything a refused load must leave alone.
struct Snapshot {
    explicit Snapshot(MainWindow& window)
        : data(DataBytes(window.controller().names(), window.controller().state())),
          caption(window.windowTitle()),
          file(window.controller().currentFile()),
          recent(window.controller().session().recentFiles().entries()) {}
    bool operator==(const Snapshot&) const = default;

    std::vector<std::uint8_t> data;
    QString caption;
    std::optional<std::string> file;
    RecentFiles::Entries recent;
};

}  // namespace

TEST(FileSave, WithoutCurrentFileAsksForANameSavesAndNamesTheWindow) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const std::string path = f.path("Studio a.cvm");
    f.answers.push_back(path);

    window.save();
    ASSERT_EQ(f.dialogs.size(), 1u);
    EXPECT_TRUE(f.dialogs[0].save);
    EXPECT_EQ(f.dialogs[0].title, "Save a matrix file");
    EXPECT_EQ(f.dialogs[0].filter, "Matrix files (*.cvm)");
    EXPECT_EQ(f.dialogs[0].fileName, "");
    EXPECT_EQ(f.dialogs[0].folder, QDir::currentPath().toStdString());

    const std::vector<std::uint8_t> saved = ReadBytes(path);
    ASSERT_EQ(saved.size(), 2256u);
    EXPECT_EQ(std::vector<std::uint8_t>(saved.end() - 4, saved.end()), std::vector<std::uint8_t>(4, 0));
    EXPECT_EQ(std::vector<std::uint8_t>(saved.begin(), saved.end() - 4),
              DataBytes(window.controller().names(), window.controller().state()));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE - STUDIO A.CVM"));
    EXPECT_EQ(window.controller().currentFile(), path);
    EXPECT_EQ(window.controller().session().recentFiles().entries()[0], path);
    EXPECT_TRUE(f.notifier.messages.empty());

    // Save As again carries its own title and offers the current file.
    window.saveAs();
    ASSERT_EQ(f.dialogs.size(), 2u);
    EXPECT_EQ(f.dialogs[1].title, "Save a matrix file with a new name");
    EXPECT_EQ(f.dialogs[1].fileName, path);
}

TEST(FileSave, CancelledDialogSavesNothingAndSaveWithAFileAsksNothing) {
    FileFormFixture f;
    MainWindow& window = f.open();
    window.save();  // no answer: cancelled
    EXPECT_EQ(window.controller().currentFile(), std::nullopt);
    EXPECT_TRUE(QDir(f.files.path()).isEmpty());
    EXPECT_TRUE(window.controller().session().recentFiles().entries()[0].empty());

    const std::string path = f.path("desk.cvm");
    window.controller().saveFile(path);
    EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(1, 2, "Camera 3"); });
    f.dialogs.clear();
    window.save();
    EXPECT_TRUE(f.dialogs.empty());
    const std::vector<std::uint8_t> saved = ReadBytes(path);
    ASSERT_EQ(saved.size(), 2256u);
    EXPECT_EQ(0, std::memcmp(saved.data() + matrixfile::lineName(1, 2), "Camera 3", 9));
}

TEST(FileSave, FolderThatDoesNotExistShowsTheCreateErrorAndKeepsTheNewName) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const Snapshot before(window);
    const std::string path = f.path("missing/desk.cvm");
    window.controller().saveFile(path);

    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(f.notifier.messages[0].text.rfind("Cannot create file \"" + path + "\". ", 0), 0u)
        << f.notifier.messages[0].text;
    EXPECT_EQ(window.controller().currentFile(), path);
    EXPECT_EQ(window.windowTitle(), before.caption);
    EXPECT_EQ(window.controller().session().recentFiles().entries(), before.recent);
}

#ifdef RLIMIT_FSIZE
TEST(FileSave, WriteThatFailsKeepsThePreviousFileWhole) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const std::string path = f.path("desk.cvm");
    const std::vector<std::uint8_t> previous = StudioFile();
    WriteBytes(path, previous);
    window.controller().openFile(path);
    const std::string other = f.path("other.cvm");
    window.controller().saveFile(other);
    EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(0, 0, "Changed"); });
    const Snapshot before(window);

    // The disk takes fewer bytes than a matrix file has.
    rlimit limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = 1000;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    window.controller().saveFile(path);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::None);
    EXPECT_EQ(f.notifier.messages[0].text, "Stream write error\n\n Error writing the file: " + path + " ");
    EXPECT_EQ(ReadBytes(path), previous);
    EXPECT_EQ(QDir(f.files.path()).entryList(QDir::Files).size(), 2);  // no partial copy left behind
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE - OTHER.CVM"));
    EXPECT_EQ(window.controller().session().recentFiles().entries(), before.recent);
    EXPECT_EQ(window.controller().currentFile(), path);
}
#endif

#ifdef __linux__
// A shared show folder the operator cannot write, holding a file they can: Save writes the file
// itself, since no copy can be made beside it.
TEST(FileSave, OverAWritableFileInAFolderThatCannotBeWritten) {
    FileFormFixture f;
    MainWindow& window = ShowOnScreen(f.open());
    const std::string path = f.path("show.cvm");
    WriteBytes(path, StudioFile());
    f.answers.push_back(path);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    ASSERT_EQ(window.controller().currentFile(), path);
    EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(0, 0, "Foyer"); });
    {
        const ReadOnlyFolder folder(f.files.path());
        if (!folder.holds()) GTEST_SKIP() << "the folder stays writable here";
        window.commands().save->trigger();
    }
    EXPECT_TRUE(f.notifier.messages.empty());
    const MatrixFileBytes saved = EncodeMatrixFile(window.controller().names(), window.controller().state());
    EXPECT_EQ(ReadBytes(path), std::vector<std::uint8_t>(saved.begin(), saved.end()));
    EXPECT_EQ(QDir(f.files.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

// A FIFO without a writer or a device chosen in Open would hold the window; both are refused at
// once, and nothing changes.
TEST(FileOpen, AnythingButAFileIsRefusedWithoutWaiting) {
    FileFormFixture f;
    MainWindow& window = ShowOnScreen(f.open());
    const std::string fifo = f.path("pipe.cvm");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    const Snapshot before(window);
    f.takeRequests();
    for (const std::string& node : {fifo, std::string("/dev/zero")}) {
        f.notifier.messages.clear();
        f.answers.push_back(node);
        QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
        ASSERT_EQ(f.notifier.messages.size(), 1u);
        EXPECT_EQ(f.notifier.messages[0].text, "Cannot open file \"" + node + "\". Not a regular file");
        EXPECT_EQ(Snapshot(window), before);
        EXPECT_TRUE(f.takeRequests().empty());
    }
}
#endif

TEST(FileOpen, LoadReplacesTheConfigurationKeepsSlaveCountAndSendsItAtOnce) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const std::string path = f.path("studio.cvm");
    const std::vector<std::uint8_t> file = StudioFile();
    WriteBytes(path, file);
    f.answers.push_back(path);
    f.takeRequests();

    window.open();
    ASSERT_EQ(f.dialogs.size(), 1u);
    EXPECT_FALSE(f.dialogs[0].save);
    EXPECT_EQ(f.dialogs[0].title, "Opens a matrix file");
    EXPECT_EQ(f.dialogs[0].filter, "Matrix files (*.cvm)");
    EXPECT_EQ(f.dialogs[0].fileName, "");

    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(window.controller().state().SlaveCount, 3);
    EXPECT_EQ(window.controller().state().SelectedUnit, 1);  // unit 2 lies outside the file's 2x1 arrangement
    EXPECT_EQ(window.controller().state().LineRoute[2][0][5], 1);
    EXPECT_EQ(window.controller().state().ChannelRoute[2][0][1], 5);
    EXPECT_EQ(window.controller().names().lineName(0, 0), "Studio A");
    // The program holds the file's data bytes but for SlaveCount (and whatever the arrangement corrects).
    std::vector<std::uint8_t> expected(file.begin(), file.end() - 4);
    expected[matrixfile::kSlaveCount] = 3;
    std::vector<std::uint8_t> held = DataBytes(window.controller().names(), window.controller().state());
    held[matrixfile::kMatrixLayout] = expected[matrixfile::kMatrixLayout];
    held[matrixfile::kSelectedUnit] = expected[matrixfile::kSelectedUnit];
    EXPECT_EQ(held, expected);

    EXPECT_EQ(f.requestedImage(), ImageOf(window.controller().state()));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE - STUDIO.CVM"));
    EXPECT_EQ(window.controller().currentFile(), path);
    EXPECT_EQ(window.controller().session().recentFiles().entries()[0], path);
    if (QAction* command = window.commands().arrangements[window.controller().state().MatrixLayout]) {
        EXPECT_TRUE(command->isChecked());
    }

    // Open offers the current file next time.
    window.open();
    ASSERT_EQ(f.dialogs.size(), 2u);
    EXPECT_EQ(f.dialogs[1].fileName, path);
}

TEST(FileOpen, SelectedUnitBeyondTheSlavesFallsBackToTheLastUnit) {
    FileFormFixture f(1);
    MainWindow& window = f.open();
    std::vector<std::uint8_t> file = StudioFile();
    file[matrixfile::kSelectedUnit] = 3;
    const std::string path = f.path("big.cvm");
    WriteBytes(path, file);
    window.controller().openFile(path);
    EXPECT_EQ(window.controller().state().SlaveCount, 1);
    EXPECT_EQ(window.controller().state().SelectedUnit, 1);
}

TEST(FileOpen, DamagedFilesAreRefusedAndChangeNothing) {
    struct Case {
        const char* what;
        std::size_t size;
        std::uint8_t checksumByte;
        const char* title;
        MessageIcon icon;
        bool checksumText;
    };
    const Case cases[] = {
        {"checksum 1", 2256, 1, "File Open", MessageIcon::Error, true},
        {"one byte short", 2255, 0, "CORVANE", MessageIcon::None, false},
        {"empty", 0, 0, "CORVANE", MessageIcon::None, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileFormFixture f;
        MainWindow& window = f.open();
        std::vector<std::uint8_t> file = StudioFile();
        file[matrixfile::kChecksum] = c.checksumByte;
        file.resize(c.size);
        const std::string path = f.path("bad.cvm");
        WriteBytes(path, file);
        const Snapshot before(window);
        f.takeRequests();

        window.controller().openFile(path);
        ASSERT_EQ(f.notifier.messages.size(), 1u);
        EXPECT_EQ(f.notifier.messages[0].title, c.title);
        EXPECT_EQ(f.notifier.messages[0].icon, c.icon);
        EXPECT_EQ(f.notifier.messages[0].text,
                  c.checksumText ? std::string(" Error in file checksum? ")
                                 : "Stream read error\n\n Error reading the file: " + path + " ");
        EXPECT_EQ(Snapshot(window), before);
        EXPECT_TRUE(f.takeRequests().empty());
    }
}

TEST(FileOpen, LongerFileLoadsFromItsFirstBytesAndMissingFileShowsTheOpenError) {
    FileFormFixture f;
    MainWindow& window = f.open();
    std::vector<std::uint8_t> file = StudioFile();
    file.resize(3000, 0xAB);
    const std::string path = f.path("long.cvm");
    WriteBytes(path, file);
    window.controller().openFile(path);
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(window.controller().names().lineName(0, 0), "Studio A");
    EXPECT_EQ(window.controller().currentFile(), path);

    const Snapshot before(window);
    const std::string missing = f.path("gone.cvm");
    window.controller().openFile(missing);
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].text.rfind("Cannot open file \"" + missing + "\". ", 0), 0u);
    EXPECT_EQ(Snapshot(window), before);
}

TEST(FileNew, AsksThenClearsEveryUnitAndSendsTheBlankImage) {
    FileFormFixture f;
    f.firmware().state().LineRoute[1][3][2] = 2;
    f.firmware().state().ChannelRoute[3][5][0] = 7;
    f.firmware().state().ReverseMode = 1;
    f.firmware().state().UnsavedFlags[2] = 1;
    MainWindow& window = f.open();
    const std::string path = f.path("studio.cvm");
    WriteBytes(path, StudioFile());
    window.controller().openFile(path);
    EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(2, kNoLineEntry, "Nobody"); });
    EditState(window.controller(), [&](corvane::MatrixState& s) { s.ReverseMode = 1; });
    f.takeRequests();

    f.notifier.answer = false;
    const Snapshot before(window);
    window.newFile();
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "File New");
    EXPECT_EQ(f.notifier.messages[0].text, " Are you sure to clear the memory? ");
    EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::Information);
    EXPECT_EQ(Snapshot(window), before);
    EXPECT_TRUE(f.takeRequests().empty());

    f.notifier.answer = true;
    window.newFile();
    MatrixState blank = window.controller().state();
    for (auto& unit : blank.LineRoute)
        for (auto& slot : unit)
            for (auto& route : slot) route = kDisconnected;
    for (auto& unit : blank.ChannelRoute)
        for (auto& slot : unit)
            for (auto& route : slot) route = kNoLine;
    std::memset(blank.CurrentMemory, 0, sizeof blank.CurrentMemory);
    std::memset(blank.UnsavedFlags, 0, sizeof blank.UnsavedFlags);
    blank.MatrixLayout = 0;
    blank.SelectedUnit = 0;
    blank.ReverseMode = 0;
    blank.SlaveCount = 3;
    EXPECT_TRUE(SameState(blank, window.controller().state()));
    EXPECT_EQ(f.requestedImage(), ImageOf(blank));

    EXPECT_EQ(window.controller().names().lineName(0, 0), "Line 01");
    EXPECT_EQ(window.controller().names().lineName(3, 15), "Line 16");
    EXPECT_EQ(window.controller().names().channelName(2, 3), "Channel 04");
    EXPECT_EQ(window.controller().names().channelName(1, kDisconnectedEntry), "Disconnected");
    EXPECT_EQ(window.controller().names().lineName(2, kNoLineEntry), "Nobody");
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE"));
    EXPECT_EQ(window.controller().currentFile(), std::nullopt);
    EXPECT_EQ(window.controller().session().recentFiles().entries(), before.recent);
}

// A whole new configuration brings its own orientation, arrangement and memory, and every view
// shows them: a grid left in the other orientation would route every click wrongly.
TEST(FileNew, AndOpenShowTheOrientationArrangementAndMemoryTheyBring) {
    FileFormFixture f;
    MainWindow& window = f.open();
    const std::string path = f.path("reverse.cvm");
    window.controller().setReverse(true, Origin::Operator);
    window.controller().setArrangement(7);  // 2x2
    window.controller().selectUnit(3);
    window.controller().pressMemoryKey(2);
    window.controller().saveFile(path);

    f.notifier.answer = true;
    window.newFile();
    EXPECT_FALSE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_FALSE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_FALSE(window.grid().button(4, 0)->isHidden());
    EXPECT_TRUE(window.grid().button(0, 16)->isHidden());
    EXPECT_TRUE(window.commands().arrangements[0]->isChecked());
    EXPECT_TRUE(window.unitPanel(3)->isHidden());
    EXPECT_TRUE(window.recallPanel()->lamp(0)->isLit());
    EXPECT_FALSE(window.recallPanel()->lamp(2)->isLit());
    EXPECT_EQ(window.statusPanel(0)->text(), QStringLiteral("Memory: 1"));
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 1"));

    window.controller().openFile(path);
    EXPECT_TRUE(window.functionsPanel()->key(kReverseTag)->isChecked());
    EXPECT_TRUE(window.functionsPanel()->lamp(3)->isLit());
    EXPECT_TRUE(window.grid().button(4, 0)->isHidden());
    EXPECT_FALSE(window.grid().button(0, 16)->isHidden());
    EXPECT_TRUE(window.commands().arrangements[7]->isChecked());
    EXPECT_FALSE(window.unitPanel(3)->isHidden());
    EXPECT_TRUE(window.recallPanel()->lamp(2)->isLit());
    EXPECT_EQ(window.statusPanel(1)->text(), QStringLiteral("Unit: 4"));
}

// The real dialogs: what they are shown with, and the suffix they add to a bare name.
TEST(FileDialogs, RealSaveDialogAddsTheSuffixAndOpenDialogShowsTheCurrentFile) {
    FileFormFixture f;
    MainWindow& window = f.open();
    window.fileDialogs().setRunner(nullptr);
    QString title, filter, suffix, directory, selected;
    bool native = true;
    bool confirmOverwrite = false;
    auto inspect = [&](const QString& typed) {
        QTimer::singleShot(0, [&, typed] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            title = dialog->windowTitle();
            filter = dialog->nameFilters().join(QLatin1Char(';'));
            suffix = dialog->defaultSuffix();
            directory = dialog->directory().absolutePath();
            native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
            confirmOverwrite = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            ASSERT_NE(name, nullptr);
            selected = name->text();
            if (typed.isEmpty()) {
                dialog->reject();
            } else {
                name->setText(typed);
                static_cast<QDialog*>(dialog)->accept();  // through the dialog's own checks
            }
        });
    };

    inspect(QDir(f.files.path()).filePath(QStringLiteral("desk")));
    window.saveAs();
    EXPECT_EQ(title, QStringLiteral("Save a matrix file with a new name"));
    EXPECT_EQ(filter, QStringLiteral("Matrix files (*.cvm)"));
    EXPECT_EQ(suffix, QStringLiteral("CVM"));
    EXPECT_EQ(directory, QDir::currentPath());
    EXPECT_FALSE(native);
    EXPECT_TRUE(confirmOverwrite);
    EXPECT_EQ(selected, QString());
    const std::string path = f.path("desk.CVM");
    EXPECT_EQ(window.controller().currentFile(), path);
    EXPECT_EQ(ReadBytes(path).size(), 2256u);

    inspect(QString());
    window.open();
    EXPECT_EQ(title, QStringLiteral("Opens a matrix file"));
    EXPECT_EQ(selected, QStringLiteral("desk.CVM"));
    EXPECT_EQ(directory, f.files.path());
    EXPECT_TRUE(f.notifier.messages.empty());
}
