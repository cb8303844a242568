#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

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
    MainWindow& form = f.open();
    EXPECT_EQ(form.startResult(), corvane::StartResult::Connected);
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("CORVANE"));
    EXPECT_EQ(form.controller().state().LineRoute[2][0][7], 3);
    EXPECT_EQ(form.controller().state().SlaveCount, 3);
    EXPECT_TRUE(form.controller().polling());
    EXPECT_TRUE(form.controller().blinking());  // the master is unsaved

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
        MainWindow form(bus, notifier, f.options());
        EXPECT_EQ(form.startResult(), corvane::StartResult::Failed);
        ASSERT_EQ(notifier.messages.size(), 1u);
        EXPECT_EQ(notifier.messages[0].title, "CORVANE");
        EXPECT_EQ(notifier.messages[0].text,
                  "Could not find USB device \"CORVANE Intercom Matrix\" with vid=0x16c0 pid=0x5dc\n");
        EXPECT_EQ(notifier.messages[0].icon, MessageIcon::Error);
        MatrixState zero{};
        EXPECT_EQ(0,
                  std::memcmp(&zero.LineRoute, &form.controller().state().LineRoute, sizeof zero.LineRoute));
        // A tick before the quit is taken must not touch the missing handle.
        form.controller().pollDevice();
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
        MainWindow& form = f.open();
        EXPECT_EQ(form.startResult(), corvane::StartResult::Connected);
        EXPECT_EQ(form.controller().state().SlaveCount, 0);  // byte 227 never arrived
        EXPECT_EQ(form.controller().state().LineRoute[3][5][15], 0);
    }
    {
        FormFixture f;
        f.unit->addFault({0xC0, 1, FaultKind::Timeout, 0, 1});
        MainWindow& form = f.open();
        EXPECT_EQ(form.startResult(), corvane::StartResult::Failed);
        ASSERT_EQ(f.notifier.messages.size(), 1u);
        EXPECT_EQ(f.notifier.messages[0].text,
                  "USB error: error sending control message: Connection timed out\nonly -110 bytes status "
                  "received\n");
        EXPECT_EQ(f.notifier.messages[0].icon, MessageIcon::Error);
        // The unit is open but its configuration was never read: a tick before the quit is
        // taken must not poll it, or its events would act on a model of zeros.
        f.takeRequests();
        f.firmware().pressClear(0);
        form.controller().pollDevice();
        EXPECT_TRUE(f.takeRequests().empty());
        EXPECT_TRUE(QuitRequested());
    }
}

TEST(Startup, LosingTheUnitEndsTheProgramAndShutdownClosesIt) {
    FormFixture f;
    f.open();
    f.form->controller().pollDevice();
    EXPECT_TRUE(f.form->controller().polling());
    f.unit->unplug();
    f.form->controller().pollDevice();
    EXPECT_FALSE(f.form->controller().polling());
    EXPECT_TRUE(f.notifier.messages.empty());
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(f.bus->openHandles(), 1);
    f.takeRequests();
    f.form.reset();
    EXPECT_EQ(f.bus->openHandles(), 0);
    EXPECT_TRUE(f.takeRequests().empty());  // nothing is sent at shutdown
}

// A start that could not read the unit knows no slaves and shows 1x1 with unit 1; the arrangement
// and unit the operator chose stay saved for the next start with the unit.
TEST(Startup, FailedStartKeepsTheSavedArrangementAndUnit) {
    const auto withoutUnit = [](FormFixture& f) {
        VirtualBus empty;
        MainWindow form(empty, f.notifier, f.options());
        EXPECT_EQ(form.startResult(), corvane::StartResult::Failed);
        EXPECT_EQ(form.controller().state().MatrixLayout, 0);
    };
    const auto imageUnreadable = [](FormFixture& f) {
        f.unit->addFault({0xC0, 1, FaultKind::Fail, 0, 1});
        EXPECT_TRUE(f.open().startResult() == StartResult::Failed);
        f.form->close();  // File > Exit
        f.form.reset();
    };
    for (const auto& failedStart : {std::function<void(FormFixture&)>(withoutUnit), {imageUnreadable}}) {
        FormFixture f;
        MainWindow& first = ShowOnScreen(f.open());
        first.commands().arrangements[7]->trigger();  // 2x2
        QTest::mouseClick(first.unitPanel(2), Qt::LeftButton);
        ASSERT_EQ(first.controller().state().SelectedUnit, 2);
        first.close();
        f.form.reset();

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

// A normal end leaves the process without taking the window apart: whatever the program keeps
// must be written by then. The demo chooses 2x2 and ends when its unit leaves the bus.
TEST(Startup, TheProgramWritesItsSettingsBeforeItEnds) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR"})
        env.insert(QString::fromLatin1(name), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.start(QStringLiteral(CORVANE_DEMO),
               {QStringLiteral("--no-panel"), QStringLiteral("--layout"), QStringLiteral("7"),
                QStringLiteral("--unplug-after"), QStringLiteral("100")});
    ASSERT_TRUE(demo.waitForFinished(60000));
    EXPECT_EQ(demo.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(demo.exitCode(), 0);
    QFile settings(home.filePath(QStringLiteral("QUENDA/matrix.xml")));
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    const QByteArray text = settings.readAll();
    EXPECT_TRUE(text.contains("<Lines value=\"7\"/>")) << text.constData();
    EXPECT_TRUE(text.contains("<NormalPos value=")) << text.constData();
}
