#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstring>

#include "formfixture.h"
#include "view/crosspointbutton.h"

using namespace corvane;

namespace {

// Answers the next file dialog of the window as an operator would: types the name and accepts.
void answerFileDialog(const QString& path, QString* title) {
    QTimer::singleShot(0, [path, title] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        *title = dialog->windowTitle();
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();  // as the Save or Open button does
    });
}

}  // namespace

// The operator's round: route some lines, store a memory, save a file, start a new
// configuration, open the file again. The grid and the unit show the saved configuration.
TEST(Workflow, RouteStoreSaveNewAndOpenAgain) {
    FormFixture f;
    MainWindow& window = f.open();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTemporaryDir files;
    const QString path = files.filePath(QStringLiteral("studio.cvm"));

    QTest::mouseClick(window.grid().button(2, 4), Qt::LeftButton);
    QTest::mouseClick(window.grid().button(3, 7), Qt::LeftButton);
    QTest::mouseClick(window.functionsPanel()->key(kStoreTag), Qt::LeftButton);
    QTest::mouseClick(window.recallPanel()->key(2), Qt::LeftButton);
    while (f.unit->firmware()->pendingEvents() > 0) window.controller().pollDevice();
    const MatrixState saved = window.controller().state();
    ASSERT_EQ(saved.LineRoute[0][3][4], 2);  // memory 3 holds the routes

    QString title;
    answerFileDialog(path, &title);
    window.commands().save->trigger();
    EXPECT_EQ(title, QStringLiteral("Save a matrix file"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE - STUDIO.CVM"));

    window.commands().newFile->trigger();  // the recording notifier answers OK
    EXPECT_EQ(window.controller().state().LineRoute[0][0][4], kDisconnected);
    EXPECT_FALSE(window.grid().button(2, 4)->isConnected());
    EXPECT_EQ(f.unit->firmware()->state().LineRoute[0][0][4], kDisconnected);

    answerFileDialog(path, &title);
    window.commands().open->trigger();
    EXPECT_EQ(title, QStringLiteral("Opens a matrix file"));
    EXPECT_EQ(0, std::memcmp(window.controller().state().LineRoute, saved.LineRoute, sizeof saved.LineRoute));
    EXPECT_TRUE(window.grid().button(2, 4)->isConnected());
    EXPECT_TRUE(window.grid().button(3, 7)->isConnected());
    EXPECT_EQ(f.unit->firmware()->state().LineRoute[0][0][4], 2);
    EXPECT_EQ(f.unit->firmware()->state().LineRoute[0][3][7], 3);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("CORVANE - STUDIO.CVM"));
}
