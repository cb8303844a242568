#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QPushButton>
#include <QWindow>

#include "formfixture.h"
#include "view/picturetooltips.h"

using namespace corvane;

namespace {

QString settingsPath(const FormFixture& f) {
    return f.dataDir.path() + QStringLiteral("/QUENDA/matrix.xml");
}

// Qt's warnings while the test runs: a pop-up it could not make says so here.
QStringList g_warnings;
void keepWarnings(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) g_warnings.append(message);
}

}  // namespace

// The window on a Wayland compositor: it starts where the compositor puts it, whatever place the
// settings ask for, routes, shows a hint by the pointer and ends by File > Exit, keeping the
// place it was asked for, since the compositor never says where the window is.
TEST(Wayland, RoutesShowsHintsByThePointerAndExitsWithItsSettings) {
    if (QGuiApplication::platformName() != QStringLiteral("wayland"))
        GTEST_SKIP() << "not on a Wayland compositor (tests/wayland/run-under-weston)";
    FormFixture f;
    const QString path = settingsPath(f);
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "<FORMS>\r\n  <TCorvane_Form>\r\n    <ShowCmd value=\"1\"/>\r\n"
        "    <NormalPos value=\"300,200,1085,770\"/>\r\n    <PixelsPerInch value=\"" +
        QByteArray::number(QWidget().logicalDpiY()) + "\"/>\r\n  </TCorvane_Form>\r\n</FORMS>\r\n");
    file.close();
    qInstallMessageHandler(keepWarnings);

    MainWindow& window = ShowOnScreen(f.open());
    EXPECT_TRUE(f.notifier.messages.empty());

    f.firmware().pressRoute(0, 1, 2);
    while (f.firmware().pendingEvents() > 0) window.controller().pollDevice();
    EXPECT_TRUE(window.grid().button(1, 2)->isConnected());

    // A top-level window cannot place itself on Wayland: the hint must be a pop-up of the window.
    QPushButton* key = window.functionsPanel()->key(kStoreTag);
    const QPoint pointer = key->mapToGlobal(QPoint(10, 10));
    QHelpEvent help(QEvent::ToolTip, QPoint(10, 10), pointer);
    QApplication::sendEvent(key, &help);
    PictureToolTipWindow* hint = window.toolTips()->hintWindow();
    ASSERT_NE(hint, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(hint));
    ASSERT_NE(hint->windowHandle(), nullptr);
    EXPECT_EQ(hint->windowHandle()->transientParent(), window.windowHandle());
    EXPECT_EQ(hint->text(), QStringLiteral("Store"));
    const QPoint offset = hint->geometry().topLeft() - pointer;
    EXPECT_TRUE(offset.x() >= -40 && offset.x() <= 40 && offset.y() > 0 && offset.y() <= 40)
        << offset.x() << "," << offset.y();

    QMetaObject::invokeMethod(window.commands().exit, &QAction::trigger, Qt::QueuedConnection);
    EXPECT_TRUE(QuitRequested());
    qInstallMessageHandler(nullptr);
    EXPECT_TRUE(f.notifier.messages.empty());
    for (const QString& warning : g_warnings)
        EXPECT_FALSE(warning.contains(QStringLiteral("popup"), Qt::CaseInsensitive)) << warning.toStdString();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray saved = file.readAll();
    EXPECT_TRUE(saved.contains("<NormalPos value=\"300,200,1085,770\"/>")) << saved.constData();
}
