#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

#include <csignal>
#include <cstring>
#include <functional>

#include "device/requests.h"
#include "formfixture.h"
#include "view/unitpanel.h"

using namespace corvane;

TEST(Startup, ReadsTheImageOnceAndShowsNoMessage) {
    FormFixture f;
    f.firmware().state().LineRoute[2][0][7] = 3;
    f.firmware().state().UnsavedFlags[0] = 1;
    MainWindow& window = f.open();
    EXPECT_EQ(window.startResult(), corvane::StartResult::Connected);
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE"));
    EXPECT_EQ(window.controller().state().LineRoute[2][0][7], 3);
    EXPECT_EQ(window.controller().state().SlaveCount, 3);
    EXPECT_TRUE(window.controller().polling());
    EXPECT_TRUE(window.controller().blinking());  // the master is unsaved

    const auto requests = f.takeRequests();
    ASSERT_EQ(requests.size(), 3u);  // two strings, one image
    EXPECT_EQ(TraceLine(requests[2]), "c0 01 0000 0000 256");
}

TEST(Startup, NoUnitShowsTheErrorAndQuits) {
    RecordingNotifier notifier;
    VirtualBus bus;
    bus.addDevice(0, UsbIdentity{0x16C0, 0x05DD, u"quenda.example", u"CORVANE Intercom Matrix"});
    FormFixture f;  // for its options
    {
        MainWindow window(bus, notifier, f.options());
        EXPECT_EQ(window.startResult(), corvane::StartResult::Failed);
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].title, "CORVANE");
        EXPECT_EQ(notifier.messages[0].text,
                  "Could not find USB device \"CORVANE Intercom Matrix\" with vid=0x16c0 pid=0x5dc\n");
        EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Error);
        MatrixState zero{};
        EXPECT_EQ(
            0, std::memcmp(&zero.LineRoute, &window.controller().state().LineRoute, sizeof zero.LineRoute));
        // A tick before the quit is taken must not touch the missing handle.
        window.controller().pollDevice();
        EXPECT_TRUE(QuitRequested());
    }
    EXPECT_EQ(bus.openHandles(), 0);
}

TEST(Startup, ShortFirstImageDecodesWithZerosAndFailedReadEndsStartup) {
    {
        FormFixture f;
        f.firmware().state().SlaveCount = 2;
        f.firmware().state().LineRoute[3][5][15] = 2;
        f.unit->addFault({0xC0, 1, FaultKind::Short, 100, 1});
        MainWindow& window = f.open();
        EXPECT_EQ(window.startResult(), corvane::StartResult::Connected);
        EXPECT_EQ(window.controller().state().SlaveCount, 0);  // byte 227 never arrived
        EXPECT_EQ(window.controller().state().LineRoute[3][5][15], 0);
    }
    {
        FormFixture f;
        f.unit->addFault({0xC0, 1, FaultKind::Timeout, 0, 1});
        MainWindow& window = f.open();
        EXPECT_EQ(window.startResult(), corvane::StartResult::Failed);
        ASSERT_EQ(f.notifier.messages.size(), 1u);
        EXPECT_EQ(f.notifier.messages[0].text,
                  "USB error: error sending control message: Connection timed out\nonly -110 bytes status "
                  "received\n");
        EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::Error);
        // The unit is open but its configuration was never read: a tick before the quit is
        // taken must not poll it, or its events would act on a model of zeros.
        f.takeRequests();
        f.firmware().pressClear(0);
        window.controller().pollDevice();
        EXPECT_TRUE(f.takeRequests().empty());
        EXPECT_TRUE(QuitRequested());
    }
}

TEST(Startup, LosingTheUnitEndsTheProgramAndShutdownClosesIt) {
    FormFixture f;
    f.open();
    f.window->controller().pollDevice();
    EXPECT_TRUE(f.window->controller().polling());
    f.unit->unplug();
    f.window->controller().pollDevice();
    EXPECT_FALSE(f.window->controller().polling());
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(f.bus->openHandles(), 1);
    f.takeRequests();
    f.window.reset();
    EXPECT_EQ(f.bus->openHandles(), 0);
    EXPECT_TRUE(f.takeRequests().empty());  // nothing is sent at shutdown
}

// A start that could not read the unit knows no slaves and shows 1x1 with unit 1; the arrangement
// and unit the operator chose stay saved for the next start with the unit.
TEST(Startup, FailedStartKeepsTheSavedArrangementAndUnit) {
    const auto withoutUnit = [](FormFixture& f) {
        VirtualBus empty;
        MainWindow window(empty, f.notifier, f.options());
        EXPECT_EQ(window.startResult(), corvane::StartResult::Failed);
        EXPECT_EQ(window.controller().state().MatrixLayout, 0);
    };
    const auto imageUnreadable = [](FormFixture& f) {
        f.unit->addFault({0xC0, 1, FaultKind::Fail, 0, 1});
        EXPECT_TRUE(f.open().startResult() == StartResult::Failed);
        f.window->close();  // File > Exit
        f.window.reset();
    };
    for (const auto& failedStart : {std::function<void(FormFixture&)>(withoutUnit), {imageUnreadable}}) {
        FormFixture f;
        MainWindow& first = ShowOnScreen(f.open());
        first.commands().arrangements[7]->trigger();  // 2x2
        QTest::mouseClick(first.unitPanel(2), Qt::LeftButton);
        ASSERT_EQ(first.controller().state().SelectedUnit, 2);
        first.close();
        f.window.reset();

        failedStart(f);
        ASSERT_FALSE(f.notifier.messages.empty());

        MainWindow& again = f.open();
        EXPECT_FALSE(again.startResult() == StartResult::Failed);
        EXPECT_EQ(again.controller().state().MatrixLayout, 7);
        EXPECT_TRUE(again.commands().arrangements[7]->isChecked());
        EXPECT_EQ(again.controller().state().SelectedUnit, 2);
        EXPECT_EQ(again.statusPanel(1)->text(), QStringLiteral("Unit: 3"));
    }
}

namespace {

// The demo as a whole process on the offscreen platform, with a home and data folder of its own.
class DemoProcess {
  public:
    explicit DemoProcess(const QString& dataHome = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
            env.insert(QString::fromLatin1(name), m_home.path());
        if (!dataHome.isEmpty()) env.insert(QStringLiteral("XDG_DATA_HOME"), dataHome);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
    }
    QString path(const char* name) const { return m_home.filePath(QString::fromLatin1(name)); }
    QByteArray read(const char* name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void start(const QStringList& arguments) { process.start(QStringLiteral(CORVANE_DEMO), arguments); }
    // Waits, by the file rather than by the clock, until it holds `count` lines with `text`;
    // false when the demo ended first or a minute passed.
    bool waitFor(const char* name, const QByteArray& text, int count) {
        QDeadlineTimer deadline(60000);
        while (!deadline.hasExpired()) {
            if (read(name).count(text) >= count) return true;
            if (process.waitForFinished(20)) return false;
        }
        return false;
    }

    QProcess process;

  private:
    QTemporaryDir m_home;
};

constexpr char kImageRead[] = "c0 01 0000 0000 256\n";

}  // namespace

// A normal end leaves the process without taking the window apart: whatever the program keeps
// must be written by then. The demo chooses 2x2 and ends when its unit leaves the bus, or when
// the desktop ends it with a signal (logging out, closing its terminal, Ctrl+C) as File > Exit
// does: the unit closed after its last request, the whole session's settings written.
TEST(Startup, TheProgramWritesItsSettingsBeforeItEnds) {
    struct Case {
        const char* name;
        std::vector<int> signals;  // none: the unit leaves the bus
    };
    // A second signal changes nothing; a third ends the process at once. The program is stopped
    // while they are sent, so that all of them wait for it.
    for (const Case& c : {Case{"unplugged", {}},
                          {"SIGTERM", {SIGTERM}},
                          {"SIGHUP", {SIGHUP}},
                          {"SIGINT", {SIGINT}},
                          {"SIGTERM, SIGHUP", {SIGTERM, SIGHUP}},
                          {"SIGTERM, SIGHUP, SIGINT", {SIGTERM, SIGHUP, SIGINT}}}) {
        SCOPED_TRACE(c.name);
        DemoProcess demo;
        {
            // A wholesale change on the unit's panel makes the program read the image again.
            QFile script(demo.path("panel.txt"));
            ASSERT_TRUE(script.open(QIODevice::WriteOnly));
            script.write("@20 image\n");
        }
        QStringList arguments = {QStringLiteral("--no-panel"), QStringLiteral("--layout"),
                                 QStringLiteral("7"),          QStringLiteral("--trace"),
                                 demo.path("trace"),           QStringLiteral("--script"),
                                 demo.path("panel.txt")};
        if (c.signals.empty()) arguments << QStringLiteral("--unplug-after") << QStringLiteral("100");
        demo.start(arguments);
        if (!c.signals.empty()) {
            ASSERT_TRUE(demo.waitFor("trace", kImageRead, 2))
                << demo.process.readAllStandardError().constData();
            const auto pid = static_cast<pid_t>(demo.process.processId());
            ASSERT_EQ(kill(pid, SIGSTOP), 0);
            for (int signal : c.signals) ASSERT_EQ(kill(pid, signal), 0);
            ASSERT_EQ(kill(pid, SIGCONT), 0);
        }
        ASSERT_TRUE(demo.process.waitForFinished(60000));
        if (c.signals.size() == 3) {
            // Ended by the signal itself; the settings file is the old one or the new one, whole.
            EXPECT_EQ(demo.process.exitStatus(), QProcess::CrashExit);
            const QByteArray text = demo.read("QUENDA/matrix.xml");
            EXPECT_TRUE(text.isEmpty() || text.count("\r\n") == 122) << text.constData();
            continue;
        }
        EXPECT_EQ(demo.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(demo.process.exitCode(), 0);
        const QByteArray text = demo.read("QUENDA/matrix.xml");
        EXPECT_EQ(text.count("\r\n"), 122) << text.constData();
        EXPECT_TRUE(text.contains("<Lines value=\"7\"/>")) << text.constData();
        EXPECT_TRUE(text.contains("<NormalPos value=")) << text.constData();
        if (!c.signals.empty()) {
            EXPECT_TRUE(demo.read("trace").endsWith(kImageRead));
        }
    }
}

// When the session ends nobody may be there to answer the box of a settings file that cannot be
// written: the message goes to standard error and the program still ends.
TEST(Startup, ASignalReportsAnUnwritableSettingsFileWithoutABox) {
    QTemporaryDir other;
    ASSERT_TRUE(other.isValid());
    // The data folder is a plain file, so the settings folder cannot be made.
    const QString notAFolder = other.filePath(QStringLiteral("file"));
    QFile file(notAFolder);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    DemoProcess demo(notAFolder);
    demo.start({QStringLiteral("--no-panel"), QStringLiteral("--trace"), demo.path("trace")});
    ASSERT_TRUE(demo.waitFor("trace", kImageRead, 1));
    ASSERT_EQ(kill(static_cast<pid_t>(demo.process.processId()), SIGTERM), 0);
    ASSERT_TRUE(demo.process.waitForFinished(60000));
    EXPECT_EQ(demo.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(demo.process.exitCode(), 0);
    EXPECT_TRUE(demo.process.readAllStandardError().contains("CORVANE: Cannot create file"));
}

// The session manager asks for the settings before it ends the session, which it may cancel:
// they are written at once, and the run goes on and writes them again at its end.
TEST(Startup, SavingTheSettingsMidRunKeepsTheRunGoing) {
    FormFixture f;
    MainWindow& window = ShowOnScreen(f.open());
    window.commands().arrangements[7]->trigger();  // 2x2
    window.controller().saveSettings();
    QFile settings(f.dataDir.filePath(QStringLiteral("QUENDA/matrix.xml")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_TRUE(settings.readAll().contains("<Lines value=\"7\"/>"));
    settings.close();

    QTest::mouseClick(window.unitPanel(2), Qt::LeftButton);
    window.close();
    f.window.reset();
    EXPECT_TRUE(f.notifier.messages.empty());
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    EXPECT_EQ(text.count("\r\n"), 122);
    EXPECT_TRUE(text.contains("<Lines value=\"7\"/>"));
    EXPECT_TRUE(text.contains("<Number value=\"2\"/>"));
}
