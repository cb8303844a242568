#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleHints>
#include <QTest>
#include <QTimer>

#include <cstring>
#include <functional>

#include "formfixture.h"
#include "view/angledlabel.h"
#include "view/namesdialog.h"

using namespace corvane;

namespace {

// Opens the names dialog and runs `act` on it from inside its modal loop. A dialog that `act`
// leaves open is cancelled so the test cannot hang; that counts as a failure.
bool runDialog(MainWindow& window, const std::function<void(NamesDialog&)>& act) {
    bool opened = false;
    QTimer::singleShot(0, &window, [&] {
        auto* dialog = qobject_cast<NamesDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        opened = true;
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the dialog is still open";
            dialog->reject();
        }
    });
    window.editNames();
    QCoreApplication::processEvents();  // a timer that found no dialog must not fire later
    return opened;
}

void type(QWidget* widget, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QApplication::sendEvent(widget, &press);
}

// Counts the names dialogs that open while it lives and cancels each, after `onOpen`, so that a
// dialog opened where none should be cannot hang the test.
struct NamesDialogWatch {
    explicit NamesDialogWatch(QObject* context) {
        timer.setInterval(0);
        QObject::connect(&timer, &QTimer::timeout, context, [this] {
            auto* d = qobject_cast<NamesDialog*>(QApplication::activeModalWidget());
            if (!d || d->property("answered").toBool()) return;
            d->setProperty("answered", true);
            ++opened;
            if (onOpen) onOpen(*d);
            d->reject();
        });
        timer.start();
    }
    QTimer timer;
    int opened = 0;
    std::function<void(NamesDialog&)> onOpen;
};

bool sameNames(const NameTable& a, const NameTable& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

struct NamesDialogWindow : ::testing::Test {
    void SetUp() override {
        window = &f.open();
        EditNames(window->controller(), [&](corvane::NameTable& n) { n.setLineName(1, 4, "Studio A"); });
        EditNames(window->controller(), [&](corvane::NameTable& n) { n.setChannelName(1, 2, "Talkback"); });
        EditNames(window->controller(), [&](corvane::NameTable& n) { n.setChannelName(1, 4, "Off air"); });
    }
    FormFixture f;
    MainWindow* window = nullptr;
};

}  // namespace

TEST_F(NamesDialogWindow, ShowsTheSelectedUnitsNamesInTheDesignedPlaces) {
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    const bool opened = runDialog(*window, [&](NamesDialog& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Edit Line Names"));
        EXPECT_EQ(d.size(), QSize(452, 404));
        for (int k = 0; k < 16; ++k)
            EXPECT_EQ(d.lineEdit(k)->text().toStdString(), window->controller().names().lineName(1, k)) << k;
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(d.channelEdit(k)->text().toStdString(), window->controller().names().channelName(1, k))
                << k;
        EXPECT_EQ(d.lineEdit(4)->text(), QStringLiteral("Studio A"));
        EXPECT_EQ(d.lineEdit(4)->geometry(), QRect(115, 113, 100, 21));
        EXPECT_EQ(d.lineEdit(12)->geometry(), QRect(340, 115, 100, 21));
        EXPECT_EQ(d.channelEdit(3)->geometry(), QRect(230, 314, 100, 21));
        EXPECT_EQ(d.okButton()->geometry(), QRect(115, 364, 75, 25));
        EXPECT_EQ(d.cancelButton()->geometry(), QRect(247, 364, 75, 25));
        EXPECT_TRUE(d.okButton()->isDefault());

        // Every label's caption fits its label in whichever family the machine offers.
        const auto labels = d.findChildren<AngledLabel*>();
        EXPECT_EQ(labels.size(), 20);
        for (const AngledLabel* label : labels)
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->caption()), label->width())
                << label->caption().toStdString();

        // Tab goes down the left column's first field, the channels, then up the lines from 16.
        std::vector<QWidget*> expected{d.lineEdit(0)};
        for (int k = 0; k < 4; ++k) expected.push_back(d.channelEdit(k));
        for (int k = 15; k >= 1; --k) expected.push_back(d.lineEdit(k));
        expected.push_back(d.okButton());
        expected.push_back(d.cancelButton());
        std::vector<QWidget*> order{d.lineEdit(0)};
        for (QWidget* w = d.lineEdit(0)->nextInFocusChain(); w != d.lineEdit(0) && order.size() < 40;
             w = w->nextInFocusChain())
            if (w->focusPolicy() & Qt::TabFocus) order.push_back(w);
        EXPECT_EQ(order, expected);
        d.reject();
    });
    EXPECT_TRUE(opened);
}

TEST_F(NamesDialogWindow, CancelAndEscapeChangeNoName) {
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.MatrixLayout = 1; });
    const NameTable before = window->controller().names();
    const std::function<void(NamesDialog&)> leave[] = {
        [](NamesDialog& d) { QTest::mouseClick(d.cancelButton(), Qt::LeftButton); },
        [](NamesDialog& d) { QTest::keyClick(d.lineEdit(4), Qt::Key_Escape); },
        // Enter on the focused Cancel button is Cancel.
        [](NamesDialog& d) {
            d.cancelButton()->setFocus(Qt::TabFocusReason);
            QTest::keyClick(d.cancelButton(), Qt::Key_Return);
        },
        [](NamesDialog& d) {
            d.cancelButton()->setFocus(Qt::TabFocusReason);
            QTest::keyClick(d.cancelButton(), Qt::Key_Enter, Qt::KeypadModifier);
        },
    };
    for (const auto& how : leave) {
        EXPECT_TRUE(runDialog(*window, [&](NamesDialog& d) {
            d.lineEdit(4)->clear();
            QTest::keyClicks(d.lineEdit(4), QStringLiteral("Renamed"));
            how(d);
        }));
        EXPECT_TRUE(sameNames(window->controller().names(), before));
        EXPECT_EQ(window->namesDialog(), nullptr);
    }
}

TEST_F(NamesDialogWindow, OkStoresTheFieldsAsTypedIntoTheSelectedUnit) {
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    EXPECT_TRUE(runDialog(*window, [&](NamesDialog& d) {
        d.lineEdit(4)->clear();
        QTest::keyClicks(d.lineEdit(4), QStringLiteral(" Studio B "));
        d.channelEdit(0)->clear();
        QTest::keyClicks(d.channelEdit(0), QStringLiteral("ABCDEFGHIJKLMNOPQRST"));
        EXPECT_EQ(d.channelEdit(0)->text(), QStringLiteral("ABCDEFGHIJKLMNO"));  // 15 at most
        d.lineEdit(15)->clear();
        type(d.lineEdit(15), QStringLiteral("Caf"));
        type(d.lineEdit(15), QString(QChar(0xE9)));                 // é has a byte of its own
        type(d.lineEdit(15), QString(QChar(0x20AC)));               // € has none
        type(d.lineEdit(15), QString::fromUcs4(U"\U0001F3A4", 1));  // one character, two UTF-16 units
        d.lineEdit(7)->clear();
        QTest::keyClick(d.lineEdit(7), Qt::Key_Return);  // Enter is OK
    }));
    const NameTable& names = window->controller().names();
    EXPECT_EQ(names.lineName(1, 4), " Studio B ");
    EXPECT_EQ(names.channelName(1, 0), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(names.lineName(1, 15), "Caf\xE9??");
    EXPECT_EQ(names.lineName(1, 7), "");
    EXPECT_EQ(names.channelName(1, 2), "Talkback");
    EXPECT_EQ(names.channelName(1, 4), "Off air");  // no field for the Disconnected row
    EXPECT_EQ(names.lineName(0, 4), "Line 05");     // 1x1 shares nothing
}

TEST_F(NamesDialogWindow, OkWithNothingChangedStillShares) {
    // 2x1 with unit 1 selected: unit 0 takes unit 1's channel names, the Disconnected row's too.
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.MatrixLayout = 1; });
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    EXPECT_TRUE(runDialog(*window, [](NamesDialog& d) { QTest::mouseClick(d.okButton(), Qt::LeftButton); }));
    EXPECT_EQ(window->controller().names().channelName(0, 2), "Talkback");
    EXPECT_EQ(window->controller().names().channelName(0, 4), "Off air");
    EXPECT_EQ(window->controller().names().lineName(0, 4), "Line 05");  // side by side: lines stay apart
}

// The columns in which two pictures of a widget differ.
int differingColumns(const QImage& a, const QImage& b) {
    int columns = 0;
    for (int x = 0; x < a.width(); ++x)
        for (int y = 0; y < a.height(); ++y)
            if (a.pixel(x, y) != b.pixel(x, y)) {
                ++columns;
                break;
            }
    return columns;
}

TEST_F(NamesDialogWindow, InsertInTheFieldsTogglesOverwriteWithABlockCaret) {
    QStyleHints* hints = QGuiApplication::styleHints();
    const int flashTime = hints->cursorFlashTime();
    hints->setCursorFlashTime(0);  // a steady caret for the pictures
    EXPECT_TRUE(runDialog(*window, [](NamesDialog& d) {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&d));
        QLineEdit* field = d.lineEdit(0);
        field->setFocus();
        field->setCursorPosition(0);
        const QImage lineCaret = field->grab().toImage();
        QTest::keyClick(field, Qt::Key_Insert);
        const QImage blockCaret = field->grab().toImage();
        // The block covers the "L" under the caret.
        EXPECT_GE(differingColumns(lineCaret, blockCaret),
                  field->fontMetrics().horizontalAdvance(QLatin1Char('L')) - 1);
        QTest::keyClick(field, Qt::Key_Insert, Qt::KeypadModifier);  // the keypad's Insert too
        EXPECT_EQ(field->grab().toImage(), lineCaret);

        QTest::keyClick(field, Qt::Key_X);
        EXPECT_EQ(field->text(), QStringLiteral("xLine 01"));
        QTest::keyClick(field, Qt::Key_Insert);
        QTest::keyClicks(field, QStringLiteral("YZ"));
        EXPECT_EQ(field->text(), QStringLiteral("xYZne 01"));  // "Li" overwritten
        QTest::keyClick(field, Qt::Key_End);
        QTest::keyClicks(field, QStringLiteral("!"));  // past the end overwrite appends
        EXPECT_EQ(field->text(), QStringLiteral("xYZne 01!"));
        QTest::keyClick(field, Qt::Key_Insert);
        field->setCursorPosition(0);
        QTest::keyClick(field, Qt::Key_W);
        EXPECT_EQ(field->text(), QStringLiteral("wxYZne 01!"));
        d.reject();
    }));
    hints->setCursorFlashTime(flashTime);
}

TEST_F(NamesDialogWindow, OneDialogAtATimeAndNoneWhileAColumnMoves) {
    EXPECT_TRUE(runDialog(*window, [&](NamesDialog& d) {
        EXPECT_EQ(window->namesDialog(), &d);
        window->editNames();  // Insert again: returns at once
        EXPECT_EQ(QApplication::activeModalWidget(), &d);
        EXPECT_EQ(window->findChildren<NamesDialog*>().size(), 1);
        d.reject();
    }));
    EXPECT_TRUE(window->findChildren<NamesDialog*>().isEmpty());

    // An Up in the grid of a window that is not shown: the focus moves without its events, so the
    // move is still under way.
    window->grid().moveInColumn(window->grid().button(0, 3), true, false);
    ASSERT_TRUE(window->grid().columnMoving());
    EXPECT_FALSE(runDialog(*window, [](NamesDialog& d) { d.reject(); }));
    EXPECT_EQ(window->namesDialog(), nullptr);
    QFocusEvent arrived(QEvent::FocusIn, Qt::OtherFocusReason);
    QApplication::sendEvent(window->grid().button(4, 3), &arrived);
    ASSERT_FALSE(window->grid().columnMoving());
    EXPECT_TRUE(runDialog(*window, [](NamesDialog& d) { d.reject(); }));
}

// The grid's labels show the names; they are checked once the grid is built.
TEST_F(NamesDialogWindow, OkRedrawsTheGridAndCancelDoesNot) {
    if (!window->grid().columnLabel(4)) GTEST_SKIP() << "the window has no grid yet";
    EditState(window->controller(), [&](corvane::MatrixState& s) { s.SelectedUnit = 1; });
    // A name changed behind the grid's back shows only after a redraw.
    EditNames(window->controller(), [&](corvane::NameTable& n) { n.setLineName(1, 5, "Hidden"); });
    const QString shown = window->grid().columnLabel(5)->caption();
    EXPECT_TRUE(runDialog(*window, [](NamesDialog& d) { d.reject(); }));
    EXPECT_EQ(window->grid().columnLabel(5)->caption(), shown);

    EXPECT_TRUE(runDialog(*window, [](NamesDialog& d) {
        d.lineEdit(4)->setText(QStringLiteral("Renamed"));
        QTest::mouseClick(d.okButton(), Qt::LeftButton);
    }));
    EXPECT_TRUE(window->grid().columnLabel(4)->caption().startsWith(QStringLiteral("Renamed - ")));
    EXPECT_TRUE(window->grid().columnLabel(5)->caption().startsWith(QStringLiteral("Hidden - ")));
}

TEST_F(NamesDialogWindow, TheInsertKeyOpensOneDialogWhateverTheModifiers) {
    ShowOnScreen(*window);
    NamesDialogWatch watch(window);
    bool insertInside = false;
    watch.onOpen = [&](NamesDialog& d) {
        if (insertInside) QTest::keyClick(d.lineEdit(0), Qt::Key_Insert);
    };
    const auto pressInsert = [&](Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(window->grid().button(1, 3), Qt::Key_Insert, modifiers);
        QCoreApplication::processEvents();
    };
    pressInsert();
    EXPECT_EQ(watch.opened, 1);
    EXPECT_EQ(window->namesDialog(), nullptr);
    // Every press opens it again, although each key event may live where the last one did, and
    // Insert pressed inside the dialog does not open another once it closes.
    insertInside = true;
    pressInsert();
    EXPECT_EQ(watch.opened, 2);
    insertInside = false;
    pressInsert();
    EXPECT_EQ(watch.opened, 3);

    pressInsert(Qt::ShiftModifier);
    EXPECT_EQ(watch.opened, 4);
    pressInsert(Qt::KeypadModifier);  // the keypad's Insert with NumLock off
    EXPECT_EQ(watch.opened, 5);
}

TEST_F(NamesDialogWindow, InsertOverAnotherWindowOrAnOpenMenuOpensNothing) {
    ShowOnScreen(*window);
    NamesDialogWatch watch(window);
    QStringList pressedIn;
    // Presses Insert in whatever modal window is open once its loop runs, then closes it.
    const auto insertInModal = [&] {
        QTimer::singleShot(0, window, [&] {
            auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!modal) return;
            pressedIn << modal->windowTitle();
            QWidget* focused = modal->focusWidget();
            QTest::keyClick(focused ? focused : modal, Qt::Key_Insert);
            QTest::keyClick(focused ? focused : modal, Qt::Key_Insert, Qt::ShiftModifier);
            modal->reject();
        });
    };

    insertInModal();
    window->commands().open->trigger();  // the program's own file dialog
    insertInModal();
    QMessageBox box(QMessageBox::Information, QStringLiteral("File New"),
                    QStringLiteral(" Are you sure to clear the memory? "),
                    QMessageBox::Ok | QMessageBox::Cancel, window);
    box.exec();
    EXPECT_EQ(pressedIn, (QStringList{QStringLiteral("Opens a matrix file"), QStringLiteral("File New")}));

    window->commands().fileMenu->popup(window->mapToGlobal(QPoint(10, 10)));
    ASSERT_EQ(QApplication::activePopupWidget(), window->commands().fileMenu);
    QTest::keyClick(window->commands().fileMenu, Qt::Key_Insert);
    window->commands().fileMenu->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.opened, 0);

    // The window itself still opens it.
    QTest::keyClick(window->grid().button(0, 0), Qt::Key_Insert);
    QCoreApplication::processEvents();
    EXPECT_EQ(watch.opened, 1);
}
