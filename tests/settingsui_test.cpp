#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstring>
#include <stdexcept>

#include "app/messageboxnotifier.h"
#include "diskfaults.h"
#include "fileformfixture.h"

using namespace corvane;

namespace {

QString settingsPath(const FormFixture& f) {
    return f.dataDir.path() + QStringLiteral("/QUENDA/matrix.xml");
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The message of what escapes the window's construction; empty when nothing does.
std::string constructionError(FormFixture& f) {
    try {
        f.open();
    } catch (const std::exception& e) {
        return e.what();
    }
    return {};
}

// The file a first run leaves at a normal exit: 122 lines, each ended by CR LF.
void expectFirstRunFile(const QByteArray& content) {
    const QList<QByteArray> lines = content.split('\n');
    ASSERT_EQ(lines.size(), 123);  // 122 lines, each ended by CR LF
    EXPECT_TRUE(lines.last().isEmpty());
    for (int i = 0; i < 122; ++i) EXPECT_TRUE(lines[i].endsWith('\r')) << i;
    const auto line = [&lines](int number) { return lines[number - 1].chopped(1); };
    EXPECT_EQ(line(3), "<FORMS>");
    EXPECT_EQ(line(4), "  <Reopen>");
    EXPECT_EQ(line(5), "    <Reopen01 value=\"\"/>");
    EXPECT_EQ(line(11), "  <LineNames01>");
    EXPECT_EQ(line(12), "    <Line01 value=\"Line 01\"/>");
    EXPECT_EQ(line(27), "    <Line16 value=\"Line 16\"/>");
    EXPECT_EQ(line(34), "    <Channel05 value=\"Disconnected\"/>");
    EXPECT_EQ(line(36), "  <LineNames02>");
    EXPECT_EQ(line(111), "  <MatrixNumber>");
    EXPECT_EQ(line(112), "    <Lines value=\"0\"/>");
    EXPECT_EQ(line(113), "    <Number value=\"0\"/>");
    EXPECT_EQ(line(115), "  <TCorvane_Form>");
    EXPECT_EQ(line(116), "    <Flags value=\"0\"/>");
    EXPECT_EQ(line(117), "    <ShowCmd value=\"1\"/>");
    EXPECT_TRUE(line(118).startsWith("    <NormalPos value=\"")) << line(118).toStdString();
    EXPECT_TRUE(line(119).startsWith("    <PixelsPerInch value=\"")) << line(119).toStdString();
    EXPECT_EQ(line(120), "    <Color value=\"-16777201\"/>");
    EXPECT_EQ(line(122), "</FORMS>");
    EXPECT_FALSE(content.contains("Line17"));
}

}  // namespace

// Also on a fresh account, where the common folder itself does not exist yet.
TEST(SettingsWindow, FirstRunAndExitWriteTheWholeFile) {
    for (const char* common : {"", "/home/op/.local/share"}) {
        SCOPED_TRACE(common);
        FormFixture f;
        WindowOptions options = f.options();
        options.commonDataFolder += common;
        f.window = std::make_unique<MainWindow>(*f.bus, f.notifier, options);
        const QString file =
            QString::fromStdString(options.commonDataFolder) + QStringLiteral("/QUENDA/matrix.xml");
        EXPECT_FALSE(QFile::exists(file));  // nothing is written before the exit
        f.window.reset();
        EXPECT_TRUE(f.notifier.messages.empty());
        expectFirstRunFile(readAll(file));
    }
}

TEST(SettingsWindow, ExitOnAFullDiskSaysSoAndKeepsThePreviousFile) {
    FormFixture f;
    f.open();
    f.window.reset();
    const QByteArray previous = readAll(settingsPath(f));
    ASSERT_FALSE(previous.isEmpty());

    MainWindow& window = f.open();
    EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(0, 0, "Changed"); });
    {
        const FileSizeLimit fullDisk(1000);
        f.window.reset();
    }
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    EXPECT_EQ(f.notifier.messages[0].title, "CORVANE");
    EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::Error);
    EXPECT_EQ(f.notifier.messages[0].text,
              "Cannot write file \"" + settingsPath(f).toStdString() + "\". File too large");
    EXPECT_EQ(readAll(settingsPath(f)), previous);
    EXPECT_EQ(QDir(f.dataDir.path() + QStringLiteral("/QUENDA")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("matrix.xml")});
}

TEST(SettingsWindow, NamesArrangementUnitAndPlacementSurviveARestart) {
    FormFixture f;
    {
        MainWindow& window = f.open();
        // Unit 0 and unit 2 lead their groups in 2x2, so the arrangement keeps their names.
        EditNames(window.controller(), [&](corvane::NameTable& n) { n.setLineName(0, 4, "Studio A"); });
        EditNames(window.controller(), [&](corvane::NameTable& n) { n.setChannelName(2, 1, "Talkback"); });
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.MatrixLayout = 7; });
        EditState(window.controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 2; });
        window.setGeometry(130, 90, 785, 570);
        f.window.reset();
    }
    MainWindow& window = f.open();
    EXPECT_EQ(window.controller().names().lineName(0, 4), "Studio A");
    EXPECT_EQ(window.controller().names().channelName(2, 1), "Talkback");
    EXPECT_EQ(window.controller().names().lineName(3, 15), "Line 16");
    EXPECT_EQ(window.controller().names().lineName(0, 16), "Line");  // the no-line column is never saved
    EXPECT_EQ(window.controller().state().MatrixLayout, 7);
    EXPECT_EQ(window.controller().state().SelectedUnit, 2);
    EXPECT_EQ(window.geometry(), QRect(130, 90, 785, 570));
    EXPECT_FALSE(window.isMaximized());
    EXPECT_TRUE(f.notifier.messages.empty());
}

TEST(SettingsWindow, AMaximisedWindowComesBackMaximisedOverItsNormalPlace) {
    FormFixture f;
    {
        MainWindow& window = f.open();
        window.setGeometry(40, 50, 785, 570);
        window.setWindowState(Qt::WindowMaximized);
        f.window.reset();
    }
    EXPECT_TRUE(readAll(settingsPath(f)).contains("<ShowCmd value=\"3\"/>"));
    EXPECT_TRUE(readAll(settingsPath(f)).contains("<NormalPos value=\"40,50,825,620\"/>"));
    MainWindow& window = f.open();
    EXPECT_TRUE(window.isMaximized());
    EXPECT_EQ(window.normalGeometry(), QRect(40, 50, 785, 570));
}

TEST(SettingsWindow, PlacementIsRestoredOnlyUnderTheSameScreenSetting) {
    const int dpi = QWidget().logicalDpiY();
    for (const int savedDpi : {dpi, dpi + 24}) {
        SCOPED_TRACE(savedDpi);
        FormFixture f;
        writeAll(settingsPath(f),
                 "<FORMS>\r\n  <TCorvane_Form>\r\n    <ShowCmd value=\"3\"/>\r\n"
                 "    <NormalPos value=\"10,20,800,600\"/>\r\n    <PixelsPerInch value=\"" +
                     QByteArray::number(savedDpi) + "\"/>\r\n  </TCorvane_Form>\r\n</FORMS>\r\n");
        MainWindow& window = f.open();
        const bool same = savedDpi == dpi;
        EXPECT_EQ(window.isMaximized(), same);
        EXPECT_EQ(window.normalGeometry() == QRect(10, 20, 790, 580), same);
    }
}

// A placement saved on another screen set-up, or damaged, would give a window larger than any
// screen, which takes gigabytes to paint: it is brought onto the screen at its available size.
TEST(SettingsWindow, AnAbsurdPlacementComesBackOnTheScreen) {
    FormFixture f;
    writeAll(settingsPath(f),
             "<FORMS>\r\n  <TCorvane_Form>\r\n    <ShowCmd value=\"1\"/>\r\n"
             "    <NormalPos value=\"0,0,100000,100000\"/>\r\n    <PixelsPerInch value=\"" +
                 QByteArray::number(QWidget().logicalDpiY()) + "\"/>\r\n  </TCorvane_Form>\r\n</FORMS>\r\n");
    MainWindow& window = f.open();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_TRUE(screen.contains(window.geometry()))
        << window.geometry().width() << "x" << window.geometry().height();
    ShowOnScreen(window);
    EXPECT_EQ(window.geometry().size(), screen.size());
}

// A settings file the program cannot use ends the start-up with the store's message; the file
// must be left exactly as it was, and the unit closed again.
TEST(SettingsWindow, UnusableFileEndsTheStartUpAndStaysUntouched) {
    struct Case {
        const char* name;
        QByteArray content;
        std::string message;
    };
    const QByteArray head = "<?xml version='1.0' encoding='us-ascii' ?>\r\n<FORMS>\r\n";
    const Case cases[] = {
        {"layout not a number",
         head + "  <MatrixNumber>\r\n    <Lines value=\"abc\"/>\r\n  </MatrixNumber>\r\n</FORMS>\r\n",
         "'abc' is not a valid integer value"},
        {"empty unit number",
         head + "  <MatrixNumber>\r\n    <Lines value=\"1\"/>\r\n    <Number value=\"\"/>\r\n  "
                "</MatrixNumber>\r\n"
                "</FORMS>\r\n",
         "'' is not a valid integer value"},
        {"section not ended", head + "  <Reopen>\r\n    <Reopen01 value=\"x\"/>\r\n</FORMS>\n",
         "Invalid XMLStore File Format"},
        {"extra end line", head + "  </Reopen>\r\n</FORMS>", "Invalid XMLStore File Format"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FormFixture f;
        writeAll(settingsPath(f), c.content);
        EXPECT_EQ(constructionError(f), c.message);
        EXPECT_EQ(readAll(settingsPath(f)), c.content);
        EXPECT_EQ(f.bus->openHandles(), 0);
    }
}

TEST(SettingsWindow, AnEmptyFileGivesTheGenericNamesAndGetsItsKeysAtExit) {
    FormFixture f;
    writeAll(settingsPath(f), "<FORMS>\r\n</FORMS>\r\n");
    MainWindow& window = f.open();
    EXPECT_EQ(window.controller().names().lineName(1, 3), "Line");
    EXPECT_EQ(window.controller().names().channelName(3, 4), "Channel");
    f.window.reset();
    EXPECT_TRUE(readAll(settingsPath(f)).contains("<Line04 value=\"Line\"/>"));
}

TEST(SettingsWindow, ExitThatCannotWriteTheFileSaysSoAndEnds) {
    FormFixture f;
    f.open();
    // The folder disappears while the program runs: the file cannot be created at exit.
    ASSERT_TRUE(QDir(f.dataDir.path() + QStringLiteral("/QUENDA")).removeRecursively());
    f.window.reset();
    ASSERT_EQ(f.notifier.messages.size(), 1u);
    const RecordingNotifier::Message& m = f.notifier.messages[0];
    EXPECT_EQ(m.title, "CORVANE");
    EXPECT_EQ(m.icon, MessageIcon::Error);
    const std::string expected = "Cannot create file \"" + settingsPath(f).toStdString() + "\". ";
    EXPECT_EQ(m.text.substr(0, expected.size()), expected);
    EXPECT_FALSE(QFile::exists(settingsPath(f)));
    EXPECT_EQ(f.bus->openHandles(), 0);
}

// Paths are bytes in the local 8-bit encoding, and every box that names a file shows them decoded
// so: from the file commands and from the settings at exit.
TEST(Messages, PathsShowAsTheFileSystemSpellsThem) {
    FileFormFixture f;
    MessageBoxNotifier boxes;
    WindowOptions options = f.options();
    options.commonDataFolder += "/M\xC3\xBCll";  // "Müll"
    f.window = std::make_unique<MainWindow>(*f.bus, boxes, options);
    f.answerDialogs(*f.window);
    MainWindow& window = ShowOnScreen(*f.window);
    QStringList shown;
    const auto readNextBox = [&shown] {
        QTimer::singleShot(0, [&shown] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            shown << box->text();
            box->accept();
        });
    };
    const QString folder = f.files.path() + QStringLiteral("/B") + QChar(0xFC) + QStringLiteral("ro");
    const std::string missing = QFile::encodeName(folder).toStdString() + "/desk.cvm";

    f.answers.push_back(missing);
    readNextBox();
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    f.answers.push_back(missing);
    readNextBox();
    window.commands().saveAs->trigger();
    ASSERT_TRUE(QDir(QString::fromStdString(options.commonDataFolder)).removeRecursively());
    readNextBox();
    f.window.reset();

    const QString noSuchFile = QStringLiteral("\". No such file or directory");
    const QStringList expected = {
        QStringLiteral("Cannot open file \"") + folder + QStringLiteral("/desk.cvm") + noSuchFile,
        QStringLiteral("Cannot create file \"") + folder + QStringLiteral("/desk.cvm") + noSuchFile,
        QStringLiteral("Cannot create file \"") + f.dataDir.path() + QStringLiteral("/M") + QChar(0xFC) +
            QStringLiteral("ll/QUENDA/matrix.xml") + noSuchFile};
    EXPECT_EQ(shown.join(QLatin1Char('\n')).toStdString(), expected.join(QLatin1Char('\n')).toStdString());
}
